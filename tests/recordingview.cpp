#include "tests/recordingview.h"
#include "view/tvoutview.h"

#include <stdio.h>

RecordedViews& Recorded()
{
    static RecordedViews recorded;
    return recorded;
}

namespace
{
void Record(const char* format, long a = 0, long b = 0, long c = 0)
{
    char line[96];
    snprintf(line, sizeof(line), format, a, b, c);
    Recorded().calls.push_back(line);
}
} // namespace

CTvOutView::CTvOutView()
{
    ++Recorded().constructed;
}
CTvOutView::~CTvOutView()
{
    ++Recorded().destroyed;
}
int CTvOutView::Initialize()
{
    Record("Initialize()");
    return 1;
}
void CTvOutView::Draw(SDL_Surface* screen)
{
    Record(screen ? "Draw(screen)" : "Draw(null)");
}
void CTvOutView::OnButton(bool isDown, uint8 code)
{
    Record("OnButton(%ld, %ld)", isDown, code);
}
void CTvOutView::OnMouse(int action, int x, int y)
{
    Record("OnMouse(%ld, %ld, %ld)", action, x, y);
}
void CTvOutView::OnUserEvent(int code, void* data1, void* data2)
{
    Record("OnUserEvent(%ld, %#lx, %#lx)", code, (long)data1, (long)data2);
}

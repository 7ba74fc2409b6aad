#include "view/tvoutview.h"

#include "app/debugprint.h"

// The screen's resources, TV commands and input mapping are not built yet:
// the page is blank and ignores input.

CTvOutView::CTvOutView()
{
    DEBUG_PRINT("CTvOutView()\n");
}

CTvOutView::~CTvOutView()
{
    DEBUG_PRINT("~CTvOutView()\n");
}

int CTvOutView::Initialize()
{
    DEBUG_PRINT("CTvOutView::Initialize()\n");
    return 1;
}

void CTvOutView::Draw(SDL_Surface* screen)
{
    SDL_Flip(screen);
}

void CTvOutView::OnButton(bool, uint8) {}

void CTvOutView::OnMouse(int, int, int) {}

void CTvOutView::OnUserEvent(int, void*, void*) {}

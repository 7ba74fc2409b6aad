#include "widgets/button.h"

#include "core/resourceloader.h"
#include "core/userevents.h"

CButton::CButton() : groupCount(0), state(0), pressed(0), disabled(0)
{
    for (int i = 0; i < MAX_GROUPS; ++i)
        images[i] = NULL;
    rect.x = 0;
    rect.y = 0;
    rect.w = 0;
    rect.h = 0;
}

CButton::~CButton()
{
    FreeImages();
}

void CButton::FreeImage(int slot)
{
    if (images[slot] != NULL)
    {
        SDL_FreeSurface(images[slot]);
        images[slot] = NULL;
    }
}

void CButton::FreeImages()
{
    for (int i = 0; i < MAX_GROUPS; ++i)
        FreeImage(i);
}

// Frees the first `count` slots and loads the files into them in order.
// Stops at the first file that does not give an image of positive size and
// returns its index, leaving that surface (possibly zero-sized) in its slot;
// returns -1 when all loaded.
int CButton::ReplaceImages(const char* const* files, int count)
{
    for (int i = 0; i < count; ++i)
        FreeImage(i);
    for (int i = 0; i < count; ++i)
    {
        images[i] = LoadImageFile(files[i]);
        if (images[i] == NULL || images[i]->w <= 0 || images[i]->h <= 0)
            return i;
    }
    return -1;
}

// After a successful load: the frame size comes from the first strip only,
// and the button starts on the normal frame of its first group.
void CButton::TakeFrameSize(int count)
{
    groupCount = count;
    state = 0;
    rect.w = static_cast<uint16>(images[0]->w / FRAMES_PER_GROUP);
    rect.h = static_cast<uint16>(images[0]->h);
}

// The caller reads the error IMG_Load left behind; a zero-sized image sets
// no error text of its own.
bool CButton::LoadFiles(const char* const* files, int count)
{
    if (ReplaceImages(files, count) >= 0)
        return false;
    TakeFrameSize(count);
    return true;
}

bool CButton::Load(const char* file)
{
    const char* files[] = {file};
    return LoadFiles(files, 1);
}

bool CButton::Load(const char* file1, const char* file2)
{
    const char* files[] = {file1, file2};
    return LoadFiles(files, 2);
}

bool CButton::Load(const char* file1, const char* file2, const char* file3, const char* file4)
{
    const char* files[] = {file1, file2, file3, file4};
    return LoadFiles(files, 4);
}

bool CButton::LoadGroup(const char* const* files)
{
    if (files == NULL || files[0] == NULL)
    {
        SDL_SetError("No filename !!");
        return false;
    }
    // Look at no more than one entry past the limit: the list must be
    // terminated within its first five entries.
    int count = 0;
    while (count <= MAX_GROUPS && files[count] != NULL)
        ++count;
    if (count > MAX_GROUPS)
    {
        SDL_SetError("Over the button group limit !!");
        return false;
    }

    // The count stays even when a file fails; with no images left the
    // button then draws nothing.
    groupCount = count;
    int failed = ReplaceImages(files, count);
    if (failed >= 0)
    {
        SDL_SetError("File was not found(%s) or The wrong image size !!", files[failed]);
        FreeImages();
        return false;
    }
    TakeFrameSize(count);
    return true;
}

void CButton::SetPosition(int16 x, int16 y)
{
    rect.x = x;
    rect.y = y;
}

void CButton::Disable()
{
    disabled = 1;
}

void CButton::Enable()
{
    disabled = 0;
}

bool CButton::IsEnabled() const
{
    return disabled == 0;
}

int CButton::GetGroup() const
{
    return state / FRAMES_PER_GROUP;
}

void CButton::NextGroup()
{
    pressed = 0;
    int group = state / FRAMES_PER_GROUP;
    if (group < groupCount - 1)
        state = group * FRAMES_PER_GROUP + FRAMES_PER_GROUP;
    else
        state = 0;
}

// Both bounds are inclusive: the sensitive area is one pixel wider and
// taller than the frame.
bool CButton::IsInside(int x, int y) const
{
    return x >= rect.x && x <= rect.x + rect.w && y >= rect.y && y <= rect.y + rect.h;
}

// Pointer state machine (single group; a click on a multi-group button moves
// to the next group's frame 0 and wraps from the last group to the first):
//
//   state    event            next state         event pushed
//   idle     press inside     pressed (frame 1)  EVENT_BUTTON_PRESSED
//   pressed  press inside     pressed (frame 1)  EVENT_BUTTON_PRESSED
//   idle     release inside   idle               EVENT_BUTTON_CLICKED
//   pressed  release inside   idle               EVENT_BUTTON_CLICKED
//   pressed  move outside     idle               EVENT_REDRAW
//   pressed  release outside  pressed            -
//   idle     move outside     idle               -
//   any      move inside      unchanged          -
//   any      press outside    unchanged          -
//   disabled anything         unchanged          -
void CButton::HandleMouse(int action, int x, int y)
{
    if (groupCount <= 0 || state < 0 || disabled)
        return;

    int group = state / FRAMES_PER_GROUP;
    if (IsInside(x, y))
    {
        if (action == MOUSE_PRESS)
        {
            pressed = 1;
            state = group < groupCount ? group * FRAMES_PER_GROUP + FRAME_PRESSED : FRAME_PRESSED;
            PushUserEvent(EVENT_BUTTON_PRESSED, this, NULL);
        }
        else if (action == MOUSE_RELEASE)
        {
            NextGroup();
            PushUserEvent(EVENT_BUTTON_CLICKED, this, NULL);
        }
    }
    else if (pressed && action == MOUSE_MOVE)
    {
        // Dragged off: show the normal frame again without clicking.
        state = group * FRAMES_PER_GROUP + FRAME_NORMAL;
        PushUserEvent(EVENT_REDRAW, this, NULL);
        pressed = 0;
    }
}

int CButton::GetFrameOffset(int frameState) const
{
    if (disabled)
        return FRAME_DISABLED * rect.w;
    int frame = frameState % FRAMES_PER_GROUP;
    if (frame < 0)
        frame = FRAME_NORMAL;
    return frame * rect.w;
}

void CButton::Draw(SDL_Surface* screen)
{
    if (rect.w == 0 || rect.h == 0 || state < 0)
        return;
    int group = state / FRAMES_PER_GROUP;
    if (group >= MAX_GROUPS || images[group] == NULL)
        return;

    SDL_Rect source;
    source.x = static_cast<int16>(GetFrameOffset(state));
    source.y = 0;
    source.w = rect.w;
    source.h = rect.h;
    // SDL writes its clipping into the destination rectangle; blitting with
    // a copy keeps the frame size and the hit area of a button that reaches
    // past the screen.
    SDL_Rect dest = rect;
    SDL_UpperBlit(images[group], &source, screen, &dest);
}

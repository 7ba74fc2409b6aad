// Internal notifications travel through the SDL event queue as SDL_USEREVENTs,
// so widgets and the view never call back into the loop that delivers them.
#ifndef CORE_USEREVENTS_H
#define CORE_USEREVENTS_H

enum UserEventCode
{
    EVENT_REDRAW = 100,          // repaint the whole screen
    EVENT_BUTTON_PRESSED = 5000, // a button shows its pressed frame
    EVENT_BUTTON_CLICKED = 5001, // data1 is the clicked CButton
    EVENT_LEAVE_VIEW = 5008      // leave the screen; consumed by the loop
};

// Pointer actions passed from the loop to the view and its buttons.
enum MouseAction
{
    MOUSE_RELEASE = 0,
    MOUSE_PRESS = 1,
    MOUSE_MOVE = 2
};

// Pushes an SDL_USEREVENT carrying code, data1 and data2. The result of
// SDL_PushEvent is not examined: an event that does not fit the queue is lost.
void PushUserEvent(int code, void* data1, void* data2);

#endif

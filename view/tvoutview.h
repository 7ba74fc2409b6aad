// The program's one screen: the TV-output setup page.
#ifndef VIEW_TVOUTVIEW_H
#define VIEW_TVOUTVIEW_H

#include <SDL.h>

#include "platform/types.h"

class CTvOutView
{
  public:
    CTvOutView();
    virtual ~CTvOutView();

    int Initialize();
    void Draw(SDL_Surface* screen);

    void OnButton(bool isDown, uint8 code);
    void OnMouse(int action, int x, int y);
    void OnUserEvent(int code, void* data1, void* data2);
};

#endif

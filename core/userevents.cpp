#include "core/userevents.h"

#include <SDL.h>
#include <string.h>

void PushUserEvent(int code, void* data1, void* data2)
{
    SDL_Event event;
    memset(&event, 0, sizeof(event));
    event.type = SDL_USEREVENT;
    event.user.code = code;
    event.user.data1 = data1;
    event.user.data2 = data2;
    SDL_PushEvent(&event);
}

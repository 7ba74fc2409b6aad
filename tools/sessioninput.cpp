/* Preloaded into the program for the memory check: whenever SDL's queue is
 * empty, SDL_PollEvent hands out the next step of one scripted session on
 * the dummy video driver (which has no input of its own): tap PAL, keypad 6,
 * keypad 8 for the label, tap Cancel. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* RTLD_NEXT */
#endif
#include <SDL.h>
#include <dlfcn.h>

#include "view/tvoutlayout.h"

static SDL_Event Mouse(Uint8 type, int x, int y)
{
    SDL_Event e;
    SDL_memset(&e, 0, sizeof(e));
    e.type = type;
    e.button.type = type;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    return e;
}

static SDL_Event KeyUp(SDLKey sym)
{
    SDL_Event e;
    SDL_memset(&e, 0, sizeof(e));
    e.type = SDL_KEYUP;
    e.key.type = SDL_KEYUP;
    e.key.keysym.sym = sym;
    return e;
}

int SDL_PollEvent(SDL_Event* event)
{
    static int (*next)(SDL_Event*) = nullptr;
    static int step = 0;
    if (!next)
        next = reinterpret_cast<int (*)(SDL_Event*)>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
    if (next(event))
        return 1;
    switch (step++)
    {
    case 0:
        *event = Mouse(SDL_MOUSEBUTTONDOWN, PAL_BUTTON.x + 5, PAL_BUTTON.y + 5);
        return 1;
    case 1:
        *event = Mouse(SDL_MOUSEBUTTONUP, PAL_BUTTON.x + 5, PAL_BUTTON.y + 5);
        return 1;
    case 2:
        *event = KeyUp(SDLK_KP6);
        return 1;
    case 3:
        *event = KeyUp(SDLK_KP8);
        return 1;
    case 4:
        *event = Mouse(SDL_MOUSEBUTTONDOWN, CANCEL_BUTTON.x + 5, CANCEL_BUTTON.y + 5);
        return 1;
    case 5:
        *event = Mouse(SDL_MOUSEBUTTONUP, CANCEL_BUTTON.x + 5, CANCEL_BUTTON.y + 5);
        return 1;
    default:
        step = 6;
        return 0;
    }
}

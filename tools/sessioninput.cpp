/* Preloaded into the program for the memory check and the tests: whenever
 * SDL's queue is empty, SDL_PollEvent hands out the next step of one scripted
 * session: tap PAL, keypad 6 (SESSION_MOVES times, default once), keypad 8
 * for the label, tap Cancel. On the dummy video driver, which has no input of
 * its own, the session starts at once; in a window it waits until the
 * pointer is over the window, so that whoever drives it has seen the window. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* RTLD_NEXT */
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <stdlib.h>

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

// Step `step` of the session with `moves` moves; false after the last one.
static bool ScriptStep(int step, int moves, SDL_Event* event)
{
    if (step == 0 || step == 1)
    {
        Uint8 type = step == 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        *event = Mouse(type, PAL_BUTTON.x + 5, PAL_BUTTON.y + 5);
        return true;
    }
    if (step < 2 + moves)
    {
        *event = KeyUp(SDLK_KP6);
        return true;
    }
    switch (step - 2 - moves)
    {
    case 0:
        *event = KeyUp(SDLK_KP8);
        return true;
    case 1:
        *event = Mouse(SDL_MOUSEBUTTONDOWN, CANCEL_BUTTON.x + 5, CANCEL_BUTTON.y + 5);
        return true;
    case 2:
        *event = Mouse(SDL_MOUSEBUTTONUP, CANCEL_BUTTON.x + 5, CANCEL_BUTTON.y + 5);
        return true;
    default:
        return false;
    }
}

// Not every SDL reports the pointer over the dummy driver's screen.
static bool OnDummyDriver()
{
    char name[16];
    return SDL_VideoDriverName(name, sizeof(name)) && SDL_strcmp(name, "dummy") == 0;
}

int SDL_PollEvent(SDL_Event* event)
{
    static int (*next)(SDL_Event*) = nullptr;
    static int step = 0;
    static int moves = 1;
    if (!next)
    {
        next = reinterpret_cast<int (*)(SDL_Event*)>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
        const char* count = getenv("SESSION_MOVES");
        moves = count ? atoi(count) : 1;
    }
    if (next(event))
        return 1;
    bool ready = OnDummyDriver() || (SDL_GetAppState() & SDL_APPMOUSEFOCUS);
    if (!ready || !ScriptStep(step, moves, event))
        return 0;
    ++step;
    return 1;
}

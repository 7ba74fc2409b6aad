/* LD_PRELOAD shim that stamps a moment in the program that ships, with
 * nothing added to it:
 * - with FIRST_FLIP_EXIT set (the start-up figures), the first SDL_Flip puts
 *   the frame on screen, then ends the process at once with that status;
 * - when the event loop takes the leave event off the queue (the hand-off
 *   figures), the monotonic time goes into HANDOFF_LEAVE_NS, which the
 *   launcher inherits with the rest of the environment. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "benchclock.h"
#include "core/userevents.h"

#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <unistd.h>

/* POSIX's dlsym gives functions as object pointers, which ISO C cannot cast. */
#define NEXT(type, name) __extension__(type) dlsym(RTLD_NEXT, name)

int SDL_Flip(SDL_Surface* screen)
{
    static int (*next)(SDL_Surface*) = NULL;
    if (!next)
        next = NEXT(int (*)(SDL_Surface*), "SDL_Flip");
    const char* status = getenv("FIRST_FLIP_EXIT");
    if (!status)
        return next(screen);
    _exit(next(screen) == 0 ? atoi(status) : 98);
}

int SDL_PollEvent(SDL_Event* event)
{
    static int (*next)(SDL_Event*) = NULL;
    if (!next)
        next = NEXT(int (*)(SDL_Event*), "SDL_PollEvent");
    const int got = next(event);
    if (got && event && event->type == SDL_USEREVENT && event->user.code == EVENT_LEAVE_VIEW)
    {
        char now[32];
        snprintf(now, sizeof(now), "%.0f", NowNs());
        setenv("HANDOFF_LEAVE_NS", now, 1);
    }
    return got;
}

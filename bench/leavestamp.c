/* LD_PRELOAD shim for the hand-off figures: when the event loop takes the
 * leave event off the queue, the monotonic time goes into HANDOFF_LEAVE_NS,
 * which the launcher inherits with the rest of the environment. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "benchclock.h"
#include "core/userevents.h"

#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>

int SDL_PollEvent(SDL_Event* event)
{
    static int (*next)(SDL_Event*) = NULL;
    /* POSIX's dlsym gives functions as object pointers, which ISO C cannot cast. */
    if (!next)
        next = __extension__(int (*)(SDL_Event*)) dlsym(RTLD_NEXT, "SDL_PollEvent");
    const int got = next(event);
    if (got && event && event->type == SDL_USEREVENT && event->user.code == EVENT_LEAVE_VIEW)
    {
        char now[32];
        snprintf(now, sizeof(now), "%.0f", NowNs());
        setenv("HANDOFF_LEAVE_NS", now, 1);
    }
    return got;
}

/* Preloaded into the program: right after SDL_Quit, which puts back the
 * default actions of SIGTERM and SIGINT, the process sends itself the signal
 * numbered in RAISE_AFTER_SDL_QUIT: a termination request that arrives
 * between the leave and the launcher. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* RTLD_NEXT */
#endif
#include <SDL.h>
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>

void SDL_Quit(void)
{
    void (*real)(void) = (void (*)(void))dlsym(RTLD_NEXT, "SDL_Quit");
    const char* sig = getenv("RAISE_AFTER_SDL_QUIT");
    if (real)
        real();
    if (sig)
        raise(atoi(sig));
}

/* Preloaded into the program: termination requests that arrive between the
 * leave and the launcher. The process sends itself the signal numbered in
 * RAISE_AFTER_SDL_QUIT right after SDL_Quit. With RAISE_IN_SDL_QUIT,
 * SDL_Quit first puts that signal's default action back for a moment, as
 * some SDL 1.2 builds do whatever the handler, and the signal arrives in
 * that moment. With OPEN_IN_SDL_QUIT set, SDL_Quit leaves a descriptor
 * open, as a library may. */
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>

void SDL_Quit(void)
{
    /* POSIX's dlsym gives functions as object pointers, which ISO C cannot cast. */
    void (*real)(void) = __extension__(void (*)(void)) dlsym(RTLD_NEXT, "SDL_Quit");
    const char* in = getenv("RAISE_IN_SDL_QUIT");
    const char* after = getenv("RAISE_AFTER_SDL_QUIT");
    if (in)
    {
        struct sigaction byDefault = {.sa_handler = SIG_DFL}, handler;
        sigaction(atoi(in), &byDefault, &handler);
        raise(atoi(in));
        sigaction(atoi(in), &handler, NULL);
    }
    if (real)
        real();
    if (getenv("OPEN_IN_SDL_QUIT"))
        open("/dev/null", O_RDONLY);
    if (after)
        raise(atoi(after));
}

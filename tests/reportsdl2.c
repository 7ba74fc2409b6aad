/* Preloaded into the program: the SDL it runs with reports itself as SDL 1.2
 * on SDL2 (1.2.68, or 1.2.<REPORT_SDL_PATCH>), whatever library is
 * underneath. With SDL_INIT_RECORD set, SDL_Init first writes the two SDL2
 * settings as the program has them then to the file it names, the way
 * tools/launcher.sh records them ("environment:", " NAME=value" for each one
 * set), and holds SDL's start while that file is there, at most 5 s: a
 * signal handled meanwhile ends the hold. */
#include <SDL.h>
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

const SDL_version* SDL_Linked_Version(void)
{
    static SDL_version onSdl2 = {1, 2, 68};
    const char* patch = getenv("REPORT_SDL_PATCH");
    if (patch)
        onSdl2.patch = (Uint8)atoi(patch);
    return &onSdl2;
}

static void Record(const char* path)
{
    static const char* const names[] = {"SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION"};
    /* Written at fclose with one write: a reader that sees the file filled sees all of it. */
    FILE* record = fopen(path, "w");
    if (!record)
        return;
    fputs("environment:", record);
    for (int i = 0; i < 2; ++i)
        if (getenv(names[i]))
            fprintf(record, " %s=%s", names[i], getenv(names[i]));
    fputs("\n", record);
    fclose(record);
}

int SDL_Init(Uint32 flags)
{
    int (*real)(Uint32) = __extension__(int (*)(Uint32)) dlsym(RTLD_NEXT, "SDL_Init");
    const char* path = getenv("SDL_INIT_RECORD");
    if (path)
    {
        Record(path);
        const struct timespec slice = {0, 10 * 1000 * 1000};
        for (int i = 0; i < 500 && access(path, F_OK) == 0; ++i)
        {
            if (nanosleep(&slice, NULL) != 0 && errno == EINTR)
                break;
        }
    }
    return real ? real(flags) : -1;
}

/* Preloaded into the program for the memory check and the tests' long
 * sessions: whenever SDL's queue is empty, SDL_PollEvent hands out the next
 * event of the scripted session in tools/session.txt (SESSION_FILE). A key
 * step is a key going down and up, a pointer step one button event at its
 * position. On the dummy video driver, which has no input of its own, the
 * session starts at once; in a window it waits until the pointer is over the
 * window, so that whoever drives it has seen the window. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* RTLD_NEXT */
#endif
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
void Fail(const char* what, int line)
{
    fprintf(stderr, "sessioninput: %s: %s in line %d\n", SESSION_FILE, what, line);
    abort();
}

SDL_Event Key(Uint8 type, SDLKey sym)
{
    SDL_Event e;
    SDL_memset(&e, 0, sizeof(e));
    e.key.type = type;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event Button(Uint8 type, int x, int y)
{
    SDL_Event e;
    SDL_memset(&e, 0, sizeof(e));
    e.button.type = type;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

// The session's events, a key step repeated `moves` times where it says so.
std::vector<SDL_Event> ReadSession(int moves)
{
    std::vector<SDL_Event> events;
    FILE* file = fopen(SESSION_FILE, "r");
    if (!file)
        Fail("cannot open", 0);
    char text[256];
    for (int line = 1; fgets(text, sizeof(text), file); ++line)
    {
        text[strcspn(text, "#\n")] = '\0';
        char step[16], name[16], repeat[16];
        int x, y, n;
        if (sscanf(text, " %15s", step) != 1)
            continue;
        if (strcmp(step, "key") == 0 &&
            (n = sscanf(text, " key KP%1[0-9] %15s", name, repeat)) >= 1)
        {
            if (n == 2 && strcmp(repeat, "moves") != 0)
                Fail("a key step ends in \"moves\" or nothing", line);
            const SDLKey sym = static_cast<SDLKey>(SDLK_KP0 + (name[0] - '0'));
            for (int i = 0; i < (n == 2 ? moves : 1); ++i)
            {
                events.push_back(Key(SDL_KEYDOWN, sym));
                events.push_back(Key(SDL_KEYUP, sym));
            }
        }
        else if (sscanf(text, " %15s %d %d", step, &x, &y) == 3 &&
                 (strcmp(step, "press") == 0 || strcmp(step, "release") == 0))
            events.push_back(
                Button(step[0] == 'p' ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, x, y));
        else
            Fail("not a step", line);
    }
    fclose(file);
    return events;
}
} // namespace

extern "C" int SDL_PollEvent(SDL_Event* event)
{
    static int (*next)(SDL_Event*) = nullptr;
    static std::vector<SDL_Event> session;
    static size_t done = 0;
    static bool dummy = false;
    if (!next)
    {
        next = reinterpret_cast<int (*)(SDL_Event*)>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
        const char* moves = getenv("SESSION_MOVES");
        session = ReadSession(moves ? atoi(moves) : 1);
        char driver[16] = "";
        dummy = SDL_VideoDriverName(driver, sizeof(driver)) && strcmp(driver, "dummy") == 0;
    }
    if (next(event))
        return 1;
    if (done == session.size() || !(dummy || (SDL_GetAppState() & SDL_APPMOUSEFOCUS)))
        return 0;
    *event = session[done++];
    return 1;
}

/* Preloaded for the memory check and the tests' long sessions: whenever SDL's
 * queue is empty, SDL_PollEvent hands out the next event of the scripted
 * session (with SESSION_JOYSTICK=1 the joystick session: joystick buttons
 * need no joystick here, as the events come straight from the queue). On the
 * dummy video driver, which has no input, it starts at once; in a window it
 * waits for the pointer over the window, so that whoever drives it has seen
 * the window. */
#include "harness/scriptedsession.h"

#include <SDL.h>
#include <dlfcn.h> // RTLD_NEXT: g++ defines _GNU_SOURCE

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
// The session's events, each step as many times as it says.
std::vector<SDL_Event> SessionEvents()
{
    std::vector<SessionStep> steps;
    std::string error;
    const char* joystick = getenv("SESSION_JOYSTICK");
    if (!ReadSession(SESSION_FILE, &steps, &error, joystick && strcmp(joystick, "1") == 0))
    {
        fprintf(stderr, "sessioninput: %s\n", error.c_str());
        abort();
    }
    // Each key and joystick button goes down and up; a press or a release is
    // one event.
    std::vector<SDL_Event> events;
    for (const SessionStep& step : steps)
        for (int i = 0; i < step.times; ++i)
            for (const bool down : {true, false})
            {
                SDL_Event e;
                SDL_memset(&e, 0, sizeof(e));
                if (step.kind == SessionStep::KEY)
                {
                    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
                    e.key.keysym.sym = static_cast<SDLKey>(SDLK_KP0 + step.key[2] - '0');
                }
                else if (step.kind == SessionStep::JOY)
                {
                    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
                    e.jbutton.button = static_cast<Uint8>(step.joyButton);
                    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
                }
                else if (down == (step.kind == SessionStep::PRESS))
                {
                    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
                    e.button.button = SDL_BUTTON_LEFT;
                    e.button.x = static_cast<Uint16>(step.x);
                    e.button.y = static_cast<Uint16>(step.y);
                }
                else
                    continue;
                events.push_back(e);
            }
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
        session = SessionEvents();
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

/* Preloaded for the memory check and the tests' long sessions: whenever SDL's
 * queue is empty, SDL_PollEvent hands out the next event of the scripted
 * session (with SESSION_JOYSTICK=1 the joystick session: joystick buttons
 * need no joystick here, as the events come straight from the queue). On the
 * dummy video driver, which has no input, it starts at once; in a window it
 * waits for the pointer over the window, so that whoever drives it has seen
 * the window. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE /* RTLD_NEXT */
#endif
#include "harness/scriptedsession.h"

#include <SDL.h>
#include <dlfcn.h>

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
    std::vector<SDL_Event> events;
    SDL_Event e;
    for (const SessionStep& step : steps)
        for (int i = 0; i < step.times; ++i)
        {
            SDL_memset(&e, 0, sizeof(e));
            if (step.kind == SessionStep::KEY)
            {
                e.key.keysym.sym = static_cast<SDLKey>(SDLK_KP0 + step.key[2] - '0');
                e.type = SDL_KEYDOWN;
                events.push_back(e);
                e.type = SDL_KEYUP;
            }
            else if (step.kind == SessionStep::JOY)
            {
                e.jbutton.button = static_cast<Uint8>(step.joyButton);
                e.type = SDL_JOYBUTTONDOWN;
                e.jbutton.state = SDL_PRESSED;
                events.push_back(e);
                e.type = SDL_JOYBUTTONUP;
                e.jbutton.state = SDL_RELEASED;
            }
            else
            {
                e.type = step.kind == SessionStep::PRESS ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
                e.button.button = SDL_BUTTON_LEFT;
                e.button.x = static_cast<Uint16>(step.x);
                e.button.y = static_cast<Uint16>(step.y);
            }
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

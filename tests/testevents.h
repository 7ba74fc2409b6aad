// SDL event queue helpers shared by the unit tests.
#ifndef TESTS_TESTEVENTS_H
#define TESTS_TESTEVENTS_H

#include <SDL.h>

#include <vector>

// Takes every event off the queue, in order.
inline std::vector<SDL_Event> DrainEvents()
{
    std::vector<SDL_Event> events;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        events.push_back(event);
    return events;
}

#endif

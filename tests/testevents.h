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

// Codes of the queued user events; -1 for any event that is not a user event
// from `sender` with data2 0.
inline std::vector<int> DrainCodesFrom(const void* sender)
{
    std::vector<int> codes;
    for (const SDL_Event& e : DrainEvents())
        codes.push_back(
            e.type == SDL_USEREVENT && e.user.data1 == sender && !e.user.data2 ? e.user.code : -1);
    return codes;
}

#endif

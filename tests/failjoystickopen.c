/* Preloaded into the program: joystick 0 is there but cannot be opened. */
#include <SDL.h>

int SDL_NumJoysticks(void)
{
    return 1;
}

SDL_Joystick* SDL_JoystickOpen(int index)
{
    (void)index;
    SDL_SetError("joystick busy");
    return NULL;
}

/* Preloaded into the program to make the display refuse the video mode. */
#include <SDL.h>

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    (void)width, (void)height, (void)bpp, (void)flags;
    SDL_SetError("display refused the mode");
    return NULL;
}

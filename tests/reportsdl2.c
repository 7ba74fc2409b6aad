/* Preloaded into the program: the SDL it runs with reports itself as SDL 1.2
 * on SDL2 (1.2.68), whatever library is underneath. */
#include <SDL.h>

const SDL_version* SDL_Linked_Version(void)
{
    static const SDL_version onSdl2 = {1, 2, 68};
    return &onSdl2;
}

#include "core/displayformat.h"

#include <string.h>

SDL_Surface* ToDisplayFormat(SDL_Surface* image)
{
    if (image == NULL || SDL_GetVideoSurface() == NULL || (image->flags & SDL_SRCALPHA) ||
        image->format->Amask != 0)
        return image;
    // A colour key becomes alpha: keyed in 16 bits, every colour that shares
    // the key's 16-bit value would turn transparent too.
    char error[256];
    strncpy(error, SDL_GetError(), sizeof(error) - 1);
    error[sizeof(error) - 1] = '\0';
    SDL_Surface* converted =
        (image->flags & SDL_SRCCOLORKEY) ? SDL_DisplayFormatAlpha(image) : SDL_DisplayFormat(image);
    if (converted == NULL)
    {
        SDL_SetError("%s", error); // callers report the loader's error, not this one
        return image;
    }
    SDL_FreeSurface(image);
    return converted;
}

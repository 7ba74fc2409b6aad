#include "core/resourceloader.h"

#include <SDL_image.h>
#include <string.h>
#include <sys/stat.h>

namespace
{
// A missing file is left to the library, which reports it as it reports
// any file it cannot open; something other than a regular file gets the
// same words.
bool IsRegularOrMissing(const char* path)
{
    struct stat status;
    if (stat(path, &status) == 0 && !S_ISREG(status.st_mode))
    {
        SDL_SetError("Couldn't open %s", path);
        return false;
    }
    return true;
}

SDL_Surface* ToDisplayFormat(SDL_Surface* image)
{
    if (image->w <= 0 || image->h <= 0 || SDL_GetVideoSurface() == NULL ||
        (image->flags & SDL_SRCALPHA) || image->format->Amask != 0)
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
} // namespace

SDL_Surface* LoadImageFile(const char* path)
{
    if (!IsRegularOrMissing(path))
        return NULL;
    SDL_Surface* image = IMG_Load(path);
    return image ? ToDisplayFormat(image) : NULL;
}

TTF_Font* OpenFontFile(const char* path, int points)
{
    return IsRegularOrMissing(path) ? TTF_OpenFont(path, points) : NULL;
}

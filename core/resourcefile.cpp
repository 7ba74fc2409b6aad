#include "core/resourcefile.h"

#include <SDL.h>
#include <sys/stat.h>

bool IsResourceFile(const char* path)
{
    struct stat status;
    if (stat(path, &status) == 0 && !S_ISREG(status.st_mode))
    {
        SDL_SetError("Couldn't open %s", path);
        return false;
    }
    return true;
}

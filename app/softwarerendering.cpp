#include "app/softwarerendering.h"

#include <SDL.h>
#include <stdlib.h>

namespace
{
// SDL 1.2 on SDL2 reports 1.2.50 or later; the classic library ended at
// 1.2.15.
const int FIRST_VERSION_ON_SDL2 = SDL_VERSIONNUM(1, 2, 50);

struct Setting
{
    const char* name;
    const char* value;
    bool setHere;
};
Setting settings[] = {{"SDL_RENDER_DRIVER", "software", false},
                      {"SDL_FRAMEBUFFER_ACCELERATION", "false", false}};
const int SETTING_COUNT = sizeof(settings) / sizeof(settings[0]);
} // namespace

void ChooseSoftwareRendering()
{
    const SDL_version* linked = SDL_Linked_Version();
    if (SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) < FIRST_VERSION_ON_SDL2)
        return;
    // A value the user set, even an empty one, is theirs.
    for (int i = 0; i < SETTING_COUNT; ++i)
    {
        if (!getenv(settings[i].name))
            settings[i].setHere = setenv(settings[i].name, settings[i].value, 0) == 0;
    }
}

void ForgetSoftwareRendering()
{
    for (int i = 0; i < SETTING_COUNT; ++i)
    {
        if (settings[i].setHere)
            unsetenv(settings[i].name);
        settings[i].setHere = false;
    }
}

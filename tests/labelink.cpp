#include "tests/labelink.h"
#include "tests/devicedir.h"
#include "tests/expected.h"

#include <SDL_ttf.h>

std::vector<std::pair<int, int>> LabelInk()
{
    std::vector<std::pair<int, int>> ink;
    TTF_Init(); // counted: the TTF_Quit below leaves the library as it was
    TTF_Font* font = TTF_OpenFont(LabelFontPath().c_str(), expected::kLabelPoints);
    SDL_Color black = {0, 0, 0, 0};
    SDL_Surface* text = font ? TTF_RenderText_Solid(font, expected::kLabelText, black) : nullptr;
    if (text && SDL_LockSurface(text) == 0)
    {
        // An 8-bit surface: index 0 is the transparent background.
        for (int y = 0; y < text->h; ++y)
            for (int x = 0; x < text->w; ++x)
                if (static_cast<const Uint8*>(text->pixels)[y * text->pitch + x] != 0)
                    ink.push_back({expected::kLabelX + x, expected::kLabelY + y});
        SDL_UnlockSurface(text);
    }
    if (text)
        SDL_FreeSurface(text);
    if (font)
        TTF_CloseFont(font);
    TTF_Quit();
    return ink;
}

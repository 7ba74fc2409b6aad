#include "tests/labelink.h"
#include "harness/devicedir.h"

#include <SDL_ttf.h>

std::vector<std::pair<int, int>> LabelInk(const char* text, int x, int y)
{
    std::vector<std::pair<int, int>> ink;
    TTF_Init(); // counted: the TTF_Quit below leaves the library as it was
    TTF_Font* font = TTF_OpenFont(LabelFontPath().c_str(), expected::kLabelPoints);
    SDL_Color black = {0, 0, 0, 0};
    SDL_Surface* glyphs = font ? TTF_RenderText_Solid(font, text, black) : nullptr;
    if (glyphs && SDL_LockSurface(glyphs) == 0)
    {
        // An 8-bit surface: index 0 is the transparent background.
        for (int row = 0; row < glyphs->h; ++row)
            for (int column = 0; column < glyphs->w; ++column)
                if (static_cast<const Uint8*>(glyphs->pixels)[row * glyphs->pitch + column] != 0)
                    ink.push_back({x + column, y + row});
        SDL_UnlockSurface(glyphs);
    }
    SDL_FreeSurface(glyphs);
    if (font)
        TTF_CloseFont(font);
    TTF_Quit();
    return ink;
}

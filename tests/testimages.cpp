#include "tests/testimages.h"

#include <stdlib.h>

#include <filesystem>
#include <vector>

namespace testimages
{

TempDir::TempDir()
{
    std::string pattern = std::filesystem::temp_directory_path() / "tvout-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        path = pattern;
}

TempDir::~TempDir()
{
    if (!path.empty())
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}

namespace
{

Uint32 Mapped(SDL_Surface* surface, Rgb colour)
{
    return SDL_MapRGB(surface->format, colour.r, colour.g, colour.b);
}

// A 24-bit BMP of `count` frames side by side, frame i filled with colours[i].
bool WriteFrames(const std::string& path, int frameW, int frameH, const Rgb* colours, int count)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, frameW * count, frameH, 24, 0xff0000,
                                                0x00ff00, 0x0000ff, 0);
    if (surface == nullptr)
        return false;
    for (int i = 0; i < count; ++i)
    {
        SDL_Rect r = {Sint16(i * frameW), 0, Uint16(frameW), Uint16(frameH)};
        SDL_FillRect(surface, &r, Mapped(surface, colours[i]));
    }
    const bool ok = SDL_SaveBMP(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

// What `colour` becomes once stored in the surface's pixel format.
Rgb AsStored(SDL_Surface* surface, Rgb colour)
{
    Rgb c;
    SDL_GetRGB(Mapped(surface, colour), surface->format, &c.r, &c.g, &c.b);
    return c;
}

} // namespace

bool WriteSolid(const std::string& path, int w, int h, Rgb colour)
{
    return WriteFrames(path, w, h, &colour, 1);
}

bool WriteStrip(const std::string& path, int frameW, int frameH,
                const std::function<Rgb(int frame)>& colour)
{
    const Rgb colours[4] = {colour(0), colour(1), colour(2), colour(3)};
    return WriteFrames(path, frameW, frameH, colours, 4);
}

SDL_Surface* CreateScreen16(int w, int h, Rgb fill)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xf800, 0x07e0, 0x001f, 0);
    if (surface != nullptr)
        Fill(surface, fill);
    return surface;
}

void Fill(SDL_Surface* surface, Rgb colour)
{
    SDL_FillRect(surface, nullptr, Mapped(surface, colour));
}

std::string ScreenMismatch(SDL_Surface* screen, const Image& expected, const std::string& name)
{
    return ImageMismatch(expected, ImageOf(screen), 0, TEST_BUILD_DIR "/failed-" + name);
}

std::string ScreenMismatch(SDL_Surface* screen, Rgb base, const std::vector<Box>& boxes,
                           const std::string& name)
{
    Image expected(screen->w, screen->h, AsStored(screen, base));
    for (const Box& b : boxes)
        expected.Fill(b.x, b.y, b.w, b.h, AsStored(screen, b.colour));
    return ScreenMismatch(screen, expected, name);
}

} // namespace testimages

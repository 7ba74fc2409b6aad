#include "tests/testimages.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

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

bool WriteStrip(const std::string& path, int frameW, int frameH,
                const std::function<Rgb(int frame)>& colour)
{
    Image strip(frameW * 4, frameH, {});
    for (int i = 0; i < 4; ++i)
        strip.Fill(i * frameW, 0, frameW, frameH, colour(i));
    return SavePng(strip, path);
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
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, colour.r, colour.g, colour.b));
}

std::string ScreenMismatch(SDL_Surface* screen, const Image& expected)
{
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    return ImageMismatch(expected, ImageOf(screen), 0, TEST_BUILD_DIR "/failed-" + name);
}

std::string ScreenMismatch(SDL_Surface* screen, Rgb base, const std::vector<Box>& boxes)
{
    // What a colour becomes once stored in the screen's pixel format.
    const auto stored = [screen](Rgb c)
    {
        SDL_GetRGB(SDL_MapRGB(screen->format, c.r, c.g, c.b), screen->format, &c.r, &c.g, &c.b);
        return c;
    };
    Image expected(screen->w, screen->h, stored(base));
    for (const Box& b : boxes)
        expected.Fill(b.x, b.y, b.w, b.h, stored(b.colour));
    return ScreenMismatch(screen, expected);
}

} // namespace testimages

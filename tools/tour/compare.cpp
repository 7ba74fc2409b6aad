// Compares two pictures pixel by pixel, each channel within a tolerance
// (default 0):
//
//   tvout-compare [--rgb565] EXPECTED.png ACTUAL.png [TOLERANCE]
//
// --rgb565 first reduces both to the handheld's 16-bit colour (the top 5, 6
// and 5 bits of red, green and blue): a 16-bit screen widened to 8 bits per
// channel by shifting and one widened by scaling then compare equal.
// Exits 0 when they match; 1 when they differ, with one line saying how
// many pixels do and the first of them; 2 when a file cannot be read.
#include "tests/image.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    char** const last =
        std::remove_if(argv + 1, argv + argc, [](const char* a) { return !strcmp(a, "--rgb565"); });
    const bool rgb565 = last != argv + argc;
    argc = static_cast<int>(last - argv);
    char* end = nullptr;
    const long tolerance = argc == 4 ? strtol(argv[3], &end, 10) : 0;
    if (argc < 3 || argc > 4 || (end && (*end || end == argv[3] || tolerance < 0)))
    {
        fprintf(stderr, "usage: %s [--rgb565] EXPECTED.png ACTUAL.png [TOLERANCE]\n", argv[0]);
        return 2;
    }
    const auto load = [rgb565](const char* path)
    {
        Image image = LoadImage(path);
        for (Rgb& c : image.pixels)
            if (rgb565)
                c = {uint8_t(c.r & 0xF8), uint8_t(c.g & 0xFC), uint8_t(c.b & 0xF8)};
        return image;
    };
    const Image expected = load(argv[1]);
    const Image actual = load(argv[2]);
    for (int i = 0; i < 2; ++i)
        if ((i ? actual : expected).pixels.empty())
        {
            fprintf(stderr, "tvout-compare: cannot read %s: %s\n", argv[1 + i], SDL_GetError());
            return 2;
        }
    const std::string difference =
        Describe(CompareImages(expected, actual, static_cast<int>(tolerance)), expected, actual);
    if (difference.empty())
        return 0;
    printf("%s\n", difference.c_str());
    return 1;
}

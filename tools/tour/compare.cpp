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

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    bool rgb565 = false;
    const char* args[3] = {};
    int count = 0;
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], "--rgb565") == 0)
            rgb565 = true;
        else if (count < 3)
            args[count++] = argv[i];
        else
            count = 4;
    char* end = nullptr;
    const long tolerance = count == 3 ? strtol(args[2], &end, 10) : 0;
    if (count < 2 || count > 3 || (end && (*end || end == args[2] || tolerance < 0)))
    {
        fprintf(stderr, "usage: %s [--rgb565] EXPECTED.png ACTUAL.png [TOLERANCE]\n", argv[0]);
        return 2;
    }
    Image images[2] = {LoadImage(args[0]), LoadImage(args[1])};
    for (int i = 0; i < 2; ++i)
    {
        if (images[i].pixels.empty())
        {
            fprintf(stderr, "tvout-compare: cannot read %s: %s\n", args[i], SDL_GetError());
            return 2;
        }
        if (rgb565)
            for (Rgb& c : images[i].pixels)
                c = {uint8_t(c.r & 0xF8), uint8_t(c.g & 0xFC), uint8_t(c.b & 0xF8)};
    }
    const Image& expected = images[0];
    const Image& actual = images[1];
    const std::string difference =
        Describe(CompareImages(expected, actual, static_cast<int>(tolerance)), expected, actual);
    if (difference.empty())
        return 0;
    printf("%s\n", difference.c_str());
    return 1;
}

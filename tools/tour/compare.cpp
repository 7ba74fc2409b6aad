// Compares two pictures pixel by pixel, each channel within TOLERANCE
// (default 0); --rgb565 first keeps the top 5, 6 and 5 bits (the handheld's
// colour), so that 16-bit screens widened by shifting and by scaling match.
// Exits 0 when they match, 1 with a line on the pixels that differ, 2 when a
// picture cannot be read.
//
//   tvout-compare [--rgb565] EXPECTED.png ACTUAL.png [TOLERANCE]
#include "harness/image.h"

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
    Image images[2];
    for (int i = 0; i < 2; ++i)
    {
        images[i] = LoadImage(argv[1 + i]);
        if (images[i].pixels.empty())
        {
            fprintf(stderr, "tvout-compare: cannot read %s: %s\n", argv[1 + i], SDL_GetError());
            return 2;
        }
        if (rgb565)
            for (Rgb& c : images[i].pixels)
                c = {uint8_t(c.r & 0xF8), uint8_t(c.g & 0xFC), uint8_t(c.b & 0xF8)};
    }
    const std::string difference = Describe(
        CompareImages(images[0], images[1], static_cast<int>(tolerance)), images[0], images[1]);
    if (difference.empty())
        return 0;
    printf("%s\n", difference.c_str());
    return 1;
}

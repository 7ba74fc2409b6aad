// Compares two pictures pixel by pixel, each channel within a tolerance
// (default 0):
//
//   tvout-compare EXPECTED.png ACTUAL.png [TOLERANCE]
//
// Exits 0 when they match; 1 when they differ, with one line saying how
// many pixels do and the first of them; 2 when a file cannot be read.
#include "tests/image.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    char* end = nullptr;
    const long tolerance = argc == 4 ? strtol(argv[3], &end, 10) : 0;
    if (argc < 3 || argc > 4 || (end && (*end || end == argv[3] || tolerance < 0)))
    {
        fprintf(stderr, "usage: %s EXPECTED.png ACTUAL.png [TOLERANCE]\n", argv[0]);
        return 2;
    }
    const Image expected = LoadImage(argv[1]);
    const Image actual = LoadImage(argv[2]);
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

// A colour as the tests compare it: 8 bits per channel.
#ifndef HARNESS_RGB_H
#define HARNESS_RGB_H

#include <stdint.h>

struct Rgb
{
    uint8_t r, g, b;
};

inline bool operator==(const Rgb& a, const Rgb& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

#endif

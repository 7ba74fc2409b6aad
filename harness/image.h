// Pictures as the tests compare them: 8-bit RGB, loaded with SDL_image or
// read from a surface, compared with a per-channel tolerance, and saved as
// PNG for a person to look at.
#ifndef HARNESS_IMAGE_H
#define HARNESS_IMAGE_H

#include "harness/rgb.h"

#include <string>
#include <vector>

struct SDL_Surface;

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row by row

    Image() = default;
    Image(int w, int h, Rgb fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    Rgb At(int x, int y) const { return pixels[y * width + x]; }
    Rgb& At(int x, int y) { return pixels[y * width + x]; }
    // Paints the part of the rectangle that lies in the image.
    void Fill(int x, int y, int w, int h, Rgb colour);
};

// Every channel of `a` within `tolerance` of `b`'s.
bool Near(const Rgb& a, const Rgb& b, int tolerance = 8);

// The file as SDL_image reads it; empty when it cannot be read.
Image LoadImage(const std::string& path);
// The pixels of `surface` as its format stores them (alpha left out).
Image ImageOf(SDL_Surface* surface);
bool SavePng(const Image& image, const std::string& path);

struct ImageDifference
{
    int count = 0; // pixels off in some channel by more than the tolerance
    bool sizesDiffer = false;
    int x = 0, y = 0; // the first of them, row by row
    Rgb expected = {0, 0, 0}, actual = {0, 0, 0};

    bool None() const { return !sizesDiffer && count == 0; }
};
ImageDifference CompareImages(const Image& expected, const Image& actual, int tolerance);
// "N pixels differ, first at (X, Y): expected #RRGGBB, actual #RRGGBB", or
// how the sizes differ; empty when the images match.
std::string Describe(const ImageDifference& difference, const Image& expected, const Image& actual);

// Empty when `actual` matches `expected`; otherwise both are saved as
// `pathStem`-expected.png and `pathStem`-actual.png, and the text says how
// they differ and where the pictures are.
std::string ImageMismatch(const Image& expected, const Image& actual, int tolerance,
                          const std::string& pathStem);

#endif

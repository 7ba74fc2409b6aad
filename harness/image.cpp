#include "harness/image.h"

#include <SDL.h>
#include <SDL_image.h>
#include <png.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

bool Near(const Rgb& a, const Rgb& b, int tolerance)
{
    return abs(a.r - b.r) <= tolerance && abs(a.g - b.g) <= tolerance &&
           abs(a.b - b.b) <= tolerance;
}

void Image::Fill(int x, int y, int w, int h, Rgb colour)
{
    for (int py = std::max(y, 0); py < std::min(y + h, height); ++py)
        for (int px = std::max(x, 0); px < std::min(x + w, width); ++px)
            At(px, py) = colour;
}

Image ImageOf(SDL_Surface* surface)
{
    Image image(surface->w, surface->h, {0, 0, 0});
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return image;
    const int bpp = surface->format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
        {
            // A pixel's bytes hold one number in the machine's byte order.
            const Uint8* p =
                static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
            Uint32 pixel = 0;
            for (int i = 0; i < bpp; ++i)
                pixel |= Uint32(p[i]) << 8 * (SDL_BYTEORDER == SDL_LIL_ENDIAN ? i : bpp - 1 - i);
            Rgb& c = image.At(x, y);
            SDL_GetRGB(pixel, surface->format, &c.r, &c.g, &c.b);
        }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    return image;
}

Image LoadImage(const std::string& path)
{
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded)
        return Image();
    Image image = ImageOf(loaded);
    SDL_FreeSurface(loaded);
    return image;
}

bool SavePng(const Image& image, const std::string& path)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    static_assert(sizeof(Rgb) == 3, "pixels are packed RGB");
    return png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

ImageDifference CompareImages(const Image& expected, const Image& actual, int tolerance)
{
    ImageDifference d;
    if (expected.width != actual.width || expected.height != actual.height)
    {
        d.sizesDiffer = true;
        return d;
    }
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            if (!Near(actual.At(x, y), expected.At(x, y), tolerance) && d.count++ == 0)
            {
                d.x = x;
                d.y = y;
                d.expected = expected.At(x, y);
                d.actual = actual.At(x, y);
            }
    return d;
}

std::string Describe(const ImageDifference& d, const Image& expected, const Image& actual)
{
    char text[128] = "";
    if (d.sizesDiffer)
        snprintf(text, sizeof(text), "the sizes differ: expected %dx%d, actual %dx%d",
                 expected.width, expected.height, actual.width, actual.height);
    else if (!d.None())
        snprintf(
            text, sizeof(text),
            "%d pixels differ, first at (%d, %d): expected #%02X%02X%02X, actual #%02X%02X%02X",
            d.count, d.x, d.y, d.expected.r, d.expected.g, d.expected.b, d.actual.r, d.actual.g,
            d.actual.b);
    return text;
}

std::string ImageMismatch(const Image& expected, const Image& actual, int tolerance,
                          const std::string& pathStem)
{
    const std::string text = Describe(CompareImages(expected, actual, tolerance), expected, actual);
    if (text.empty())
        return text;
    SavePng(expected, pathStem + "-expected.png");
    SavePng(actual, pathStem + "-actual.png");
    return text + "; pictures in " + pathStem + "-{expected,actual}.png";
}

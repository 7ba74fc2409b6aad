// Pictures for a person to look at, written with libpng's simplified API.
#include "tests/e2e/virtualx.h"

#include <png.h>

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

// A PNG writer small enough to need no image library: 8-bit RGB, no filter,
// the image data in uncompressed ("stored") deflate blocks.
#include "tests/e2e/virtualx.h"

#include <stdint.h>

#include <algorithm>
#include <fstream>

namespace
{
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutU32(std::string& out, uint32_t v)
{
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutU32(out, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutU32(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

// A zlib stream of stored blocks (each at most 65535 bytes) with its Adler-32.
std::string StoredZlib(const std::string& raw)
{
    std::string out = "\x78\x01";
    size_t pos = 0;
    do
    {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());

    uint32_t a = 1, b = 0;
    for (unsigned char c : raw)
    {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutU32(out, (b << 16) | a);
    return out;
}
} // namespace

bool SavePng(const Image& image, const std::string& path)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    std::string header;
    PutU32(header, image.width);
    PutU32(header, image.height);
    header += "\x08\x02"; // 8 bits per channel, RGB
    header += std::string(3, '\0');

    std::string raw;
    raw.reserve((image.width * 3 + 1) * image.height);
    for (int y = 0; y < image.height; ++y)
    {
        raw += '\0'; // filter: none
        for (int x = 0; x < image.width; ++x)
        {
            const Rgb c = image.At(x, y);
            raw += static_cast<char>(c.r);
            raw += static_cast<char>(c.g);
            raw += static_cast<char>(c.b);
        }
    }

    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", "");

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

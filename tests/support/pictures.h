#pragma once

#include <cstdint>
#include <functional>

#include "support/test_files.h"

namespace lumigram::test {

struct Rgb {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A BMP as Windows writes it: 54-byte header, bottom-up rows of 24 or 32 bits
// padded to a multiple of 4. pixel(x, y) gives the colour at column x of row y
// counted from the top; alpha(x, y) the fourth byte of 32-bit pixels; padding
// bytes are filled with padByte.
struct BmpSpec {
    int width = 0;
    int height = 0;
    int bitCount = 24;
    std::function<Rgb(int x, int y)> pixel = [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x + y * 3),
                   static_cast<std::uint8_t>(x * y + 11)};
    };
    std::function<std::uint8_t(int x, int y)> alpha = [](int x, int y) {
        return static_cast<std::uint8_t>(x ^ y);
    };
    std::uint8_t padByte = 0;
};

Bytes MakeBmp(const BmpSpec& spec);

std::uint32_t RowStride(int width, int bitCount);

// Pixel (x, y from the top) of a 24- or 32-bit bottom-up BMP with a 54-byte header.
Rgb BmpPixel(const Bytes& bmp, int x, int y);

// A ".k" skin picture built byte by byte: the 16-byte header, then rows as given
// (top row first), then an optional mask plane.
Bytes MakeSkin(std::uint16_t width, std::uint16_t height, std::uint8_t bitsPerPixel,
               std::uint16_t rowStride, const Bytes& rows, const Bytes& mask = {});

std::uint32_t Le32(const Bytes& bytes, std::size_t at);
std::uint16_t Le16(const Bytes& bytes, std::size_t at);
void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value);
void PutLe16(Bytes& bytes, std::size_t at, std::uint16_t value);

}  // namespace lumigram::test

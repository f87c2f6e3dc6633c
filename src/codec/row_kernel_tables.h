#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/skin_format.h"

// Byte constants for the vector row kernels. A block of N pixels is 3N bytes,
// and byte j of a block is byte j mod 3 (blue, green, red) of pixel j div 3;
// each constant holds, per byte, what that byte's place in its pixel needs.
namespace lumigram::row_tables {

template <std::size_t bytes>
using Table = std::array<std::uint8_t, bytes>;

// The byte value v at every byte of place `place` (0 blue, 1 green, 2 red).
template <std::size_t bytes>
constexpr Table<bytes> AtPlace(int place, std::uint8_t v) {
    Table<bytes> t{};
    for (std::size_t j = 0; j < bytes; ++j) {
        t[j] = static_cast<int>(j % 3) == place ? v : 0;
    }
    return t;
}

// Per byte, the bit of its pixel within a mask byte: 1 << (pixel mod 8).
template <std::size_t bytes>
constexpr Table<bytes> PixelBit() {
    Table<bytes> t{};
    for (std::size_t j = 0; j < bytes; ++j) {
        t[j] = static_cast<std::uint8_t>(1u << ((j / 3) % 8));
    }
    return t;
}

// Per byte, which mask byte of the block holds its pixel's bit.
template <std::size_t bytes>
constexpr Table<bytes> PixelMaskByte() {
    Table<bytes> t{};
    for (std::size_t j = 0; j < bytes; ++j) {
        t[j] = static_cast<std::uint8_t>(j / 3 / 8);
    }
    return t;
}

// Narrowing, byte by byte: with x the byte and y the byte after it,
//   blue  = (x >> 2) | (y & 0x0C) << 4      (blue6, low bits of green6)
//   green = (x >> 4) | (y & 0x3C) << 2      (rest of green6, low bits of red6)
//   red   =  x >> 6                          (rest of red6)
// Widening, with x the stored byte and w the stored byte before it:
//   blue  = (x << 2) & 0xFC
//   green = (x << 4) & 0xF0 | (w >> 4) & 0x0C
//   red   = (x << 6) & 0xC0 | (w >> 2) & 0x3C
template <std::size_t bytes>
struct Constants {
    Table<bytes> narrowShr2 = AtPlace<bytes>(0, 0x3F);
    Table<bytes> narrowShr4 = AtPlace<bytes>(1, 0x0F);
    Table<bytes> narrowShr6 = AtPlace<bytes>(2, 0x03);
    Table<bytes> narrowNextShl4 = AtPlace<bytes>(0, 0xC0);
    Table<bytes> narrowNextShl2 = AtPlace<bytes>(1, 0xF0);
    Table<bytes> widenShl2 = AtPlace<bytes>(0, 0xFC);
    Table<bytes> widenShl4 = AtPlace<bytes>(1, 0xF0);
    Table<bytes> widenShl6 = AtPlace<bytes>(2, 0xC0);
    Table<bytes> widenPrevShr4 = AtPlace<bytes>(1, 0x0C);
    Table<bytes> widenPrevShr2 = AtPlace<bytes>(2, 0x3C);
    Table<bytes> pixelBit = PixelBit<bytes>();
    Table<bytes> pixelMaskByte = PixelMaskByte<bytes>();
};

// The transparency colour repeated over a block.
template <std::size_t bytes>
Table<bytes> ColourBlock(TransparencyColour colour) {
    Table<bytes> t{};
    for (std::size_t j = 0; j < bytes; j += 3) {
        t[j] = colour.blue;
        t[j + 1] = colour.green;
        t[j + 2] = colour.red;
    }
    return t;
}

// 48 equality bits of 16 pixels (bit j: byte j matched its colour byte) to
// 16 bits, bit i set when all three bytes of pixel i matched.
constexpr std::uint32_t PixelsMatching(std::uint64_t bytesMatching) {
    std::uint64_t x = bytesMatching & (bytesMatching >> 1) & (bytesMatching >> 2);
    x &= 0x249249249249u;                  // pixel i at bit 3i
    x = (x | (x >> 2)) & 0x0C30C30C30C3u;  // pixels 2k, 2k+1 at bits 6k, 6k+1
    x = (x | (x >> 4)) & 0x00F00F00F00Fu;  // four pixels at bits 12k to 12k+3
    x = (x | (x >> 8)) & 0x0000FF0000FFu;  // eight at bits 24k to 24k+7
    return static_cast<std::uint32_t>((x | (x >> 16)) & 0xFFFFu);
}

}  // namespace lumigram::row_tables

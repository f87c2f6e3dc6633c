#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/test_files.h"

namespace lumigram::test {

// A PNG made with libspng from raw rows in the PNG's own layout (packed samples,
// big-endian 16-bit), so that every colour type and depth can be fed in.
struct PngSpec {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint8_t colorType = 6;  // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    std::uint8_t bitDepth = 8;
    bool interlaced = false;
    Bytes raw;           // height rows of packed samples, no filter bytes
    Bytes palette;       // RGB triples, for colour type 3
    Bytes paletteAlpha;  // tRNS for colour type 3
    int grayKey = -1;    // tRNS for colour type 0: this gray value is transparent
};
Bytes MakePng(const PngSpec& spec);

// A PNG decoded whole as RGBA, 8 bits a channel.
struct RgbaPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes rgba;
    std::uint8_t colorType = 0;  // as stored
    friend bool operator==(const RgbaPicture&, const RgbaPicture&) = default;
};
RgbaPicture ReadPng(const Bytes& png);

// A chunk: length, type, data, CRC.
Bytes PngChunk(const std::string& type, const Bytes& data);

// A PNG put together chunk by chunk: the signature, IHDR, the chunks given,
// the filtered rows (filter bytes included) deflated by zlib and split into
// IDAT chunks of piece bytes (one when 0), then IEND.
struct RawPngSpec {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint8_t bitDepth = 8;
    std::uint8_t colorType = 0;
    bool interlaced = false;
    Bytes filtered;
    std::vector<std::pair<std::string, Bytes>> chunks;  // before the image data
    std::size_t piece = 0;
};
Bytes MakeRawPng(const RawPngSpec& spec);

}  // namespace lumigram::test

#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

// Bytes of a BMP the encoder looks at: the 54-byte headers plus the three
// bit-field masks that follow a 40-byte information header (or sit inside a
// larger one) at bytes 54 to 65.
inline constexpr std::size_t kBmpProbeSize = 66;

// Where the pixels of a BMP lie and how to walk them.
struct BmpLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;    // rows, whatever the stored sign
    std::uint16_t bitCount = 0;  // 24 or 32
    bool topDown = false;        // a negative stored height: top row first
    std::uint64_t pixelOffset = 0;
    std::uint32_t rowStride = 0;  // bytes per row, a multiple of 4
};

// Checks a "BM" file before any of it is trusted. head holds the first bytes of
// the file (up to kBmpProbeSize), fileSize its full length. Raises FormatError
// naming path with a message beginning "unsupported BMP: " when the file is
// shorter than its headers, its information header is shorter than 40 bytes, it
// is not 24 or 32 bits per pixel, it is compressed (32-bit standard bit fields
// excepted), it is too wide or too high for a ".k" header, or its pixel data is
// not wholly present.
BmpLayout CheckBmpForEncoding(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                              const std::string& path);

}  // namespace lumigram

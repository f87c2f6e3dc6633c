#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

// The ".k" skin picture: a 16-byte header, Height rows of RowStride bytes (top row
// first), and for 18-bit pictures an optional mask plane of Height rows of
// MaskStride bytes, one bit per pixel, 1 = opaque.
inline constexpr std::size_t kSkinHeaderSize = 16;

// Non-BMP inputs are copied in blocks of this size.
inline constexpr std::size_t kCopyBlockSize = 8192;

struct SkinHeader {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t bitsPerPixel = 0;
    std::uint16_t rowStride = 0;
};

// Reads the used fields; the reserved bytes may hold anything.
SkinHeader ParseSkinHeader(std::span<const std::uint8_t, kSkinHeaderSize> bytes);

// All reserved bytes zero, the four used fields in place.
std::array<std::uint8_t, kSkinHeaderSize> MakeSkinHeader(const SkinHeader& header);

// Width / 8 rounded half to even, then up to a multiple of 4; for every 16-bit
// width this is 4 × ((Width + 27) div 32). Widths 1 to 4 give 0, and when
// Width mod 32 is 1 to 4 the last pixels of a row have no stored bit.
constexpr std::uint32_t MaskStrideFor(std::uint32_t width) {
    return 4 * ((width + 27) / 32);
}

// The bytes the pixels of one stored row take: Width × 4 at 32 bits, Width × 3
// at 18 bits and at every other depth (whose rows are copied as 24-bit BMP rows).
// A RowStride below this is refused; a wider one is row padding.
constexpr std::uint64_t RowPixelBytes(const SkinHeader& header) {
    return std::uint64_t{header.width} * (header.bitsPerPixel == 32 ? 4 : 3);
}

// A row of rowBytes rounded up to the next multiple of 4.
constexpr std::uint32_t RoundUpTo4(std::uint32_t rowBytes) {
    return (rowBytes + 3) & ~3u;
}

// The transparency colour, held in BMP byte order.
struct TransparencyColour {
    std::uint8_t blue = 255;
    std::uint8_t green = 0;
    std::uint8_t red = 255;
    friend bool operator==(const TransparencyColour&, const TransparencyColour&) = default;
};

// 6:6:6 packing: each 8-bit channel shifted right by 2, blue in bits 0-5, green
// in 6-11, red in 12-17. Bits 18-23 stay zero.
constexpr std::uint32_t Narrow666(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return (static_cast<std::uint32_t>(red >> 2) << 12) |
           (static_cast<std::uint32_t>(green >> 2) << 6) | static_cast<std::uint32_t>(blue >> 2);
}

}  // namespace lumigram

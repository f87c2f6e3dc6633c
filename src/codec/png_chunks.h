#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lumigram {

class ByteSource;

// The keyword and text of the text chunk that marks a PNG written from a 32-bit
// ".k" picture, so that it goes back to 32 bits.
inline constexpr const char* kSkinBitsKeyword = "Lumigram skin bits";
inline constexpr const char* kSkinBits32 = "32";

// What a PNG's chunks before its image data say, read and checked.
struct PngInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
    // Palette entries as red, green, blue, alpha (alpha from tRNS, else 255);
    // an index past the palette gives opaque black.
    std::array<std::uint8_t, 4 * 256> palette{};
    // A transparent colour (tRNS of a grey or RGB picture), compared with the
    // samples as stored (16 bits when the picture has them).
    bool hasKey = false;
    std::array<std::uint16_t, 3> key{};  // grey in [0]; red, green, blue
    // Whether the picture carries transparency at all: an alpha channel, or a
    // tRNS chunk that applies.
    bool hasAlpha = false;
    bool keeps32Bits = false;       // the 32-bit marker is among the text chunks
    std::uint64_t imageDataAt = 0;  // where the first IDAT chunk begins

    unsigned Channels() const;
    // Bytes of one filtered row of `columns` pixels, without its filter byte.
    std::uint64_t RowBytes(std::uint32_t columns) const;
    // Bytes of one whole pixel, at least 1: how far back the filters look.
    unsigned FilterDistance() const;
};

// Reads the signature and every chunk up to the first IDAT, checking what
// decoding relies on, and raises FormatError naming the source when the PNG
// cannot be read: a bad signature, IHDR first with legal values, chunk lengths
// within the file and below 2^31, the CRC of every critical chunk, PLTE of 1 to
// 256 entries (no more than the bit depth allows in a palette picture) and
// present for one, no unknown critical chunk, and image data present. Damaged or
// misplaced ancillary chunks (tRNS of the wrong length or place, a text chunk
// whose CRC fails) are passed over, as they do not change the pixels.
PngInfo ReadPngInfo(ByteSource& source);

// Raises FormatError naming name: "unreadable PNG: " + what.
[[noreturn]] void RefusePng(const std::string& what, const std::string& name);

}  // namespace lumigram

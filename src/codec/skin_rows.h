#pragma once

#include <cstdint>
#include <span>

#include "codec/skin_format.h"

namespace lumigram {

class ByteSource;
struct RowBuffers;

// The rows of a checked ".k" picture (see ReadCheckedSkinHeader), one at a
// time in any order, each with the bytes of its mask row that the source
// holds: pointers into the source when it is in memory, otherwise read into
// the codec's row buffers. Every reader of pixels goes through it, so all of
// them agree on which pixels are opaque.
class SkinRows {
  public:
    // withMask false: every pixel is opaque (transparency off, 32 bits, or a
    // picture with no mask bits at all).
    SkinRows(ByteSource& input, const SkinHeader& header, bool withMask);

    // Makes row y the current one.
    void Load(std::uint32_t y);
    // The current row's stored bytes (RowStride of them).
    const std::uint8_t* pixels() const noexcept { return pixels_; }
    // Whether pixel x of the current row is opaque: its mask bit is 1, or it
    // has no bit in the source (a missing or short mask row, the unstored last
    // pixels of a row).
    bool Opaque(std::uint32_t x) const noexcept {
        return x / 8 >= maskBytes_ || ((mask_[x / 8] >> (x % 8)) & 1) != 0;
    }
    // Whether the source holds any mask byte at all, so a picture can have a
    // transparent pixel.
    bool HasMask() const noexcept { return maskStride_ > 0; }

  private:
    ByteSource& input_;
    SkinHeader header_;
    std::span<const std::uint8_t> memory_;  // the whole source, when in memory
    std::uint32_t maskStride_;              // 0 when no mask is read
    std::uint64_t maskPlane_;
    RowBuffers& buffers_;
    std::uint32_t loaded_ = UINT32_MAX;
    const std::uint8_t* pixels_ = nullptr;
    const std::uint8_t* mask_ = nullptr;
    std::size_t maskBytes_ = 0;
};

// The 24-bit value of a stored 18-bit pixel, bits 18-23 cleared.
inline std::uint32_t Stored666(const std::uint8_t* p) {
    return (p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16)) & 0x3FFFF;
}

// A 6-bit channel as 8 bits, as the BMP decode widens it.
constexpr std::uint8_t WidenSix(std::uint32_t sixBits) {
    return static_cast<std::uint8_t>((sixBits & 63) << 2);
}

}  // namespace lumigram

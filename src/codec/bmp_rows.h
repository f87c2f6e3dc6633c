#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/rgba_rows.h"
#include "codec/skin_format.h"

namespace lumigram {

class ByteSource;

// Whether a BMP's first bytes (at least 54) describe a picture BmpRowSource reads
// and the 24/32-bit encoder does not: uncompressed 1-, 4- or 8-bit palette, or
// 16-bit 5:5:5 or 5:6:5.
bool IsPaletteOr16BitBmp(std::span<const std::uint8_t> head);

// Uncompressed BMPs read as RGBA rows: the 1-, 4- and 8-bit palette pictures and
// 16-bit 5:5:5 (plain or bit fields) or 5:6:5 (bit fields) pictures that paint
// programs still write, and 24- and 32-bit ones (the fourth byte ignored). A pixel of exactly the
// transparency colour gets alpha 0, every other alpha 255. Everything is checked before a row is
// read (header, palette, widths and heights a ".k" can hold, pixel data within the file); a refusal
// is a FormatError naming the file, beginning "unsupported BMP: ".
class BmpRowSource final : public RgbaRowSource {
  public:
    // With keyed false every pixel is opaque.
    BmpRowSource(ByteSource& input, TransparencyColour colour, bool keyed = true);

    std::uint32_t width() const override { return width_; }
    std::uint32_t height() const override { return height_; }
    bool hasAlpha() const override { return true; }
    void NextRow(std::span<std::uint8_t> row) override;
    void Rewind() override { nextRow_ = 0; }

  private:
    ByteSource& input_;
    TransparencyColour colour_;
    bool keyed_ = true;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint16_t bitCount_ = 0;
    bool topDown_ = false;
    bool is565_ = false;
    std::uint64_t pixelOffset_ = 0;
    std::uint32_t rowStride_ = 0;
    std::array<std::uint8_t, 4 * 256> palette_{};  // blue, green, red, reserved
    std::vector<std::uint8_t> stored_;
    std::uint32_t nextRow_ = 0;
};

}  // namespace lumigram

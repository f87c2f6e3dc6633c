#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/rgba_rows.h"

struct spng_trns;

namespace lumigram {

class ByteSource;
class PngContext;
class PngImageData;
class RowPrefetch;

// A PNG of any colour type and bit depth (palette with tRNS included), read as
// RGBA rows through libspng: row by row, or whole for an interlaced picture. A
// large picture is decoded on a helper thread a few bands of rows ahead of the
// caller, so that decoding and whatever the caller does with the rows overlap;
// for a large 8-bit RGB or RGBA one that thread only inflates, and the caller's
// thread undoes the filters, so the work splits about evenly.
// The constructor reads the chunks before the pixels and refuses, with a
// FormatError naming the file, a picture a ".k" cannot hold (wider than a BMP
// may be, higher than 65,535 rows) or an interlaced one too large to hold.
class PngRowSource final : public RgbaRowSource {
  public:
    explicit PngRowSource(ByteSource& input);
    ~PngRowSource() override;

    std::uint32_t width() const override { return width_; }
    std::uint32_t height() const override { return height_; }
    bool hasAlpha() const override { return hasAlpha_; }
    bool keeps32Bits() const override { return keeps32Bits_; }
    void NextRow(std::span<std::uint8_t> row) override;
    void Rewind() override;

  private:
    void Start();
    void DecodeRow(std::span<std::uint8_t> row);
    void StartSplit(unsigned channels, const spng_trns& trns);
    void RestoreRow(std::span<std::uint8_t> row);

    ByteSource& input_;
    std::unique_ptr<PngContext> png_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool hasAlpha_ = false;
    bool keeps32Bits_ = false;
    bool interlaced_ = false;
    std::vector<std::uint8_t> whole_;  // an interlaced picture, decoded at once
    std::uint32_t nextRow_ = 0;
    // An 8-bit RGB or RGBA picture read in two halves (see StartSplit).
    std::unique_ptr<PngImageData> imageData_;
    unsigned channels_ = 0;
    std::uint32_t key_ = 0;  // an RGB picture's transparent colour: red, green, blue from bit 0
    // The filter type, then the row as inflated (restored_: the row above, as
    // restored), then a spare byte.
    std::vector<std::uint8_t> filtered_;
    std::vector<std::uint8_t> restored_;
    std::unique_ptr<RowPrefetch> prefetch_;  // after png_ and imageData_: stopped before they go
};

}  // namespace lumigram

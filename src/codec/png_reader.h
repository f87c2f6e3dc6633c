#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codec/png_chunks.h"
#include "codec/rgba_rows.h"

namespace lumigram {

class ByteSource;
class PngImageData;
class RowPrefetch;

// A PNG of any colour type and bit depth (palette with tRNS, 16-bit, Adam7
// interlacing included), read as RGBA rows, 8 bits a channel: 16-bit samples
// keep their high byte, lower depths of grey are scaled to 0-255, a tRNS
// colour is compared with the samples as stored, and a palette index past the
// palette gives opaque black. Non-interlaced pictures are read one row at a
// time; a large one has its image data inflated on a helper thread a few bands
// of rows ahead while the caller's thread undoes the filters, so the work
// splits about evenly. An interlaced picture is decoded whole.
// The constructor reads the chunks before the pixels (see ReadPngInfo) and
// refuses, with a FormatError naming the source, a picture a ".k" cannot hold
// (wider than a BMP may be, higher than 65,535 rows) or an interlaced one too
// large to hold, before any pixel is decoded.
class PngRowSource final : public RgbaRowSource {
  public:
    explicit PngRowSource(ByteSource& input);
    ~PngRowSource() override;

    std::uint32_t width() const override { return info_.width; }
    std::uint32_t height() const override { return info_.height; }
    bool hasAlpha() const override { return info_.hasAlpha; }
    bool keeps32Bits() const override { return info_.keeps32Bits; }
    void NextRow(std::span<std::uint8_t> row) override;
    void Rewind() override;

  private:
    void Start();
    void DecodeInterlaced();
    // The next filtered row (filter byte first) into filtered_.
    void NextFiltered();
    // Undoes row y's filter (filtered_ against prior_) and converts it.
    void Restore(std::uint32_t y, std::uint32_t columns, std::span<std::uint8_t> rgba);

    ByteSource& input_;
    PngInfo info_;
    std::unique_ptr<PngImageData> imageData_;
    std::size_t stride_ = 0;              // bytes of a filtered row of the whole width
    std::uint32_t rowsLeft_ = 0;          // filtered rows not yet inflated
    std::vector<std::uint8_t> filtered_;  // filter type, the row, spare bytes
    std::vector<std::uint8_t> prior_;     // the row above, restored
    std::vector<std::uint8_t> whole_;     // an interlaced picture, decoded at once
    std::uint32_t nextRow_ = 0;
    std::unique_ptr<RowPrefetch> prefetch_;  // after imageData_: stopped before it goes
};

}  // namespace lumigram

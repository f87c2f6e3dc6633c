#pragma once

#include <cstdint>
#include <span>

namespace lumigram {

// A picture handed over one row at a time, top row first, as red, green, blue,
// alpha bytes: the shape every ordinary picture takes on its way into a ".k".
class RgbaRowSource {
  public:
    virtual ~RgbaRowSource() = default;
    virtual std::uint32_t width() const = 0;
    virtual std::uint32_t height() const = 0;
    // Whether the picture carries transparency at all; one that does not needs
    // no mask plane.
    virtual bool hasAlpha() const = 0;
    // Whether the picture is a 32-bit ".k" picture written out as PNG, to be
    // stored back as 32-bit pixels (blue, green, red, alpha) rather than 18-bit.
    virtual bool keeps32Bits() const { return false; }
    // Fills row (width × 4 bytes) with the next row.
    virtual void NextRow(std::span<std::uint8_t> row) = 0;
    // Starts again at the top row, for an output that must be written in order.
    virtual void Rewind() = 0;
};

}  // namespace lumigram

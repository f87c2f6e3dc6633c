#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "codec/rgba_rows.h"

namespace lumigram::web {

// RGBA pixels held in memory (a picture the browser decoded), handed to the
// ".k" encoder row by row. The caller checks that pixels holds width × height
// × 4 bytes.
class RgbaMemorySource : public RgbaRowSource {
  public:
    // hasAlpha: whether the picture's file carried transparency (an alpha
    // channel or a transparent colour); without it, whether any pixel is less
    // than fully opaque.
    RgbaMemorySource(std::span<const std::uint8_t> pixels, std::uint32_t width,
                     std::uint32_t height, std::optional<bool> hasAlpha);

    std::uint32_t width() const override { return width_; }
    std::uint32_t height() const override { return height_; }
    bool hasAlpha() const override { return hasAlpha_; }
    void NextRow(std::span<std::uint8_t> row) override;
    void Rewind() override { nextRow_ = 0; }

  private:
    std::span<const std::uint8_t> pixels_;
    std::uint32_t width_;
    std::uint32_t height_;
    bool hasAlpha_ = false;
    std::uint32_t nextRow_ = 0;
};

}  // namespace lumigram::web

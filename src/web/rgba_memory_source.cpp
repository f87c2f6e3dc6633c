#include "web/rgba_memory_source.h"

#include <algorithm>

namespace lumigram::web {

RgbaMemorySource::RgbaMemorySource(std::span<const std::uint8_t> pixels, std::uint32_t width,
                                   std::uint32_t height, std::optional<bool> hasAlpha)
    : pixels_(pixels), width_(width), height_(height), hasAlpha_(hasAlpha.value_or(false)) {
    for (std::size_t i = 3; !hasAlpha && i < pixels_.size(); i += 4) {
        if (pixels_[i] != 255) {
            hasAlpha_ = true;
            break;
        }
    }
}

void RgbaMemorySource::NextRow(std::span<std::uint8_t> row) {
    const std::size_t rowBytes = std::size_t{width_} * 4;
    const std::size_t from = std::size_t{std::min(nextRow_, height_ - 1)} * rowBytes;
    std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(from), rowBytes, row.begin());
    ++nextRow_;
}

}  // namespace lumigram::web

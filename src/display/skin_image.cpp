#include "display/skin_image.h"

#include <algorithm>

#include "codec/skin_pixels.h"

namespace lumigram {

QImage SkinImage(std::span<const std::uint8_t> bytes, bool transparencyEnabled,
                 const std::string& shownName) {
    const SampledPicture picture = DecodeSkinPixels(bytes, transparencyEnabled, shownName);
    QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height),
                 QImage::Format_ARGB32);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint32_t* from = picture.argb.data() + std::size_t{y} * picture.width;
        std::copy(from, from + picture.width,
                  reinterpret_cast<std::uint32_t*>(image.scanLine(static_cast<int>(y))));
    }
    return image;
}

}  // namespace lumigram

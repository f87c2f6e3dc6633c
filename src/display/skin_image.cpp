#include "display/skin_image.h"

#include <algorithm>

#include "codec/skin_pixels.h"

namespace lumigram {

QImage SkinImage(std::span<const std::uint8_t> bytes, bool transparencyEnabled,
                 const std::string& shownName) {
    const SampledPicture picture = DecodeSkinPixels(bytes, transparencyEnabled, shownName);
    QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height),
                 QImage::Format_ARGB32);
    const std::uint32_t opaque = transparencyEnabled ? 0 : 0xFF000000u;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint32_t* from = picture.argb.data() + std::size_t{y} * picture.width;
        auto* to = reinterpret_cast<std::uint32_t*>(image.scanLine(static_cast<int>(y)));
        std::transform(from, from + picture.width, to,
                       [opaque](std::uint32_t pixel) { return pixel | opaque; });
    }
    return image;
}

}  // namespace lumigram

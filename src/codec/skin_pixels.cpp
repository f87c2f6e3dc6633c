#include "codec/skin_pixels.h"

#include <algorithm>

#include "codec/skin_format.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

std::uint32_t Widen(std::uint32_t sixBits) {
    return (sixBits & 63) << 2;
}

}  // namespace

SampledPicture DecodeSkinPixels(std::span<const std::uint8_t> bytes, bool transparencyEnabled,
                                const std::string& shownName) {
    const SkinHeader header = CheckSkinHeader(bytes, bytes.size(), SkinBytes::kPicture, shownName);
    const bool bits32 = header.bitsPerPixel == 32;
    if (!bits32 && header.bitsPerPixel != 18) {
        throw FormatError("a skin picture of " + std::to_string(header.bitsPerPixel) +
                              " bits per pixel cannot be shown; only 18- and 32-bit ones can",
                          shownName);
    }
    const std::uint64_t pixelEnd =
        kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    if (pixels == 0 || pixels > kMaxShownPixels) {
        throw FormatError("a picture of " + std::to_string(header.width) + " x " +
                              std::to_string(header.height) + " pixels cannot be shown",
                          shownName);
    }
    SampledPicture picture;
    picture.width = header.width;
    picture.height = header.height;
    picture.argb.resize(static_cast<std::size_t>(pixels));
    const std::uint32_t maskStride = MaskStrideFor(header.width);
    const bool masked = !bits32 && transparencyEnabled && maskStride > 0 && bytes.size() > pixelEnd;
    for (std::uint32_t y = 0; y < header.height; ++y) {
        const std::uint8_t* row =
            bytes.data() + kSkinHeaderSize + std::size_t{y} * header.rowStride;
        std::uint32_t* out = picture.argb.data() + std::size_t{y} * header.width;
        const std::uint64_t maskAt = pixelEnd + std::uint64_t{y} * maskStride;
        const std::size_t maskBytes =
            masked ? static_cast<std::size_t>(std::min<std::uint64_t>(
                         maskStride, maskAt < bytes.size() ? bytes.size() - maskAt : 0))
                   : 0;
        for (std::uint32_t x = 0; x < header.width; ++x) {
            if (bits32) {
                const std::uint8_t* p = row + std::size_t{x} * 4;
                out[x] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                         (std::uint32_t{p[1]} << 8) | p[0];
                continue;
            }
            const std::uint8_t* p = row + std::size_t{x} * 3;
            const std::uint32_t v = p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
            const bool opaque =
                x / 8 >= maskBytes ||
                ((bytes[static_cast<std::size_t>(maskAt + x / 8)] >> (x % 8)) & 1) != 0;
            out[x] = (opaque ? 0xFF000000u : 0u) | (Widen(v >> 12) << 16) | (Widen(v >> 6) << 8) |
                     Widen(v);
        }
    }
    return picture;
}

}  // namespace lumigram

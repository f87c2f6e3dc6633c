#include "codec/skin_pixels.h"

#include "codec/skin_decoder.h"
#include "codec/skin_format.h"
#include "codec/skin_rows.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

namespace lumigram {

SampledPicture DecodeSkinPixels(ByteSource& input, bool transparencyEnabled) {
    const SkinHeader header = ReadCheckedSkinHeader(input);
    const bool bits32 = header.bitsPerPixel == 32;
    if (!bits32 && header.bitsPerPixel != 18) {
        throw FormatError("a skin picture of " + std::to_string(header.bitsPerPixel) +
                              " bits per pixel cannot be shown; only 18- and 32-bit ones can",
                          input.name());
    }
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    if (pixels == 0 || pixels > kMaxShownPixels) {
        throw FormatError("a picture of " + std::to_string(header.width) + " x " +
                              std::to_string(header.height) + " pixels cannot be shown",
                          input.name());
    }
    SampledPicture picture;
    picture.width = header.width;
    picture.height = header.height;
    picture.argb.resize(static_cast<std::size_t>(pixels));
    SkinRows rows(input, header, transparencyEnabled);
    // With transparency off every pixel is drawn opaque, a 32-bit one too, so
    // every front end that draws these pixels shows the same picture.
    const std::uint32_t forcedAlpha = transparencyEnabled ? 0 : 0xFF000000u;
    for (std::uint32_t y = 0; y < header.height; ++y) {
        rows.Load(y);
        const std::uint8_t* row = rows.pixels();
        std::uint32_t* out = picture.argb.data() + std::size_t{y} * header.width;
        if (bits32) {
            for (std::uint32_t x = 0; x < header.width; ++x) {
                const std::uint8_t* p = row + std::size_t{x} * 4;
                out[x] = forcedAlpha | (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                         (std::uint32_t{p[1]} << 8) | p[0];
            }
            continue;
        }
        for (std::uint32_t x = 0; x < header.width; ++x) {
            const std::uint32_t v = Stored666(row + std::size_t{x} * 3);
            out[x] = (rows.Opaque(x) ? 0xFF000000u : 0u) |
                     (std::uint32_t{WidenSix(v >> 12)} << 16) |
                     (std::uint32_t{WidenSix(v >> 6)} << 8) | WidenSix(v);
        }
    }
    return picture;
}

SampledPicture DecodeSkinPixels(std::span<const std::uint8_t> bytes, bool transparencyEnabled,
                                const std::string& shownName) {
    MemorySource input(bytes, shownName);
    return DecodeSkinPixels(input, transparencyEnabled);
}

}  // namespace lumigram

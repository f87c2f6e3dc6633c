#include "web/picture_functions.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include "codec/picture_conversion.h"
#include "codec/picture_direction.h"
#include "codec/png_chunks.h"
#include "codec/skin_decoder.h"
#include "codec/skin_from_rgba.h"
#include "codec/skin_pixels.h"
#include "package/ezx_format.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"
#include "web/js_bytes.h"
#include "web/rgba_memory_source.h"

namespace lumigram::web {
namespace {

using emscripten::val;

val Description(const char* kind, std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                bool alpha = false, const std::string& refusal = "") {
    val object = val::object();
    object.set("kind", kind);
    object.set("width", width);
    object.set("height", height);
    object.set("bits", bits);
    object.set("alpha", alpha);
    object.set("refusal", refusal);
    return object;
}

// 0xAARRGGBB as 0xAABBGGRR: in memory, R, G, B, A.
constexpr std::uint32_t SwapRedBlue(std::uint32_t pixel) {
    return (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
}

// The size a picture's own header gives; zeros when the header is cut short.
val DescribePicture(PictureKind kind, std::span<const std::uint8_t> b) {
    switch (kind) {
        case PictureKind::kSkin: {
            const SkinHeader header = ParseSkinHeader(b.first<kSkinHeaderSize>());
            return Description("k", header.width, header.height, header.bitsPerPixel);
        }
        case PictureKind::kBmp:
            if (ReadU32LE(b, 14) == 12 && b.size() >= 26) {  // the oldest header
                return Description("bmp", ReadU16LE(b, 18), ReadU16LE(b, 20), ReadU16LE(b, 24));
            }
            if (b.size() >= 30) {
                const std::int64_t height = ReadI32LE(b, 22);
                return Description("bmp", ReadU32LE(b, 18),
                                   static_cast<std::uint32_t>(height < 0 ? -height : height),
                                   ReadU16LE(b, 28));
            }
            return Description("bmp", 0, 0, 0);
        case PictureKind::kPng:
            break;  // told by the core's PNG reader (Describe)
        case PictureKind::kGif:
            if (b.size() >= 11) {
                return Description("gif", ReadU16LE(b, 6), ReadU16LE(b, 8), (b[10] & 7u) + 1);
            }
            return Description("gif", 0, 0, 0);
        case PictureKind::kUnknown:
            break;
    }
    const std::string_view signature = EZXHeader.substr(0, EZXHeader.find('\n'));
    const bool package =
        b.size() >= signature.size() && std::equal(signature.begin(), signature.end(), b.begin());
    return Description(package ? "ezx" : "other", 0, 0, 0);
}

// 0xRRGGBB as the codec holds a transparency colour.
constexpr TransparencyColour ColourOf(unsigned colour) {
    return TransparencyColour{static_cast<std::uint8_t>(colour & 0xFFu),
                              static_cast<std::uint8_t>((colour >> 8) & 0xFFu),
                              static_cast<std::uint8_t>((colour >> 16) & 0xFFu)};
}

}  // namespace

ConversionOptions ConversionOptionsOf(bool transparency, unsigned colour) {
    return ConversionOptions{ColourOf(colour), transparency};
}

namespace {

// Runs write into memory and returns what it wrote.
template <typename Write>
val OutputOf(Write write) {
    MemorySink output;
    write(output);
    return Uint8ArrayOf(output.bytes());
}

}  // namespace

val Describe(const val& bytes, const std::string& name) {
    return Guarded([&] {
        const std::vector<std::uint8_t> content = BytesFrom(bytes);
        MemorySource source(content, name);
        const PictureKind kind = PictureKindOf(source);
        if (kind == PictureKind::kPng) {
            // The chunks before the pixels, read and checked as convert reads
            // them: what it would refuse, it refuses before reading a pixel.
            try {
                const PngInfo info = ReadPngInfo(source);
                return Description("png", info.width, info.height, info.bitDepth * info.Channels(),
                                   info.hasAlpha);
            } catch (const FormatError& refused) {
                return Description("png", 0, 0, 0, false, refused.what());
            }
        }
        return DescribePicture(kind, content);
    });
}

val DecodeSkin(const val& bytes, const std::string& name, bool transparency, unsigned colour) {
    return Guarded([&] {
        const std::vector<std::uint8_t> content = BytesFrom(bytes);
        MemorySource source(content, name);
        // Refused in the words of `lumigram-cli decode`.
        CheckSkinPictureInput(source);
        ReadCheckedSkinHeader(source);
        SampledPicture picture = DecodeSkinPixels(source, transparency);
        const SkinHeader header = ParseSkinHeader(std::span(content).first<kSkinHeaderSize>());
        const bool bits18 = header.bitsPerPixel == 18;
        const std::uint64_t pixelEnd =
            kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
        const bool hasMask =
            bits18 && MaskStrideFor(header.width) != 0 && content.size() > pixelEnd;
        // 0xAARRGGBB, stored little-endian as B, G, R, A: swapped in place into
        // R, G, B, A, with the transparency colour under a masked-out pixel.
        // Branch-free loops, so that they run several pixels a step.
        const std::uint32_t shown = SwapRedBlue(colour & 0xFFFFFFu);
        if (bits18 && transparency) {
            for (std::uint32_t& pixel : picture.argb) {
                pixel = (pixel >> 24) == 0 ? shown : SwapRedBlue(pixel);
            }
        } else {
            for (std::uint32_t& pixel : picture.argb) {
                pixel = SwapRedBlue(pixel);
            }
        }
        val object = val::object();
        object.set("width", picture.width);
        object.set("height", picture.height);
        object.set("bits", header.bitsPerPixel);
        object.set("hasMask", hasMask);
        object.set("rgba", Uint8ArrayOf(
                               std::span(reinterpret_cast<const std::uint8_t*>(picture.argb.data()),
                                         picture.argb.size() * 4)));
        return object;
    });
}

val SkinToBmp(const val& bytes, const std::string& name, bool transparency, unsigned colour) {
    return Guarded([&] {
        const std::vector<std::uint8_t> content = BytesFrom(bytes);
        MemorySource input(content, name);
        CheckSkinPictureInput(input);
        return OutputOf([&](ByteSink& output) {
            DecodeSkinToBmp(input, output, ColourOf(colour), transparency);
        });
    });
}

val PictureToSkin(const val& bytes, const std::string& name, bool transparency, unsigned colour) {
    return Guarded([&] {
        const std::vector<std::uint8_t> content = BytesFrom(bytes);
        MemorySource input(content, name);
        const PictureKind kind = PictureKindOf(input);
        if (const std::string refusal = ConversionRefusal(kind, TargetFormat::kK);
            !refusal.empty()) {
            throw FormatError(refusal, name);
        }
        return OutputOf([&](ByteSink& output) {
            ConvertPicture(input, kind, TargetFormat::kK, output,
                           ConversionOptionsOf(transparency, colour));
        });
    });
}

val SkinToPng(const val& bytes, const std::string& name, bool transparency, unsigned colour) {
    return Guarded([&] {
        const std::vector<std::uint8_t> content = BytesFrom(bytes);
        MemorySource input(content, name);
        CheckSkinPictureInput(input);
        return OutputOf([&](ByteSink& output) {
            ConvertPicture(input, PictureKind::kSkin, TargetFormat::kPng, output,
                           ConversionOptionsOf(transparency, colour));
        });
    });
}

val RgbaToSkin(const val& rgba, unsigned width, unsigned height, const val& hasAlpha,
               bool transparency, unsigned colour) {
    return Guarded([&] {
        if (width == 0 || height == 0 || width > kMaxBmpWidth24 || height > kMaxPictureHeight) {
            throw FormatError("a picture of " + std::to_string(width) + " x " +
                                  std::to_string(height) +
                                  " pixels cannot be a skin picture: it takes 1 to " +
                                  std::to_string(kMaxBmpWidth24) + " columns and 1 to " +
                                  std::to_string(kMaxPictureHeight) + " rows",
                              "");
        }
        // Checked before anything is copied in.
        const auto length = rgba["length"].as<double>();
        if (length != static_cast<double>(std::uint64_t{width} * height * 4)) {
            throw FormatError("RGBA pixels: " + std::to_string(static_cast<std::uint64_t>(length)) +
                                  " bytes, not width x height x 4",
                              "");
        }
        const std::vector<std::uint8_t> pixels = BytesFrom(rgba);
        RgbaMemorySource source(
            pixels, width, height,
            hasAlpha.isUndefined() ? std::nullopt : std::optional(hasAlpha.as<bool>()));
        return OutputOf([&](ByteSink& output) {
            EncodeRowsToSkin(source, output, ColourOf(colour), transparency);
        });
    });
}

}  // namespace lumigram::web

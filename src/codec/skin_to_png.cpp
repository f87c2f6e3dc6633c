#include "codec/skin_to_png.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "codec/png_chunks.h"
#include "codec/png_writer.h"
#include "codec/rgba_rows.h"
#include "codec/skin_decoder.h"
#include "codec/skin_rows.h"
#include "platform/byte_file.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {
namespace {

// The one stored colour of every transparent pixel of a masked 18-bit picture,
// when there is at least one and no opaque pixel has that colour. The picture
// is then written as RGB with that colour marked transparent (tRNS): the same
// pixels and alpha when read, but a quarter less to filter and deflate, and
// much smaller where nothing repeats, as there deflate spends at least a bit a
// pixel on an alpha byte.
std::optional<std::uint32_t> SingleTransparentColour(SkinRows& rows, const SkinHeader& header) {
    std::vector<bool> opaqueColours(std::size_t{1} << 18);
    std::optional<std::uint32_t> key;
    for (std::uint32_t y = 0; y < header.height; ++y) {
        rows.Load(y);
        for (std::uint32_t i = 0; i < header.width; ++i) {
            const std::uint32_t v = Stored666(rows.pixels() + std::size_t{i} * 3);
            if (rows.Opaque(i)) {
                opaqueColours[v] = true;
            } else if (!key) {
                key = v;
            } else if (*key != v) {
                return std::nullopt;
            }
        }
    }
    if (key && opaqueColours[*key]) {
        return std::nullopt;
    }
    return key;
}

}  // namespace

void EncodeSkinAsPng(ByteSource& input, const SkinHeader& header, ByteSink& output,
                     bool transparencyEnabled) {
    const bool bits32 = header.bitsPerPixel == 32;
    if (!bits32 && header.bitsPerPixel != 18) {
        throw FormatError("a skin picture of " + std::to_string(header.bitsPerPixel) +
                              " bits per pixel has no PNG form; only 18- and 32-bit ones do",
                          input.name());
    }
    if (header.width == 0 || header.height == 0) {
        throw FormatError("an empty picture (" + std::to_string(header.width) + " x " +
                              std::to_string(header.height) + ") has no PNG form",
                          input.name());
    }
    const std::uint32_t width = header.width;
    SkinRows rows(input, header, transparencyEnabled && !bits32);
    PngLayout layout;
    layout.width = width;
    layout.height = header.height;
    layout.alpha = bits32 || rows.HasMask();
    if (bits32) {
        layout.textKeyword = kSkinBitsKeyword;
        layout.text = kSkinBits32;
    } else if (layout.alpha) {
        if (const auto key = SingleTransparentColour(rows, header)) {
            layout.alpha = false;
            layout.transparentRgb = {WidenSix(*key >> 12), WidenSix(*key >> 6), WidenSix(*key)};
        }
    }
    const bool keyed = layout.alpha;
    WritePng(output, layout, [&](std::uint32_t y, std::span<std::uint8_t> out) {
        rows.Load(y);
        const std::uint8_t* row = rows.pixels();
        if (bits32) {
            for (std::uint32_t i = 0; i < width; ++i) {
                const std::uint8_t* p = row + std::size_t{i} * 4;
                std::uint8_t* o = out.data() + std::size_t{i} * 4;
                o[0] = p[2];
                o[1] = p[1];
                o[2] = p[0];
                o[3] = p[3];
            }
            return;
        }
        const std::size_t channels = keyed ? 4 : 3;
        for (std::uint32_t i = 0; i < width; ++i) {
            const std::uint32_t v = Stored666(row + std::size_t{i} * 3);
            std::uint8_t* o = out.data() + i * channels;
            o[0] = WidenSix(v >> 12);
            o[1] = WidenSix(v >> 6);
            o[2] = WidenSix(v);
            if (keyed) {
                o[3] = rows.Opaque(i) ? 255 : 0;
            }
        }
    });
}

void SkinToPng(ByteSource& input, ByteSink& output, bool transparencyEnabled) {
    const SkinHeader header = ReadCheckedSkinHeader(input);
    EncodeSkinAsPng(input, header, output, transparencyEnabled);
}

void WriteRowsAsPng(RgbaRowSource& source, ByteSink& output) {
    if (source.width() == 0 || source.height() == 0) {
        throw FormatError("an empty picture has no PNG form", output.name());
    }
    PngLayout layout;
    layout.width = source.width();
    layout.height = source.height();
    layout.alpha = true;
    WritePng(output, layout,
             [&](std::uint32_t, std::span<std::uint8_t> out) { source.NextRow(out); });
}

void DecodeSkinPictureToPng(const std::string& inputPath, const std::string& outputPath,
                            bool transparencyEnabled) {
    ByteFile input = ByteFile::OpenRead(inputPath);
    const SkinHeader header = ReadCheckedSkinHeader(input);
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(outputPath, true);
    EncodeSkinAsPng(input, header, output->file(), transparencyEnabled);
    input.Close();
    output->Commit();
}

}  // namespace lumigram

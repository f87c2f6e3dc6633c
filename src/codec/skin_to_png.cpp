#include "codec/skin_to_png.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "codec/png_context.h"
#include "codec/png_writer.h"
#include "codec/rgba_rows.h"
#include "codec/work_buffers.h"
#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {
namespace {

std::uint8_t Widen(unsigned sixBits) {
    return static_cast<std::uint8_t>((sixBits & 63) << 2);
}

// Reads row y of a checked 18-bit picture and the bytes of its mask row that
// the file holds; returns how many mask bytes that is.
std::size_t ReadRowAndMask(ByteFile& input, std::uint64_t base, std::uint64_t size,
                           const SkinHeader& header, std::uint32_t y, std::span<std::uint8_t> row,
                           std::span<std::uint8_t> mask) {
    // Complete: the header check saw every row within the picture.
    input.ReadAt(base + kSkinHeaderSize + std::uint64_t{y} * header.rowStride, row);
    if (mask.empty()) {
        return 0;
    }
    const std::uint64_t at = kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride +
                             std::uint64_t{y} * mask.size();
    const std::uint64_t available = at < size ? size - at : 0;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(mask.size(), available));
    return want == 0 ? 0 : input.ReadAt(base + at, mask.first(want));
}

bool Opaque(std::span<const std::uint8_t> mask, std::size_t maskBytes, std::uint32_t i) {
    return i / 8 >= maskBytes || ((mask[i / 8] >> (i % 8)) & 1) != 0;
}

std::uint32_t Pixel18(const std::uint8_t* p) {
    return (p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16)) & 0x3FFFF;
}

// The one stored colour of every transparent pixel of a masked 18-bit picture,
// when there is at least one and no opaque pixel has that colour. The picture
// is then written as RGB with that colour marked transparent (tRNS): the same
// pixels and alpha when read, but a quarter less to filter and deflate, and
// much smaller where nothing repeats, as there deflate spends at least a bit a
// pixel on an alpha byte.
std::optional<std::uint32_t> SingleTransparentColour(ByteFile& input, std::uint64_t base,
                                                     std::uint64_t size, const SkinHeader& header,
                                                     std::span<std::uint8_t> row,
                                                     std::span<std::uint8_t> mask) {
    std::vector<bool> opaqueColours(std::size_t{1} << 18);
    std::optional<std::uint32_t> key;
    for (std::uint32_t y = 0; y < header.height; ++y) {
        const std::size_t maskBytes = ReadRowAndMask(input, base, size, header, y, row, mask);
        for (std::uint32_t i = 0; i < header.width; ++i) {
            const std::uint32_t v = Pixel18(row.data() + std::size_t{i} * 3);
            if (Opaque(mask, maskBytes, i)) {
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

void EncodeSkinAsPng(ByteFile& input, std::uint64_t base, std::uint64_t size,
                     const SkinHeader& header, ByteFile& output, bool transparencyEnabled) {
    const bool bits32 = header.bitsPerPixel == 32;
    if (!bits32 && header.bitsPerPixel != 18) {
        throw FormatError("a skin picture of " + std::to_string(header.bitsPerPixel) +
                              " bits per pixel has no PNG form; only 18- and 32-bit ones do",
                          input.path());
    }
    if (header.width == 0 || header.height == 0) {
        throw FormatError("an empty picture (" + std::to_string(header.width) + " x " +
                              std::to_string(header.height) + ") has no PNG form",
                          input.path());
    }
    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    const std::uint32_t maskStride = MaskStrideFor(width);
    const std::uint64_t pixelEnd = kSkinHeaderSize + std::uint64_t{height} * header.rowStride;
    const bool withAlpha = bits32 || (transparencyEnabled && maskStride > 0 && size > pixelEnd);

    RowBuffers& buffers = CodecRowBuffers();
    const std::span<std::uint8_t> row(buffers.row.data(), header.rowStride);
    const std::span<std::uint8_t> mask(buffers.mask.data(), withAlpha && !bits32 ? maskStride : 0);
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.alpha = withAlpha;
    if (bits32) {
        layout.textKeyword = kSkinBitsKeyword;
        layout.text = kSkinBits32;
    } else if (withAlpha) {
        if (const auto key = SingleTransparentColour(input, base, size, header, row, mask)) {
            layout.alpha = false;
            layout.transparentRgb = {Widen(*key >> 12), Widen(*key >> 6), Widen(*key)};
        }
    }
    const std::size_t channels = layout.alpha ? 4 : 3;
    WritePng(output, layout, [&](std::uint32_t y, std::span<std::uint8_t> out) {
        if (bits32) {
            input.ReadAt(base + kSkinHeaderSize + std::uint64_t{y} * header.rowStride, row);
            for (std::uint32_t i = 0; i < width; ++i) {
                const std::uint8_t* p = row.data() + std::size_t{i} * 4;
                std::uint8_t* o = out.data() + std::size_t{i} * 4;
                o[0] = p[2];
                o[1] = p[1];
                o[2] = p[0];
                o[3] = p[3];
            }
            return;
        }
        const std::size_t maskBytes =
            ReadRowAndMask(input, base, size, header, y, row, layout.alpha ? mask : mask.first(0));
        for (std::uint32_t i = 0; i < width; ++i) {
            const std::uint32_t v = Pixel18(row.data() + std::size_t{i} * 3);
            std::uint8_t* o = out.data() + i * channels;
            o[0] = Widen(v >> 12);
            o[1] = Widen(v >> 6);
            o[2] = Widen(v);
            if (channels == 4) {
                o[3] = Opaque(mask, maskBytes, i) ? 255 : 0;
            }
        }
    });
}

void WriteRowsAsPng(RgbaRowSource& source, ByteFile& output) {
    if (source.width() == 0 || source.height() == 0) {
        throw FormatError("an empty picture has no PNG form", output.path());
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
    const std::uint64_t size = input.Size();
    const SkinHeader header = ReadCheckedSkinHeaderAt(input, 0, size);
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(outputPath, true);
    EncodeSkinAsPng(input, 0, size, header, output->file(), transparencyEnabled);
    input.Close();
    output->Commit();
}

}  // namespace lumigram

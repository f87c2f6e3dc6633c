#include "codec/skin_to_png.h"

#include <spng.h>

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "codec/png_context.h"
#include "codec/rgba_rows.h"
#include "codec/work_buffers.h"
#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {
namespace {

// zlib's default level with the Paeth filter on every row: on pictures of the
// kind skins hold, about as small as trying every filter per row (libspng's
// default) at about half its time.
constexpr int kPngCompressionLevel = 6;
constexpr int kPngFilters = SPNG_FILTER_CHOICE_PAETH;

void SetCompression(PngContext& png) {
    png.Check(spng_set_option(png.get(), SPNG_IMG_COMPRESSION_LEVEL, kPngCompressionLevel),
              "cannot write PNG");
    png.Check(spng_set_option(png.get(), SPNG_FILTER_CHOICE, kPngFilters), "cannot write PNG");
}

std::uint8_t Widen(unsigned sixBits) {
    return static_cast<std::uint8_t>((sixBits & 63) << 2);
}

}  // namespace

SkinHeader ReadCheckedSkinHeaderAt(ByteFile& input, std::uint64_t base, std::uint64_t size) {
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    const std::size_t got = size < kSkinHeaderSize ? 0 : input.ReadAt(base, bytes);
    if (got < kSkinHeaderSize) {
        throw FormatError("not a skin picture: " + std::to_string(size) +
                              " bytes, shorter than the 16-byte header",
                          input.path());
    }
    const SkinHeader header = ParseSkinHeader(bytes);
    const std::uint64_t pixelEnd =
        kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
    if (pixelEnd > size) {
        throw FormatError(
            "pixel rows run past the end of the picture: " + std::to_string(pixelEnd) +
                " bytes needed, it has " + std::to_string(size),
            input.path());
    }
    if (header.bitsPerPixel == 18 && header.width > kMaxSkinWidth18) {
        throw FormatError("picture too wide: " + std::to_string(header.width) +
                              " pixels at 18 bits per pixel, at most " +
                              std::to_string(kMaxSkinWidth18),
                          input.path());
    }
    if (header.rowStride < RowPixelBytes(header)) {
        throw FormatError("RowStride " + std::to_string(header.rowStride) +
                              " is shorter than the bytes of one row's pixels",
                          input.path());
    }
    return header;
}

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

    std::unique_ptr<PngContext> png = PngContext::Encoder(output);
    spng_ihdr ihdr{};
    ihdr.width = width;
    ihdr.height = height;
    ihdr.bit_depth = 8;
    ihdr.color_type = withAlpha ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    png->Check(spng_set_ihdr(png->get(), &ihdr), "cannot write PNG");
    SetCompression(*png);
    std::array<char, 80> keyword{};
    std::array<char, 3> text{};
    spng_text marker{};
    if (bits32) {
        std::copy_n(kSkinBitsKeyword, std::char_traits<char>::length(kSkinBitsKeyword),
                    keyword.data());
        std::copy_n(kSkinBits32, 2, text.data());
        std::copy(keyword.begin(), keyword.end(), marker.keyword);
        marker.type = SPNG_TEXT;
        marker.length = 2;
        marker.text = text.data();
        png->Check(spng_set_text(png->get(), &marker, 1), "cannot write PNG");
    }
    png->Check(spng_encode_image(png->get(), nullptr, 0, SPNG_FMT_PNG,
                                 SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE),
               "cannot write PNG");

    RowBuffers& buffers = CodecRowBuffers();
    const std::size_t channels = withAlpha ? 4 : 3;
    std::vector<std::uint8_t> out(std::size_t{width} * channels);
    const std::span<std::uint8_t> row(buffers.row.data(), header.rowStride);
    const std::span<std::uint8_t> mask(buffers.mask.data(), maskStride);
    for (std::uint32_t y = 0; y < height; ++y) {
        // Complete: the header check saw every row within the picture.
        input.ReadAt(base + kSkinHeaderSize + std::uint64_t{y} * header.rowStride, row);
        std::size_t maskBytes = 0;
        if (withAlpha && !bits32) {
            const std::uint64_t at = pixelEnd + std::uint64_t{y} * maskStride;
            const std::uint64_t available = at < size ? size - at : 0;
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(maskStride, available));
            maskBytes = want == 0 ? 0 : input.ReadAt(base + at, mask.first(want));
        }
        for (std::uint32_t i = 0; i < width; ++i) {
            std::uint8_t* o = out.data() + i * channels;
            if (bits32) {
                const std::uint8_t* p = row.data() + std::size_t{i} * 4;
                o[0] = p[2];
                o[1] = p[1];
                o[2] = p[0];
                o[3] = p[3];
                continue;
            }
            const std::uint8_t* p = row.data() + std::size_t{i} * 3;
            const std::uint32_t v = p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
            o[0] = Widen(v >> 12);
            o[1] = Widen(v >> 6);
            o[2] = Widen(v);
            if (withAlpha) {
                const bool opaque = i / 8 >= maskBytes || ((mask[i / 8] >> (i % 8)) & 1) != 0;
                o[3] = opaque ? 255 : 0;
            }
        }
        const int code = spng_encode_row(png->get(), out.data(), out.size());
        if (code != SPNG_EOI) {
            png->Check(code, "cannot write PNG");
        }
    }
    png->Check(0, "cannot write PNG");
}

void WriteRowsAsPng(RgbaRowSource& source, ByteFile& output) {
    if (source.width() == 0 || source.height() == 0) {
        throw FormatError("an empty picture has no PNG form", output.path());
    }
    std::unique_ptr<PngContext> png = PngContext::Encoder(output);
    spng_ihdr ihdr{};
    ihdr.width = source.width();
    ihdr.height = source.height();
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    png->Check(spng_set_ihdr(png->get(), &ihdr), "cannot write PNG");
    SetCompression(*png);
    png->Check(spng_encode_image(png->get(), nullptr, 0, SPNG_FMT_PNG,
                                 SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE),
               "cannot write PNG");
    std::vector<std::uint8_t> row(std::size_t{source.width()} * 4);
    for (std::uint32_t y = 0; y < source.height(); ++y) {
        source.NextRow(row);
        const int code = spng_encode_row(png->get(), row.data(), row.size());
        if (code != SPNG_EOI) {
            png->Check(code, "cannot write PNG");
        }
    }
    png->Check(0, "cannot write PNG");
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

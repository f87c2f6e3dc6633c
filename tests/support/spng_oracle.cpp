#include "support/spng_oracle.h"

#include <spng.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <string>

#include "codec/png_chunks.h"
#include "codec/png_reader.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram::test {
namespace {

struct ContextFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

bool HasSkinBitsMarker(spng_ctx* context) {
    std::uint32_t count = 0;
    if (spng_get_text(context, nullptr, &count) != 0 || count == 0) {
        return false;
    }
    std::vector<spng_text> texts(count);
    if (spng_get_text(context, texts.data(), &count) != 0) {
        return false;
    }
    for (const spng_text& text : texts) {
        if (std::strcmp(text.keyword, kSkinBitsKeyword) == 0 && text.text != nullptr &&
            std::strcmp(text.text, kSkinBits32) == 0) {
            return true;
        }
    }
    return false;
}

std::uint32_t Be32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           at[3];
}

}  // namespace

std::optional<PngReading> ReadWithLibspng(std::span<const std::uint8_t> png,
                                          std::uint64_t maxPixels) {
    std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
    spng_ctx* c = context.get();
    if (spng_set_png_buffer(c, png.data(), png.size()) != 0 ||
        spng_set_image_limits(c, 65535, 65535) != 0 ||
        spng_set_chunk_limits(c, 1u << 20, 4u << 20) != 0) {
        return std::nullopt;
    }
    spng_ihdr ihdr{};
    if (spng_get_ihdr(c, &ihdr) != 0 || std::uint64_t{ihdr.width} * ihdr.height > maxPixels ||
        spng_decode_image(c, nullptr, 0, SPNG_FMT_RGBA8,
                          SPNG_DECODE_PROGRESSIVE | SPNG_DECODE_TRNS) != 0) {
        return std::nullopt;
    }
    PngReading reading;
    reading.width = ihdr.width;
    reading.height = ihdr.height;
    spng_trns trns{};
    reading.hasAlpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                       ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                       spng_get_trns(c, &trns) == 0;
    reading.keeps32Bits = HasSkinBitsMarker(c);
    // The limits the Linux build applied before reading any pixel.
    if (ihdr.width > (reading.keeps32Bits ? kMaxBmpWidth32 : kMaxBmpWidth24) ||
        (ihdr.interlace_method != 0 &&
         std::uint64_t{ihdr.width} * 4 * ihdr.height > kMaxInterlacedPngBytes)) {
        return std::nullopt;
    }
    const std::size_t rowBytes = std::size_t{ihdr.width} * 4;
    reading.rgba.resize(rowBytes * ihdr.height);
    for (;;) {
        spng_row_info info{};
        int code = spng_get_row_info(c, &info);
        if (code == SPNG_EOI) {
            break;
        }
        if (code != 0) {
            return std::nullopt;
        }
        code = spng_decode_row(c, reading.rgba.data() + info.row_num * rowBytes, rowBytes);
        if (code == SPNG_EOI) {
            break;
        }
        if (code != 0) {
            return std::nullopt;
        }
    }
    return reading;
}

std::optional<PngReading> ReadWithCore(std::span<const std::uint8_t> png) {
    try {
        MemorySource source(png, "in.png");
        PngRowSource rows(source);
        PngReading reading;
        reading.width = rows.width();
        reading.height = rows.height();
        reading.hasAlpha = rows.hasAlpha();
        reading.keeps32Bits = rows.keeps32Bits();
        const std::size_t rowBytes = std::size_t{reading.width} * 4;
        reading.rgba.resize(rowBytes * reading.height);
        for (std::uint32_t y = 0; y < reading.height; ++y) {
            rows.NextRow(std::span(reading.rgba).subspan(y * rowBytes, rowBytes));
        }
        return reading;
    } catch (const FormatError&) {
        return std::nullopt;
    }
}

bool ImageDataChunksSound(std::span<const std::uint8_t> png) {
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Be32(png.data() + at);
        if (length > png.size() - at - 12) {
            return false;  // cut short
        }
        if (std::memcmp(png.data() + at + 4, "IDAT", 4) == 0 &&
            crc32(0, png.data() + at + 4, length + 4) != Be32(png.data() + at + 8 + length)) {
            return false;
        }
        at += 12 + std::size_t{length};
    }
    return true;
}

}  // namespace lumigram::test

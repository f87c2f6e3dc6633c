#include "support/png_files.h"

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace lumigram::test {
namespace {

struct ContextFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

void Check(int code) {
    if (code != 0) {
        throw std::runtime_error(spng_strerror(code));
    }
}

}  // namespace

Bytes MakePng(const PngSpec& spec) {
    Context context(spng_ctx_new(SPNG_CTX_ENCODER));
    Check(spng_set_option(context.get(), SPNG_ENCODE_TO_BUFFER, 1));
    spng_ihdr ihdr{};
    ihdr.width = spec.width;
    ihdr.height = spec.height;
    ihdr.color_type = spec.colorType;
    ihdr.bit_depth = spec.bitDepth;
    ihdr.interlace_method = spec.interlaced ? SPNG_INTERLACE_ADAM7 : SPNG_INTERLACE_NONE;
    Check(spng_set_ihdr(context.get(), &ihdr));
    if (!spec.palette.empty()) {
        spng_plte plte{};
        plte.n_entries = static_cast<std::uint32_t>(spec.palette.size() / 3);
        for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
            plte.entries[i] = {spec.palette[3 * i], spec.palette[3 * i + 1],
                               spec.palette[3 * i + 2], 255};
        }
        Check(spng_set_plte(context.get(), &plte));
    }
    if (!spec.paletteAlpha.empty() || spec.grayKey >= 0) {
        spng_trns trns{};
        trns.n_type3_entries = static_cast<std::uint32_t>(spec.paletteAlpha.size());
        for (std::size_t i = 0; i < spec.paletteAlpha.size(); ++i) {
            trns.type3_alpha[i] = spec.paletteAlpha[i];
        }
        trns.gray = static_cast<std::uint16_t>(spec.grayKey < 0 ? 0 : spec.grayKey);
        Check(spng_set_trns(context.get(), &trns));
    }
    Bytes raw = spec.raw;
    Check(spng_encode_image(context.get(), raw.data(), raw.size(), SPNG_FMT_RAW,
                            SPNG_ENCODE_FINALIZE));
    std::size_t size = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(context.get(), &size, &error);
    Check(error);
    Bytes png(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + size);
    std::free(buffer);
    return png;
}

RgbaPicture ReadPng(const Bytes& png) {
    Context context(spng_ctx_new(0));
    Check(spng_set_png_buffer(context.get(), png.data(), png.size()));
    spng_ihdr ihdr{};
    Check(spng_get_ihdr(context.get(), &ihdr));
    std::size_t size = 0;
    Check(spng_decoded_image_size(context.get(), SPNG_FMT_RGBA8, &size));
    RgbaPicture picture;
    picture.width = ihdr.width;
    picture.height = ihdr.height;
    picture.colorType = ihdr.color_type;
    picture.rgba.resize(size);
    Check(spng_decode_image(context.get(), picture.rgba.data(), size, SPNG_FMT_RGBA8,
                            SPNG_DECODE_TRNS));
    return picture;
}

Bytes PngChunk(const std::string& type, const Bytes& data) {
    Bytes chunk;
    const auto put32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            chunk.push_back(static_cast<std::uint8_t>(v >> shift));
        }
    };
    put32(static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    put32(
        static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(data.size() + 4))));
    return chunk;
}

Bytes MakeRawPng(const RawPngSpec& spec) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr(13, 0);
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = static_cast<std::uint8_t>(spec.width >> (24 - 8 * i));
        ihdr[4 + i] = static_cast<std::uint8_t>(spec.height >> (24 - 8 * i));
    }
    ihdr[8] = spec.bitDepth;
    ihdr[9] = spec.colorType;
    ihdr[12] = spec.interlaced ? 1 : 0;
    const auto append = [&](const Bytes& chunk) {
        png.insert(png.end(), chunk.begin(), chunk.end());
    };
    append(PngChunk("IHDR", ihdr));
    for (const auto& [type, data] : spec.chunks) {
        append(PngChunk(type, data));
    }
    uLongf size = compressBound(static_cast<uLong>(spec.filtered.size()));
    Bytes deflated(size);
    compress(deflated.data(), &size, spec.filtered.data(),
             static_cast<uLong>(spec.filtered.size()));
    deflated.resize(size);
    const std::size_t piece = spec.piece == 0 ? deflated.size() : spec.piece;
    for (std::size_t at = 0; at < deflated.size(); at += piece) {
        append(PngChunk("IDAT", Bytes(deflated.begin() + static_cast<std::ptrdiff_t>(at),
                                      deflated.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                             at + piece, deflated.size())))));
    }
    append(PngChunk("IEND", {}));
    return png;
}

}  // namespace lumigram::test

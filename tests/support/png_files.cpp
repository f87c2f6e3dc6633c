#include "support/png_files.h"

#include <spng.h>

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

}  // namespace lumigram::test

#include "codec/png_context.h"

#include <spng.h>

#include <new>
#include <span>
#include <utility>

#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {

void SpngContextDeleter::operator()(spng_ctx* context) const noexcept {
    spng_ctx_free(context);
}

PngContext::PngContext(ByteSource& source)
    // Reading skips zlib's Adler-32 of the pixel data: every chunk's CRC-32 is
    // still checked, so damage is found all the same, at a tenth less time.
    : source_(source), context_(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32)) {
    if (!context_) {
        throw std::bad_alloc();
    }
}

std::unique_ptr<PngContext> PngContext::Decoder(ByteSource& source) {
    std::unique_ptr<PngContext> png(new PngContext(source));
    png->Check(spng_set_png_stream(png->get(), &PngContext::Read, png.get()), "unreadable PNG");
    png->Check(spng_set_image_limits(png->get(), kMaxPictureHeight, kMaxPictureHeight),
               "unreadable PNG");
    png->Check(spng_set_chunk_limits(png->get(), kMaxPngChunkBytes, kMaxPngChunkCacheBytes),
               "unreadable PNG");
    return png;
}

void PngContext::Check(int code, const std::string& what) {
    if (fileError_) {
        std::rethrow_exception(std::exchange(fileError_, nullptr));
    }
    if (code != 0) {
        throw FormatError(what + ": " + spng_strerror(code), source_.name());
    }
}

int PngContext::Read(spng_ctx*, void* user, void* dest, std::size_t length) {
    auto& png = *static_cast<PngContext*>(user);
    try {
        const std::size_t got = png.source_.ReadAt(
            png.position_, std::span<std::uint8_t>(static_cast<std::uint8_t*>(dest), length));
        png.position_ += got;
        return got == length ? 0 : SPNG_IO_EOF;
    } catch (...) {
        png.fileError_ = std::current_exception();
        return SPNG_IO_ERROR;
    }
}

}  // namespace lumigram

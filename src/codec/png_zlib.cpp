#include "codec/png_zlib.h"

#include <zlib.h>

#include <new>

namespace lumigram {

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(crc32_z(crc, bytes.data(), bytes.size()));
}

std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(adler32_z(adler, bytes.data(), bytes.size()));
}

std::uint32_t Adler32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondBytes) {
    return static_cast<std::uint32_t>(
        adler32_combine(first, second, static_cast<z_off_t>(secondBytes)));
}

struct Inflater::State {
    z_stream stream{};
};

Inflater::Inflater(int windowBits) : state_(std::make_unique<State>()) {
    if (inflateInit2(&state_->stream, -windowBits) != Z_OK) {
        throw std::bad_alloc();
    }
}

Inflater::~Inflater() {
    inflateEnd(&state_->stream);
}

Inflater::Step Inflater::Inflate(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    z_stream& z = state_->stream;
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int code = inflate(&z, Z_NO_FLUSH);
    Step step;
    step.consumed = in.size() - z.avail_in;
    step.produced = out.size() - z.avail_out;
    step.ended = code == Z_STREAM_END;
    if (code != Z_OK && code != Z_STREAM_END && code != Z_BUF_ERROR) {
        step.error = z.msg != nullptr ? z.msg : "zlib error";
    }
    return step;
}

struct Deflater::State {
    z_stream stream{};
};

Deflater::Deflater(int level) : state_(std::make_unique<State>()) {
    if (deflateInit2(&state_->stream, level, Z_DEFLATED, -15, 9, Z_FILTERED) != Z_OK) {
        throw std::bad_alloc();
    }
}

Deflater::~Deflater() {
    deflateEnd(&state_->stream);
}

void Deflater::DeflatePiece(std::span<const std::uint8_t> dictionary,
                            std::span<const std::uint8_t> in, bool last,
                            std::vector<std::uint8_t>& out) {
    z_stream& z = state_->stream;
    deflateReset(&z);
    if (!dictionary.empty()) {
        deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size()));
    }
    out.resize(deflateBound(&z, static_cast<uLong>(in.size())) + 64);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    std::size_t produced = 0;
    const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    for (;;) {
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(out.size() - produced);
        const int code = deflate(&z, flush);
        produced = out.size() - z.avail_out;
        if (code == Z_STREAM_ERROR) {
            throw std::bad_alloc();
        }
        const bool finished = last ? code == Z_STREAM_END : z.avail_in == 0 && z.avail_out > 0;
        if (finished) {
            break;
        }
        out.resize(out.size() * 2);
    }
    out.resize(produced);
}

}  // namespace lumigram

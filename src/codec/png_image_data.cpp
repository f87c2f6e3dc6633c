#include "codec/png_image_data.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/byte_source.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

constexpr std::uint8_t kIdat[4] = {'I', 'D', 'A', 'T'};
constexpr std::uint64_t kSignatureBytes = 8;
// A chunk's length field is below 2^31.
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

std::uint32_t Be32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           at[3];
}

}  // namespace

PngImageData::PngImageData(ByteSource& source) : source_(source) {
    // Raw deflate: the zlib header is checked here and its Adler-32 trailer
    // left unread, as every chunk's CRC-32 already finds damage.
    if (inflateInit2(&stream_, -15) != Z_OK) {
        throw std::bad_alloc();
    }
    try {
        position_ = kSignatureBytes;
        for (;;) {
            std::array<std::uint8_t, 8> header{};
            ReadExactly(header, "before its image data");
            const std::uint32_t length = Be32(header.data());
            if (length > kMaxChunkLength) {
                Fail("a chunk length of " + std::to_string(length) + " bytes");
            }
            if (std::memcmp(header.data() + 4, kIdat, 4) == 0) {
                chunkLeft_ = length;
                crc_ = static_cast<std::uint32_t>(crc32(0, kIdat, 4));
                break;
            }
            position_ += std::uint64_t{length} + 4;
        }
        TakeZlibHeader();
    } catch (...) {
        inflateEnd(&stream_);
        throw;
    }
}

PngImageData::~PngImageData() {
    inflateEnd(&stream_);
}

void PngImageData::Fail(const std::string& what) const {
    throw FormatError("damaged PNG: " + what, source_.name());
}

void PngImageData::ReadExactly(std::span<std::uint8_t> bytes, const char* what) {
    const std::size_t got = source_.ReadAt(position_, bytes);
    position_ += got;
    if (got != bytes.size()) {
        Fail(std::string("the file ends ") + what);
    }
}

// Checks the CRC of the chunk just read and moves to the next, which must be
// another IDAT: the image data may not stop before the picture does.
void PngImageData::NextChunk() {
    std::array<std::uint8_t, 12> tail{};  // CRC, then the next chunk's length and type
    ReadExactly(std::span(tail).first(4), "inside its image data");
    if (Be32(tail.data()) != crc_) {
        Fail("CRC mismatch in an IDAT chunk");
    }
    const std::size_t got = source_.ReadAt(position_, std::span(tail).subspan(4));
    position_ += got;
    if (got != 8 || std::memcmp(tail.data() + 8, kIdat, 4) != 0) {
        Fail("the image data ends before the picture does");
    }
    chunkLeft_ = Be32(tail.data() + 4);
    if (chunkLeft_ > kMaxChunkLength) {
        Fail("a chunk length of " + std::to_string(chunkLeft_) + " bytes");
    }
    crc_ = static_cast<std::uint32_t>(crc32(0, kIdat, 4));
}

void PngImageData::Refill() {
    while (chunkLeft_ == 0) {
        NextChunk();
    }
    const std::size_t take = std::min<std::size_t>(chunkLeft_, input_.size());
    ReadExactly(std::span(input_).first(take), "inside its image data");
    crc_ = static_cast<std::uint32_t>(crc32(crc_, input_.data(), static_cast<uInt>(take)));
    chunkLeft_ -= static_cast<std::uint32_t>(take);
    stream_.next_in = input_.data();
    stream_.avail_in = static_cast<uInt>(take);
}

void PngImageData::TakeZlibHeader() {
    std::array<std::uint8_t, 2> header{};
    for (std::uint8_t& byte : header) {
        if (stream_.avail_in == 0) {
            Refill();
        }
        byte = *stream_.next_in++;
        --stream_.avail_in;
    }
    const unsigned cmf = header[0];
    const unsigned flg = header[1];
    if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20) != 0) {
        Fail("the image data is not a zlib stream");
    }
}

void PngImageData::Read(std::span<std::uint8_t> out) {
    stream_.next_out = out.data();
    stream_.avail_out = static_cast<uInt>(out.size());
    while (stream_.avail_out > 0) {
        if (ended_) {
            Fail("the image data ends before the picture does");
        }
        if (stream_.avail_in == 0) {
            Refill();
        }
        const int code = inflate(&stream_, Z_NO_FLUSH);
        if (code == Z_STREAM_END) {
            ended_ = true;
        } else if (code != Z_OK && code != Z_BUF_ERROR) {
            Fail(std::string("the image data does not inflate (") +
                 (stream_.msg != nullptr ? stream_.msg : "zlib error " + std::to_string(code)) +
                 ")");
        }
    }
}

void PngImageData::Finish() {
    while (chunkLeft_ > 0) {
        const std::size_t take = std::min<std::size_t>(chunkLeft_, input_.size());
        ReadExactly(std::span(input_).first(take), "inside its image data");
        crc_ = static_cast<std::uint32_t>(crc32(crc_, input_.data(), static_cast<uInt>(take)));
        chunkLeft_ -= static_cast<std::uint32_t>(take);
    }
    std::array<std::uint8_t, 4> crc{};
    ReadExactly(crc, "inside its image data");
    if (Be32(crc.data()) != crc_) {
        Fail("CRC mismatch in an IDAT chunk");
    }
}

}  // namespace lumigram

#include "codec/png_image_data.h"

#include <algorithm>
#include <cstring>

#include "codec/png_zlib.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

constexpr std::uint8_t kIdat[4] = {'I', 'D', 'A', 'T'};
// A chunk's length field is below 2^31.
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;
constexpr std::uint64_t kMostInput = 65536;

std::uint32_t Be32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           at[3];
}

}  // namespace

PngImageData::PngImageData(ByteSource& source, std::uint64_t firstChunk)
    : source_(source),
      position_(firstChunk),
      input_(static_cast<std::size_t>(std::clamp<std::uint64_t>(
          source.Size() - std::min(source.Size(), firstChunk), 1, kMostInput))) {
    std::array<std::uint8_t, 8> header{};
    ReadExactly(header, "inside its image data");
    chunkLeft_ = Be32(header.data());
    if (chunkLeft_ > kMaxChunkLength) {
        Fail("a chunk length of " + std::to_string(chunkLeft_) + " bytes");
    }
    crc_ = Crc32(0, kIdat);
    std::array<std::uint8_t, 2> zlib{};
    for (std::uint8_t& byte : zlib) {
        if (pending_.empty()) {
            Refill();
        }
        byte = pending_[0];
        pending_ = pending_.subspan(1);
    }
    const unsigned cmf = zlib[0];
    const unsigned flg = zlib[1];
    if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20) != 0) {
        Fail("the image data is not a zlib stream");
    }
    inflater_ = std::make_unique<Inflater>(static_cast<int>(cmf >> 4) + 8);
}

PngImageData::~PngImageData() = default;

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
    crc_ = Crc32(0, kIdat);
}

void PngImageData::Refill() {
    while (chunkLeft_ == 0) {
        NextChunk();
    }
    const std::size_t take = std::min<std::size_t>(chunkLeft_, input_.size());
    const std::span<std::uint8_t> bytes = std::span(input_).first(take);
    ReadExactly(bytes, "inside its image data");
    crc_ = Crc32(crc_, bytes);
    chunkLeft_ -= static_cast<std::uint32_t>(take);
    pending_ = bytes;
}

void PngImageData::Read(std::span<std::uint8_t> out) {
    while (!out.empty()) {
        if (ended_) {
            Fail("the image data ends before the picture does");
        }
        // What the inflater already holds comes first; more input only when
        // it has nothing more to give.
        const Inflater::Step step = inflater_->Inflate(pending_, out);
        if (step.error != nullptr) {
            Fail(std::string("the image data does not inflate (") + step.error + ")");
        }
        pending_ = pending_.subspan(step.consumed);
        out = out.subspan(step.produced);
        ended_ = step.ended;
        if (step.consumed == 0 && step.produced == 0 && !step.ended) {
            if (!pending_.empty()) {
                Fail("the image data does not inflate");
            }
            Refill();
        }
    }
}

void PngImageData::Finish() {
    while (chunkLeft_ > 0) {
        const std::size_t take = std::min<std::size_t>(chunkLeft_, input_.size());
        const std::span<std::uint8_t> bytes = std::span(input_).first(take);
        ReadExactly(bytes, "inside its image data");
        crc_ = Crc32(crc_, bytes);
        chunkLeft_ -= static_cast<std::uint32_t>(take);
    }
    std::array<std::uint8_t, 4> crc{};
    ReadExactly(crc, "inside its image data");
    if (Be32(crc.data()) != crc_) {
        Fail("CRC mismatch in an IDAT chunk");
    }
}

}  // namespace lumigram

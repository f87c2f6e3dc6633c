#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

class ByteSource;

// The pixel data of a PNG straight from its file: the IDAT chunks in turn,
// each one's CRC-32 checked, inflated into filtered rows. It is for a PNG whose
// chunks before the pixels have already been read and checked; it skips them.
// Input passes through a fixed buffer, so no allocation depends on the file.
// Every fault (the file ending, a chunk's CRC, the data ending early, data
// that does not inflate) is a FormatError naming the file and what is wrong.
class PngImageData {
  public:
    explicit PngImageData(ByteSource& source);
    ~PngImageData();
    PngImageData(const PngImageData&) = delete;
    PngImageData& operator=(const PngImageData&) = delete;

    // Fills out with the next out.size() bytes of inflated data.
    void Read(std::span<std::uint8_t> out);
    // Reads the rest of the chunk the data stopped in, to check its CRC.
    void Finish();

  private:
    void Fail(const std::string& what) const;
    void ReadExactly(std::span<std::uint8_t> bytes, const char* what);
    void NextChunk();
    void Refill();
    void TakeZlibHeader();

    ByteSource& source_;
    std::uint64_t position_ = 0;
    z_stream stream_{};
    std::uint32_t chunkLeft_ = 0;  // bytes of the current IDAT not yet read
    std::uint32_t crc_ = 0;        // of the current chunk's type and data so far
    bool ended_ = false;           // the deflate stream has ended
    std::array<std::uint8_t, 65536> input_{};
};

}  // namespace lumigram

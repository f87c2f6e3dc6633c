#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lumigram {

class ByteSource;
class Inflater;

// The image data of a PNG straight from its source: the IDAT chunks in turn
// (they must follow one another), each one's CRC-32 checked, inflated into
// filtered rows. The zlib header is checked; the Adler-32 after the data is
// not read, as every chunk's CRC-32 already finds damage (the one rule of every
// build). Input passes through a buffer of at most 64 KiB, no larger than what
// the source holds past the first chunk, so a small PNG sets up little and no
// allocation depends on what the source holds. Every fault (the source ending,
// a chunk's CRC, the data ending early, data that does not inflate) is a
// FormatError naming the source.
class PngImageData {
  public:
    // firstChunk: where the first IDAT chunk begins.
    PngImageData(ByteSource& source, std::uint64_t firstChunk);
    ~PngImageData();
    PngImageData(const PngImageData&) = delete;
    PngImageData& operator=(const PngImageData&) = delete;

    // Fills out with the next out.size() bytes of inflated data.
    void Read(std::span<std::uint8_t> out);
    // Reads the rest of the chunk the data stopped in, to check its CRC.
    void Finish();

  private:
    [[noreturn]] void Fail(const std::string& what) const;
    void ReadExactly(std::span<std::uint8_t> bytes, const char* what);
    void NextChunk();
    void Refill();

    ByteSource& source_;
    std::uint64_t position_ = 0;
    std::unique_ptr<Inflater> inflater_;
    std::uint32_t chunkLeft_ = 0;            // bytes of the current IDAT not yet read
    std::uint32_t crc_ = 0;                  // of the current chunk's type and data so far
    bool ended_ = false;                     // the deflate stream has ended
    std::span<const std::uint8_t> pending_;  // read, not yet inflated
    std::vector<std::uint8_t> input_;
};

}  // namespace lumigram

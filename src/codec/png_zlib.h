#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace lumigram {

// The compression under PNG, and the two checksums a PNG carries: zlib where
// the build has it; in the WebAssembly build, where zlib is not built, the
// page's port of zlib (pako) inflates and deflates, and the checksums are
// plain loops here. Everything else of PNG (chunks, filters, limits, pixels)
// is the core's own code in every build.

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes);
// Start with 1.
std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes);
// The Adler-32 of two runs of bytes one after the other, from each run's own.
std::uint32_t Adler32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondBytes);

// One raw deflate stream (no zlib header or trailer) being inflated.
class Inflater {
  public:
    // windowBits 8 to 15: the window the stream's zlib header announced.
    explicit Inflater(int windowBits = 15);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    struct Step {
        std::size_t consumed = 0;
        std::size_t produced = 0;
        bool ended = false;           // the deflate stream has ended
        const char* error = nullptr;  // why the data does not inflate
    };
    // Inflates as much of in as fits into out.
    Step Inflate(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Raw deflate at one level, with zlib's filtered strategy, in pieces.
class Deflater {
  public:
    explicit Deflater(int level);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Deflates in as one piece of a stream, primed with dictionary (the bytes
    // before it, at most 32 KiB; may be empty): ended when last, otherwise
    // flushed to a byte boundary so that the next piece joins on. out gets the
    // piece's bytes.
    void DeflatePiece(std::span<const std::uint8_t> dictionary, std::span<const std::uint8_t> in,
                      bool last, std::vector<std::uint8_t>& out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace lumigram

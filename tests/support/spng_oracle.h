#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumigram::test {

// A PNG read as RGBA rows, 8 bits a channel, with what the reader tells of it.
struct PngReading {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = false;
    bool keeps32Bits = false;
    std::vector<std::uint8_t> rgba;
    friend bool operator==(const PngReading&, const PngReading&) = default;
};

// The PNG read by libspng exactly as the Linux build read PNGs before it had a
// reader of its own (the same limits, Adler-32 skipped, progressive RGBA8 with
// tRNS applied, alpha from an alpha channel or a tRNS libspng keeps, the 32-bit
// marker among its text chunks); nothing when it refuses the PNG. Pictures of
// more than maxPixels are taken as refused, to keep fuzzing quick.
std::optional<PngReading> ReadWithLibspng(std::span<const std::uint8_t> png,
                                          std::uint64_t maxPixels = UINT64_MAX);

// The PNG read by the core's own reader; nothing when it refuses it.
std::optional<PngReading> ReadWithCore(std::span<const std::uint8_t> png);

// Whether every IDAT chunk is in the file whole and its CRC holds (the core
// checks them all; libspng leaves the rest of the last one unread once it has
// every row).
bool ImageDataChunksSound(std::span<const std::uint8_t> png);

}  // namespace lumigram::test

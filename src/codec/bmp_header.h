#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

// A BMP begins with a 14-byte file header and an information header of at
// least 40 bytes; the decoder writes exactly these 54 bytes, pixel data after.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpHeaderSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// Where each field lies, counted from the start of the file.
inline constexpr std::size_t kBmpFileSizeAt = 2;
inline constexpr std::size_t kBmpPixelOffsetAt = 10;
inline constexpr std::size_t kBmpInfoSizeAt = 14;
inline constexpr std::size_t kBmpWidthAt = 18;
inline constexpr std::size_t kBmpHeightAt = 22;
inline constexpr std::size_t kBmpPlanesAt = 26;
inline constexpr std::size_t kBmpBitCountAt = 28;
inline constexpr std::size_t kBmpCompressionAt = 30;
inline constexpr std::size_t kBmpImageSizeAt = 34;
inline constexpr std::size_t kBmpColoursUsedAt = 46;
// The three bit-field masks, red, green and blue, follow a 40-byte information
// header (or sit inside a larger one).
inline constexpr std::size_t kBmpMasksAt = kBmpHeaderSize;

// Bytes of a BMP worth reading before anything else: the headers and the masks.
inline constexpr std::size_t kBmpProbeSize = kBmpMasksAt + 12;

// Compression methods the codec walks as plain rows.
inline constexpr std::uint32_t kBmpUncompressed = 0;
inline constexpr std::uint32_t kBmpBitFields = 3;

struct BmpHeader {
    std::uint32_t fileSize = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: top row first
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
    bool hasMasks = false;  // the bytes read reached past the masks
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
};

// Whether the bytes begin with the "BM" signature.
bool HasBmpSignature(std::span<const std::uint8_t> head);

// Reads the fields from the first bytes of a file, at least kBmpHeaderSize of
// them; the masks when there are kBmpProbeSize.
BmpHeader ParseBmpHeader(std::span<const std::uint8_t> head);

// The signature and every field but the masks in place, all else zero.
std::array<std::uint8_t, kBmpHeaderSize> MakeBmpHeader(const BmpHeader& header);

// The checks every reader of BMPs makes before it trusts one. Each refusal is a
// FormatError naming path, with a message beginning "unsupported BMP: ".
[[noreturn]] void RefuseBmp(const std::string& what, const std::string& path);
// The header of a file of fileSize bytes that begins with head; refused when the
// file is shorter than its headers or its information header is shorter than
// 40 bytes (older core headers keep their fields elsewhere).
BmpHeader ParseCheckedBmpHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                                const std::string& path);
// The rows the header's height stands for, whatever its sign; refused beyond
// the height a ".k" header holds.
std::uint32_t CheckedBmpRows(const BmpHeader& header, const std::string& path);
// Refused unless rows of rowStride bytes from pixelOffset lie within fileSize.
void CheckBmpPixelsPresent(std::uint64_t pixelOffset, std::uint32_t rows, std::uint32_t rowStride,
                           std::uint64_t fileSize, const std::string& path);

// Where the pixels of a BMP lie and how to walk them.
struct BmpLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;    // rows, whatever the stored sign
    std::uint16_t bitCount = 0;  // 24 or 32
    bool topDown = false;        // a negative stored height: top row first
    std::uint64_t pixelOffset = 0;
    std::uint32_t rowStride = 0;  // bytes per row, a multiple of 4
};

// Checks a "BM" file before any of it is trusted. head holds the first bytes of
// the file (up to kBmpProbeSize), fileSize its full length. Raises FormatError
// naming path with a message beginning "unsupported BMP: " when the file is
// shorter than its headers, its information header is shorter than 40 bytes, it
// is not 24 or 32 bits per pixel, it is compressed (32-bit standard bit fields
// excepted), it is too wide or too high for a ".k" header, or its pixel data is
// not wholly present.
BmpLayout CheckBmpForEncoding(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                              const std::string& path);

}  // namespace lumigram

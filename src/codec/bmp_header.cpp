#include "codec/bmp_header.h"

#include "codec/skin_format.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"

namespace lumigram {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kStandardRedMask = 0x00FF0000;
constexpr std::uint32_t kStandardGreenMask = 0x0000FF00;
constexpr std::uint32_t kStandardBlueMask = 0x000000FF;

[[noreturn]] void Refuse(const std::string& what, const std::string& path) {
    throw FormatError("unsupported BMP: " + what, path);
}

}  // namespace

BmpLayout CheckBmpForEncoding(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                              const std::string& path) {
    // The file header and a 40-byte information header must both be there.
    if (fileSize < kBmpHeaderSize || head.size() < kBmpHeaderSize) {
        Refuse(
            "the file is " + std::to_string(fileSize) + " bytes, shorter than the 54-byte header",
            path);
    }
    // Older 12-byte core headers keep their fields elsewhere.
    const std::uint32_t infoSize = ReadU32LE(head, 14);
    if (infoSize < 40) {
        Refuse("information header of " + std::to_string(infoSize) + " bytes, at least 40 expected",
               path);
    }
    const std::uint16_t bitCount = ReadU16LE(head, 28);
    if (bitCount != 24 && bitCount != 32) {
        Refuse(std::to_string(bitCount) + " bits per pixel, 24 or 32 expected", path);
    }
    // Only plain rows can be walked; 32-bit bit fields in the standard order
    // (blue, green, red bytes) are plain rows under another name.
    const std::uint32_t compression = ReadU32LE(head, 30);
    if (compression == kBiBitfields && bitCount == 32) {
        if (fileSize < kBmpProbeSize || head.size() < kBmpProbeSize) {
            Refuse("the bit-field masks are missing", path);
        }
        if (ReadU32LE(head, 54) != kStandardRedMask || ReadU32LE(head, 58) != kStandardGreenMask ||
            ReadU32LE(head, 62) != kStandardBlueMask) {
            Refuse(
                "32-bit bit fields with masks other than red 00FF0000, green 0000FF00, "
                "blue 000000FF",
                path);
        }
    } else if (compression != kBiRgb) {
        Refuse("compression method " + std::to_string(compression) + ", uncompressed expected",
               path);
    }
    // RowStride is a 16-bit field of the ".k" header.
    const std::int32_t storedWidth = ReadI32LE(head, 18);
    const std::uint32_t maxWidth = bitCount == 24 ? kMaxBmpWidth24 : kMaxBmpWidth32;
    if (storedWidth < 0) {
        Refuse("negative width " + std::to_string(storedWidth), path);
    }
    if (static_cast<std::uint32_t>(storedWidth) > maxWidth) {
        Refuse(std::to_string(storedWidth) + " pixels wide, at most " + std::to_string(maxWidth) +
                   " at " + std::to_string(bitCount) + " bits per pixel",
               path);
    }
    // A negative height marks top-down rows; its size still has to fit 16 bits.
    const std::int64_t storedHeight = ReadI32LE(head, 22);
    const std::uint64_t rows = storedHeight < 0 ? static_cast<std::uint64_t>(-storedHeight)
                                                : static_cast<std::uint64_t>(storedHeight);
    if (rows > kMaxPictureHeight) {
        Refuse(std::to_string(rows) + " rows high, at most " + std::to_string(kMaxPictureHeight),
               path);
    }

    BmpLayout layout;
    layout.width = static_cast<std::uint32_t>(storedWidth);
    layout.height = static_cast<std::uint32_t>(rows);
    layout.bitCount = bitCount;
    layout.topDown = storedHeight < 0;
    layout.rowStride = RoundUpTo4(layout.width * (bitCount == 24 ? 3u : 4u));
    layout.pixelOffset = ReadU32LE(head, 10);
    if (layout.pixelOffset < 14 + std::uint64_t{infoSize}) {
        Refuse(
            "pixel data offset " + std::to_string(layout.pixelOffset) + " lies inside the headers",
            path);
    }
    const std::uint64_t pixelEnd =
        layout.pixelOffset + std::uint64_t{layout.height} * layout.rowStride;
    if (pixelEnd > fileSize) {
        Refuse("pixel data runs past the end of the file: " + std::to_string(pixelEnd) +
                   " bytes needed, the file has " + std::to_string(fileSize),
               path);
    }
    return layout;
}

}  // namespace lumigram

#include "codec/bmp_header.h"

#include "codec/skin_format.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"

namespace lumigram {
namespace {

constexpr std::uint32_t kStandardRedMask = 0x00FF0000;
constexpr std::uint32_t kStandardGreenMask = 0x0000FF00;
constexpr std::uint32_t kStandardBlueMask = 0x000000FF;

}  // namespace

bool HasBmpSignature(std::span<const std::uint8_t> head) {
    return head.size() >= 2 && head[0] == 'B' && head[1] == 'M';
}

BmpHeader ParseBmpHeader(std::span<const std::uint8_t> head) {
    BmpHeader header;
    header.fileSize = ReadU32LE(head, kBmpFileSizeAt);
    header.pixelOffset = ReadU32LE(head, kBmpPixelOffsetAt);
    header.infoSize = ReadU32LE(head, kBmpInfoSizeAt);
    header.width = ReadI32LE(head, kBmpWidthAt);
    header.height = ReadI32LE(head, kBmpHeightAt);
    header.planes = ReadU16LE(head, kBmpPlanesAt);
    header.bitCount = ReadU16LE(head, kBmpBitCountAt);
    header.compression = ReadU32LE(head, kBmpCompressionAt);
    header.imageSize = ReadU32LE(head, kBmpImageSizeAt);
    header.coloursUsed = ReadU32LE(head, kBmpColoursUsedAt);
    header.hasMasks = head.size() >= kBmpProbeSize;
    if (header.hasMasks) {
        header.redMask = ReadU32LE(head, kBmpMasksAt);
        header.greenMask = ReadU32LE(head, kBmpMasksAt + 4);
        header.blueMask = ReadU32LE(head, kBmpMasksAt + 8);
    }
    return header;
}

std::array<std::uint8_t, kBmpHeaderSize> MakeBmpHeader(const BmpHeader& header) {
    std::array<std::uint8_t, kBmpHeaderSize> bytes{};
    bytes[0] = 'B';
    bytes[1] = 'M';
    WriteU32LE(bytes, kBmpFileSizeAt, header.fileSize);
    WriteU32LE(bytes, kBmpPixelOffsetAt, header.pixelOffset);
    WriteU32LE(bytes, kBmpInfoSizeAt, header.infoSize);
    WriteU32LE(bytes, kBmpWidthAt, static_cast<std::uint32_t>(header.width));
    WriteU32LE(bytes, kBmpHeightAt, static_cast<std::uint32_t>(header.height));
    WriteU16LE(bytes, kBmpPlanesAt, header.planes);
    WriteU16LE(bytes, kBmpBitCountAt, header.bitCount);
    WriteU32LE(bytes, kBmpCompressionAt, header.compression);
    WriteU32LE(bytes, kBmpImageSizeAt, header.imageSize);
    WriteU32LE(bytes, kBmpColoursUsedAt, header.coloursUsed);
    return bytes;
}

void RefuseBmp(const std::string& what, const std::string& path) {
    throw FormatError("unsupported BMP: " + what, path);
}

BmpHeader ParseCheckedBmpHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                                const std::string& path) {
    if (fileSize < kBmpHeaderSize || head.size() < kBmpHeaderSize) {
        RefuseBmp(
            "the file is " + std::to_string(fileSize) + " bytes, shorter than the 54-byte header",
            path);
    }
    const BmpHeader header = ParseBmpHeader(head);
    if (header.infoSize < kBmpInfoHeaderSize) {
        RefuseBmp("information header of " + std::to_string(header.infoSize) +
                      " bytes, at least 40 expected",
                  path);
    }
    return header;
}

std::uint32_t CheckedBmpRows(const BmpHeader& header, const std::string& path) {
    // A negative height marks top-down rows; its size still has to fit 16 bits.
    const std::int64_t stored = header.height;
    const std::uint64_t rows =
        stored < 0 ? static_cast<std::uint64_t>(-stored) : static_cast<std::uint64_t>(stored);
    if (rows > kMaxPictureHeight) {
        RefuseBmp(std::to_string(rows) + " rows high, at most " + std::to_string(kMaxPictureHeight),
                  path);
    }
    return static_cast<std::uint32_t>(rows);
}

void CheckBmpPixelsPresent(std::uint64_t pixelOffset, std::uint32_t rows, std::uint32_t rowStride,
                           std::uint64_t fileSize, const std::string& path) {
    const std::uint64_t pixelEnd = pixelOffset + std::uint64_t{rows} * rowStride;
    if (pixelEnd > fileSize) {
        RefuseBmp("pixel data runs past the end of the file: " + std::to_string(pixelEnd) +
                      " bytes needed, the file has " + std::to_string(fileSize),
                  path);
    }
}

BmpLayout CheckBmpForEncoding(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                              const std::string& path) {
    const BmpHeader bmp = ParseCheckedBmpHeader(head, fileSize, path);
    if (bmp.bitCount != 24 && bmp.bitCount != 32) {
        RefuseBmp(std::to_string(bmp.bitCount) + " bits per pixel, 24 or 32 expected", path);
    }
    // Only plain rows can be walked; 32-bit bit fields in the standard order
    // (blue, green, red bytes) are plain rows under another name.
    if (bmp.compression == kBmpBitFields && bmp.bitCount == 32) {
        if (!bmp.hasMasks || fileSize < kBmpProbeSize) {
            RefuseBmp("the bit-field masks are missing", path);
        }
        if (bmp.redMask != kStandardRedMask || bmp.greenMask != kStandardGreenMask ||
            bmp.blueMask != kStandardBlueMask) {
            RefuseBmp(
                "32-bit bit fields with masks other than red 00FF0000, green 0000FF00, "
                "blue 000000FF",
                path);
        }
    } else if (bmp.compression != kBmpUncompressed) {
        RefuseBmp(
            "compression method " + std::to_string(bmp.compression) + ", uncompressed expected",
            path);
    }
    // RowStride is a 16-bit field of the ".k" header.
    const std::uint32_t maxWidth = bmp.bitCount == 24 ? kMaxBmpWidth24 : kMaxBmpWidth32;
    if (bmp.width < 0) {
        RefuseBmp("negative width " + std::to_string(bmp.width), path);
    }
    if (static_cast<std::uint32_t>(bmp.width) > maxWidth) {
        RefuseBmp(std::to_string(bmp.width) + " pixels wide, at most " + std::to_string(maxWidth) +
                      " at " + std::to_string(bmp.bitCount) + " bits per pixel",
                  path);
    }

    BmpLayout layout;
    layout.width = static_cast<std::uint32_t>(bmp.width);
    layout.height = CheckedBmpRows(bmp, path);
    layout.bitCount = bmp.bitCount;
    layout.topDown = bmp.height < 0;
    layout.rowStride = RoundUpTo4(layout.width * (bmp.bitCount == 24 ? 3u : 4u));
    layout.pixelOffset = bmp.pixelOffset;
    if (layout.pixelOffset < kBmpFileHeaderSize + std::uint64_t{bmp.infoSize}) {
        RefuseBmp(
            "pixel data offset " + std::to_string(layout.pixelOffset) + " lies inside the headers",
            path);
    }
    CheckBmpPixelsPresent(layout.pixelOffset, layout.height, layout.rowStride, fileSize, path);
    return layout;
}

}  // namespace lumigram

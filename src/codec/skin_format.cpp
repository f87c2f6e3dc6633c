#include "codec/skin_format.h"

#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"

namespace lumigram {

SkinHeader ParseSkinHeader(std::span<const std::uint8_t, kSkinHeaderSize> bytes) {
    SkinHeader header;
    header.width = ReadU16LE(bytes, 0);
    header.height = ReadU16LE(bytes, 4);
    header.bitsPerPixel = bytes[8];
    header.rowStride = ReadU16LE(bytes, 12);
    return header;
}

SkinHeader CheckSkinHeader(std::span<const std::uint8_t> head, std::uint64_t size, SkinBytes what,
                           const std::string& name) {
    const bool file = what == SkinBytes::kFile;
    if (head.size() < kSkinHeaderSize || size < kSkinHeaderSize) {
        throw FormatError(std::string("not a skin picture: ") + (file ? "the file is " : "") +
                              std::to_string(size) + " bytes, shorter than the 16-byte header",
                          name);
    }
    const SkinHeader header = ParseSkinHeader(head.first<kSkinHeaderSize>());
    const std::uint64_t pixelEnd =
        kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
    if (pixelEnd > size) {
        throw FormatError(std::string("pixel rows run past the end of the ") +
                              (file ? "file: " : "picture: ") + std::to_string(pixelEnd) +
                              " bytes needed, " + (file ? "the file has " : "it has ") +
                              std::to_string(size),
                          name);
    }
    // Said apart, though such a row can never fit in a RowStride: the row
    // buffer of the decoder is what sets the limit.
    if (header.bitsPerPixel == 18 && header.width > kMaxSkinWidth18) {
        throw FormatError("picture too wide: " + std::to_string(header.width) +
                              " pixels at 18 bits per pixel, at most " +
                              std::to_string(kMaxSkinWidth18),
                          name);
    }
    const std::uint64_t pixelBytes = RowPixelBytes(header);
    if (header.rowStride < pixelBytes) {
        throw FormatError("RowStride " + std::to_string(header.rowStride) +
                              " is shorter than the " + std::to_string(pixelBytes) +
                              " bytes of one row's pixels (" + std::to_string(header.width) +
                              " pixels at " + std::to_string(header.bitsPerPixel) +
                              " bits per pixel)",
                          name);
    }
    return header;
}

std::array<std::uint8_t, kSkinHeaderSize> MakeSkinHeader(const SkinHeader& header) {
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    WriteU16LE(bytes, 0, header.width);
    WriteU16LE(bytes, 4, header.height);
    bytes[8] = header.bitsPerPixel;
    WriteU16LE(bytes, 12, header.rowStride);
    return bytes;
}

}  // namespace lumigram

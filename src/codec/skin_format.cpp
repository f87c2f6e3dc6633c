#include "codec/skin_format.h"

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

std::array<std::uint8_t, kSkinHeaderSize> MakeSkinHeader(const SkinHeader& header) {
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    WriteU16LE(bytes, 0, header.width);
    WriteU16LE(bytes, 4, header.height);
    bytes[8] = header.bitsPerPixel;
    WriteU16LE(bytes, 12, header.rowStride);
    return bytes;
}

std::array<std::uint8_t, kBmpHeaderSize> DecoderBmpTemplate() {
    std::array<std::uint8_t, kBmpHeaderSize> bytes{};
    bytes[0] = 'B';
    bytes[1] = 'M';
    WriteU32LE(bytes, 10, kBmpHeaderSize);  // pixel data offset
    WriteU32LE(bytes, 14, 40);              // information header size
    WriteU16LE(bytes, 26, 1);               // planes
    WriteU16LE(bytes, 28, 24);              // bits per pixel
    return bytes;
}

}  // namespace lumigram

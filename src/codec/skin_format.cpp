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

}  // namespace lumigram

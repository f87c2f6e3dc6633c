#include <array>
#include <string>

#include "codec/skin_decoder.h"
#include "codec/skin_to_png.h"
#include "platform/byte_file.h"

namespace lumigram {

SkinHeader ReadCheckedSkinHeader(ByteFile& input) {
    const std::uint64_t fileSize = input.Size();
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    input.Seek(0);
    const std::size_t got = input.Read(bytes);
    return CheckSkinHeader(std::span(bytes.data(), got), fileSize, SkinBytes::kFile, input.path());
}

SkinHeader ReadCheckedSkinHeaderAt(ByteFile& input, std::uint64_t base, std::uint64_t size) {
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    const std::size_t got = size < kSkinHeaderSize ? 0 : input.ReadAt(base, bytes);
    return CheckSkinHeader(std::span(bytes.data(), got), size, SkinBytes::kPicture, input.path());
}

}  // namespace lumigram

#include <array>
#include <string>

#include "codec/skin_to_png.h"
#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {

SkinHeader ReadCheckedSkinHeaderAt(ByteFile& input, std::uint64_t base, std::uint64_t size) {
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    const std::size_t got = size < kSkinHeaderSize ? 0 : input.ReadAt(base, bytes);
    if (got < kSkinHeaderSize) {
        throw FormatError("not a skin picture: " + std::to_string(size) +
                              " bytes, shorter than the 16-byte header",
                          input.path());
    }
    const SkinHeader header = ParseSkinHeader(bytes);
    const std::uint64_t pixelEnd =
        kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
    if (pixelEnd > size) {
        throw FormatError(
            "pixel rows run past the end of the picture: " + std::to_string(pixelEnd) +
                " bytes needed, it has " + std::to_string(size),
            input.path());
    }
    if (header.bitsPerPixel == 18 && header.width > kMaxSkinWidth18) {
        throw FormatError("picture too wide: " + std::to_string(header.width) +
                              " pixels at 18 bits per pixel, at most " +
                              std::to_string(kMaxSkinWidth18),
                          input.path());
    }
    if (header.rowStride < RowPixelBytes(header)) {
        throw FormatError("RowStride " + std::to_string(header.rowStride) +
                              " is shorter than the bytes of one row's pixels",
                          input.path());
    }
    return header;
}

}  // namespace lumigram

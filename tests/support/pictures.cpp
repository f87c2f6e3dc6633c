#include "support/pictures.h"

namespace lumigram::test {

std::uint32_t RowStride(int width, int bitCount) {
    return static_cast<std::uint32_t>((width * (bitCount / 8) + 3) & ~3);
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t Le16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void PutLe16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

Bytes MakeBmp(const BmpSpec& spec) {
    const std::uint32_t stride = RowStride(spec.width, spec.bitCount);
    const std::size_t pixelBytes = static_cast<std::size_t>(stride) * spec.height;
    Bytes bmp(54 + pixelBytes, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    PutLe32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
    PutLe32(bmp, 10, 54);
    PutLe32(bmp, 14, 40);
    PutLe32(bmp, 18, static_cast<std::uint32_t>(spec.width));
    PutLe32(bmp, 22, static_cast<std::uint32_t>(spec.height));
    PutLe16(bmp, 26, 1);
    PutLe16(bmp, 28, static_cast<std::uint16_t>(spec.bitCount));
    PutLe32(bmp, 34, static_cast<std::uint32_t>(pixelBytes));
    const int bytesPerPixel = spec.bitCount / 8;
    for (int y = 0; y < spec.height; ++y) {
        std::uint8_t* row =
            bmp.data() + 54 + static_cast<std::size_t>(spec.height - 1 - y) * stride;
        std::fill(row, row + stride, spec.padByte);
        for (int x = 0; x < spec.width; ++x) {
            const Rgb c = spec.pixel(x, y);
            std::uint8_t* p = row + x * bytesPerPixel;
            p[0] = c.blue;
            p[1] = c.green;
            p[2] = c.red;
            if (bytesPerPixel == 4) {
                p[3] = spec.alpha(x, y);
            }
        }
    }
    return bmp;
}

Rgb BmpPixel(const Bytes& bmp, int x, int y) {
    const int width = static_cast<int>(Le32(bmp, 18));
    const int height = static_cast<int>(Le32(bmp, 22));
    const int bitCount = Le16(bmp, 28);
    const std::size_t at = 54 +
                           static_cast<std::size_t>(height - 1 - y) * RowStride(width, bitCount) +
                           static_cast<std::size_t>(x) * (bitCount / 8);
    return Rgb{bmp[at], bmp[at + 1], bmp[at + 2]};
}

Bytes MakeSkin(std::uint16_t width, std::uint16_t height, std::uint8_t bitsPerPixel,
               std::uint16_t rowStride, const Bytes& rows, const Bytes& mask) {
    Bytes skin(16, 0);
    skin.reserve(16 + rows.size() + mask.size());
    PutLe16(skin, 0, width);
    PutLe16(skin, 4, height);
    skin[8] = bitsPerPixel;
    PutLe16(skin, 12, rowStride);
    skin.insert(skin.end(), rows.begin(), rows.end());
    skin.insert(skin.end(), mask.begin(), mask.end());
    return skin;
}

}  // namespace lumigram::test

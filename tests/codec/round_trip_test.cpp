#include "codec/codec_test_support.h"

namespace lumigram::test {
namespace {

using RoundTripTest = CodecTest;

// An 18-bit picture with clean reserved bytes and bits 18-23 clear, whose mask
// marks a checkerboard of 8x8 blocks transparent.
Bytes CleanSkin(int width, int height) {
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    const std::uint32_t maskStride = MaskStrideFor(width);
    Bytes rows(static_cast<std::size_t>(stride) * height, 0);
    Bytes mask(static_cast<std::size_t>(maskStride) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Opaque pixels never narrow to the key colour: red6 stays below 63.
            const std::uint32_t v = ((x + y) % 63) << 12 | ((x * 5) % 64) << 6 | ((y * 3) % 64);
            std::uint8_t* p = rows.data() + y * stride + 3 * x;
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
            p[2] = static_cast<std::uint8_t>(v >> 16);
            // Pixels past the stored mask bits (x / 8 >= maskStride) have no bit.
            if (((x / 8) + (y / 8)) % 2 == 0 && static_cast<std::uint32_t>(x / 8) < maskStride) {
                mask[y * maskStride + x / 8] |= static_cast<std::uint8_t>(1u << (x % 8));
            }
        }
    }
    return MakeSkin(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 18,
                    static_cast<std::uint16_t>(stride), rows, mask);
}

TEST_F(RoundTripTest, DecodeThenEncodeGivesTheSamePictureWithTransparentPixelsKeyed) {
    for (const auto& [width, height] : {std::pair{176, 220}, {33, 5}, {64, 3}}) {
        const Bytes skin = CleanSkin(width, height);
        const Bytes again = Encode(Decode(skin));
        ASSERT_EQ(again.size(), skin.size()) << width;
        const std::uint32_t stride = Le16(skin, 12);
        const std::uint32_t maskStride = MaskStrideFor(width);
        const std::size_t maskPlane = 16 + static_cast<std::size_t>(stride) * height;
        Bytes expected = skin;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool opaque = static_cast<std::uint32_t>(x / 8) >= maskStride ||
                                    ((skin[maskPlane + y * maskStride + x / 8] >> (x % 8)) & 1);
                if (!opaque) {
                    std::uint8_t* p = expected.data() + 16 + y * stride + 3 * x;
                    p[0] = 0x3F;  // magenta narrowed
                    p[1] = 0xF0;
                    p[2] = 0x03;
                }
            }
        }
        EXPECT_EQ(again, expected) << width << "x" << height;
    }
}

TEST_F(RoundTripTest, EncodeThenDecodeWidensNarrowedValues) {
    BmpSpec spec;
    spec.width = 37;
    spec.height = 4;
    const Bytes bmp = MakeBmp(spec);
    const Bytes back = Decode(Encode(bmp, kMagenta, false), kMagenta, false);
    ASSERT_EQ(back.size(), bmp.size());
    for (int y = 0; y < spec.height; ++y) {
        for (int x = 0; x < spec.width; ++x) {
            const Rgb in = spec.pixel(x, y);
            const Rgb out = BmpPixel(back, x, y);
            EXPECT_EQ(out, (Rgb{static_cast<std::uint8_t>(in.blue & 0xFC),
                                static_cast<std::uint8_t>(in.green & 0xFC),
                                static_cast<std::uint8_t>(in.red & 0xFC)}));
        }
    }
}

TEST_F(RoundTripTest, ThirtyTwoBitPicturesComeBackByteForByte) {
    BmpSpec spec;
    spec.width = 7;
    spec.height = 5;
    spec.bitCount = 32;
    const Bytes bmp = MakeBmp(spec);
    Bytes back = Decode(Encode(bmp));
    // The decoder's header leaves resolution and colour counts zero, as does ours.
    EXPECT_EQ(back, bmp);
}

}  // namespace
}  // namespace lumigram::test

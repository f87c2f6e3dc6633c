// The encoder trusts a "BM" file only after checking it: every refusal says
// what is wrong, and BMPs from other writers (larger headers, top-down rows,
// standard bit fields) pack exactly as their plain equivalent does.
#include "codec/codec_test_support.h"

namespace lumigram::test {
namespace {

using BmpChecksTest = CodecTest;

Bytes PlainBmp(int width, int height, int bitCount = 24) {
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = bitCount;
    return MakeBmp(spec);
}

TEST_F(BmpChecksTest, RefusalsSayWhatIsWrong) {
    // A plain BMP with header fields overwritten and bytes cut off its end.
    struct Patch {
        std::size_t at;
        std::uint32_t value;
        int bytes = 4;
    };
    struct Case {
        const char* what;
        int width;
        int height;
        int bits;
        std::vector<Patch> patches;
        std::size_t cut;
        const char* message;
    };
    const Case cases[] = {
        {"short file",
         2,
         2,
         24,
         {},
         66,
         "unsupported BMP: the file is 4 bytes, shorter than the 54-byte header"},
        {"core header",
         2,
         2,
         24,
         {{14, 12}},
         0,
         "unsupported BMP: information header of 12 bytes, at least 40 expected"},
        {"8 bits",
         2,
         2,
         24,
         {{28, 8, 2}},
         0,
         "unsupported BMP: 8 bits per pixel, 24 or 32 expected"},
        {"16 bits",
         2,
         2,
         24,
         {{28, 16, 2}},
         0,
         "unsupported BMP: 16 bits per pixel, 24 or 32 expected"},
        {"RLE",
         2,
         2,
         24,
         {{30, 1}},
         0,
         "unsupported BMP: compression method 1, uncompressed expected"},
        {"24-bit bit fields",
         2,
         2,
         24,
         {{30, 3}},
         0,
         "unsupported BMP: compression method 3, uncompressed expected"},
        {"odd masks (red in the low byte)",
         2,
         2,
         32,
         {{30, 3}, {54, 0xFF}, {58, 0xFF00}, {62, 0xFF0000}},
         0,
         "unsupported BMP: 32-bit bit fields with masks other than red 00FF0000, green 0000FF00, "
         "blue 000000FF"},
        {"too wide 24",
         1,
         1,
         24,
         {{18, 21845}},
         0,
         "unsupported BMP: 21845 pixels wide, at most 21844 at 24 bits per pixel"},
        {"too wide 32",
         1,
         1,
         32,
         {{18, 16384}},
         0,
         "unsupported BMP: 16384 pixels wide, at most 16383 at 32 bits per pixel"},
        {"negative width", 1, 1, 24, {{18, 0xFFFFFFFF}}, 0, "unsupported BMP: negative width -1"},
        {"too high", 1, 1, 24, {{22, 65536}}, 0, "unsupported BMP: 65536 rows high, at most 65535"},
        {"too high top-down",
         1,
         1,
         24,
         {{22, 0x80000000u}},
         0,
         "unsupported BMP: 2147483648 rows high, at most 65535"},
        {"offset in header",
         2,
         2,
         24,
         {{10, 20}},
         0,
         "unsupported BMP: pixel data offset 20 lies inside the headers"},
        {"truncated pixels",
         2,
         2,
         24,
         {},
         1,
         "unsupported BMP: pixel data runs past the end of the file: 70 bytes needed, the file has "
         "69"},
        {"huge claim",
         1,
         1,
         24,
         {{18, 20000}, {22, 60000}},
         0,
         "unsupported BMP: pixel data runs past the end of the file: 3600000054 bytes needed, the "
         "file has 58"},
    };
    for (const Case& c : cases) {
        Bytes bmp = PlainBmp(c.width, c.height, c.bits);
        for (const Patch& patch : c.patches) {
            if (patch.bytes == 2) {
                PutLe16(bmp, patch.at, static_cast<std::uint16_t>(patch.value));
            } else {
                PutLe32(bmp, patch.at, patch.value);
            }
        }
        bmp.resize(bmp.size() - c.cut);
        EXPECT_EQ(EncodeRefusal(bmp), c.message) << c.what;
    }
}

TEST_F(BmpChecksTest, LimitsAreAcceptedExactly) {
    const std::pair<int, int> widths[] = {{21844, 24}, {16383, 32}};
    for (const auto& [width, bits] : widths) {
        const Bytes k = Encode(PlainBmp(width, 1, bits));
        EXPECT_EQ(Le16(k, 0), width);
        EXPECT_EQ(Le16(k, 12), 65532);
    }
    const Bytes tall = Encode(PlainBmp(1, 65535), kMagenta, false);
    EXPECT_EQ(Le16(tall, 4), 65535);
    EXPECT_EQ(tall.size(), 16u + 65535 * 4);
}

TEST_F(BmpChecksTest, PixelDataIsTakenFromTheHeaderOffset) {
    const Bytes plain = PlainBmp(5, 3);
    // The same picture behind a 124-byte information header and a gap.
    Bytes v5(14 + 124 + 10, 0);
    std::copy(plain.begin(), plain.begin() + 54, v5.begin());
    PutLe32(v5, 14, 124);
    PutLe32(v5, 10, static_cast<std::uint32_t>(v5.size()));
    v5.insert(v5.end(), plain.begin() + 54, plain.end());
    EXPECT_EQ(Encode(v5), Encode(plain));
}

TEST_F(BmpChecksTest, NegativeHeightMeansTopDownRows) {
    const Bytes bottomUp = PlainBmp(5, 3);
    Bytes topDown = bottomUp;
    PutLe32(topDown, 22, static_cast<std::uint32_t>(-3));
    const std::uint32_t stride = RowStride(5, 24);
    for (int r = 0; r < 3; ++r) {  // reverse the row order
        std::copy(bottomUp.begin() + 54 + (2 - r) * stride,
                  bottomUp.begin() + 54 + (3 - r) * stride, topDown.begin() + 54 + r * stride);
    }
    EXPECT_EQ(Encode(topDown), Encode(bottomUp));
}

TEST_F(BmpChecksTest, StandardBitFieldsPackAsPlainThirtyTwoBit) {
    const Bytes plain = PlainBmp(3, 2, 32);
    Bytes fields(plain.begin(), plain.begin() + 54);
    PutLe32(fields, 30, 3);
    fields.resize(66);
    PutLe32(fields, 54, 0x00FF0000);
    PutLe32(fields, 58, 0x0000FF00);
    PutLe32(fields, 62, 0x000000FF);
    PutLe32(fields, 10, 66);
    fields.insert(fields.end(), plain.begin() + 54, plain.end());
    EXPECT_EQ(Encode(fields), Encode(plain));
}

}  // namespace
}  // namespace lumigram::test

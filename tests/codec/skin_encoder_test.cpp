#include "codec/codec_test_support.h"
#include "platform/scratch.h"

namespace lumigram::test {
namespace {

using EncoderTest = CodecTest;

BmpSpec Solid(int width, int height, Rgb colour, int bitCount = 24) {
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitCount = bitCount;
    spec.pixel = [colour](int, int) { return colour; };
    return spec;
}

TEST_F(EncoderTest, SizesOfA176x220PictureWithAndWithoutMask) {
    BmpSpec spec;
    spec.width = 176;
    spec.height = 220;
    const Bytes bmp = MakeBmp(spec);
    const Bytes withMask = Encode(bmp, kMagenta, true);
    EXPECT_EQ(withMask.size(), 121456u);
    EXPECT_EQ(Le16(withMask, 0), 176);
    EXPECT_EQ(Le16(withMask, 4), 220);
    EXPECT_EQ(withMask[8], 18);
    EXPECT_EQ(Le16(withMask, 12), 528);
    for (int reserved : {2, 3, 6, 7, 9, 10, 11, 14, 15}) {
        EXPECT_EQ(withMask[reserved], 0) << reserved;
    }
    const Bytes withoutMask = Encode(bmp, kMagenta, false);
    EXPECT_EQ(withoutMask.size(), 116176u);
    EXPECT_TRUE(std::equal(withoutMask.begin(), withoutMask.end(), withMask.begin()));
}

TEST_F(EncoderTest, PixelsAreNarrowedAndExactKeyColourMatchesAreMasked) {
    // Row of five: magenta, almost magenta, (50,100,200), white, black.
    const Rgb row[] = {{255, 0, 255}, {254, 0, 255}, {50, 100, 200}, {255, 255, 255}, {0, 0, 0}};
    BmpSpec spec;
    spec.width = 5;
    spec.height = 1;
    spec.pixel = [&](int x, int) { return row[x]; };
    const Bytes k = Encode(MakeBmp(spec));
    const Bytes expectedPixels{0x3F, 0xF0, 0x03, 0x3F, 0xF0, 0x03, 0x4C, 0x26,
                               0x03, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(k.size(), 16u + 16 + 4);
    EXPECT_EQ(Bytes(k.begin() + 16, k.begin() + 32), expectedPixels);
    EXPECT_EQ(Bytes(k.begin() + 32, k.end()), (Bytes{0b11110, 0, 0, 0}));

    // Another colour key: only exact matches of it are transparent.
    const Bytes k2 = Encode(MakeBmp(spec), TransparencyColour{50, 100, 200}, true);
    EXPECT_EQ(Bytes(k2.begin() + 32, k2.end()), (Bytes{0b11011, 0, 0, 0}));
}

TEST_F(EncoderTest, RowPaddingIsCarriedOver) {
    BmpSpec spec = Solid(1, 2, {50, 100, 200});
    spec.padByte = 0xC3;
    const Bytes k = Encode(MakeBmp(spec), kMagenta, false);
    EXPECT_EQ(Bytes(k.begin() + 16, k.end()), (Bytes{0x4C, 0x26, 3, 0xC3, 0x4C, 0x26, 3, 0xC3}));
}

TEST_F(EncoderTest, MaskRowLengthFollowsTheWidth) {
    const std::pair<int, std::size_t> cases[] = {{4, 0}, {5, 4}, {32, 4}, {33, 4}, {37, 8}};
    for (const auto& [width, maskStride] : cases) {
        const Bytes k = Encode(MakeBmp(Solid(width, 3, {1, 2, 3})));
        const std::size_t pixels = 3 * static_cast<std::size_t>(RowStride(width, 24));
        ASSERT_EQ(k.size(), 16 + pixels + 3 * maskStride) << width;
        // Every stored bit of an opaque picture is 1; bits past the width are 0.
        for (std::size_t i = 0; i < 3 * maskStride; ++i) {
            const std::size_t byteInRow = i % maskStride;
            const int bitsHere = std::clamp<int>(width - 8 * static_cast<int>(byteInRow), 0, 8);
            EXPECT_EQ(k[16 + pixels + i], (1u << bitsHere) - 1) << width << " byte " << i;
        }
    }
}

TEST_F(EncoderTest, ThirtyTwoBitRowsAreCopiedTopRowFirstWithoutMask) {
    BmpSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.bitCount = 32;
    const Bytes bmp = MakeBmp(spec);
    const Bytes k = Encode(bmp, kMagenta, true);
    ASSERT_EQ(k.size(), 16u + 24);
    EXPECT_EQ(k[8], 32);
    EXPECT_EQ(Le16(k, 12), 12);
    EXPECT_EQ(Bytes(k.begin() + 16, k.begin() + 28), Bytes(bmp.begin() + 66, bmp.end()));
    EXPECT_EQ(Bytes(k.begin() + 28, k.end()), Bytes(bmp.begin() + 54, bmp.begin() + 66));
}

TEST_F(EncoderTest, HeightZeroGivesTheHeaderAlone) {
    const Bytes k = Encode(MakeBmp(Solid(10, 0, {})));
    EXPECT_EQ(k, MakeSkin(10, 0, 18, 32, {}));
}

TEST_F(EncoderTest, AnythingButABmpIsCopiedUnchanged) {
    Bytes png = CountingBytes(20000);
    png[0] = 0x89;
    png[1] = 'P';
    for (const std::size_t size : {0u, 1u, 2u, 8191u, 8192u, 8193u, 16384u, 20000u}) {
        const Bytes input(png.begin(), png.begin() + static_cast<long>(size));
        EXPECT_EQ(Encode(input, kMagenta, true, EncodeOutcome::kCopied), input) << size;
    }
    // "B" alone is not "BM".
    EXPECT_EQ(Encode(Bytes{'B'}, kMagenta, true, EncodeOutcome::kCopied), Bytes{'B'});
}

TEST_F(EncoderTest, ScratchEntryPointWritesTempKAndOnlyCopiesToTempG) {
    SetScratchDir(dir_.path());
    const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
    WriteAll(dir_.File("logo.gif"), gif);
    EncodeSkinPicture(dir_.File("logo.gif"), 255, 0, 255, true);
    EXPECT_EQ(ReadAll(dir_.File("temp.k")), gif);
    EXPECT_EQ(ReadAll(dir_.File("temp.g")), gif);

    WriteAll(dir_.File("pic.bmp"), MakeBmp(Solid(2, 2, {1, 2, 3})));
    EncodeSkinPicture(dir_.File("pic.bmp"), 255, 0, 255, true);
    EXPECT_EQ(ReadAll(dir_.File("temp.k"))[8], 18);
    EXPECT_EQ(ReadAll(dir_.File("temp.g")), gif) << "a BMP must leave temp.g alone";
}

}  // namespace
}  // namespace lumigram::test

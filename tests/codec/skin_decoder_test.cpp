#include <sys/stat.h>

#include "codec/codec_test_support.h"
#include "codec/skin_info.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/scratch.h"

namespace lumigram::test {
namespace {

// Height rows of an 18-bit picture, every pixel the stored bytes b0 b1 b2, with
// padding bytes set to pad.
Bytes Rows18(int width, int height, std::uint32_t stride, std::array<std::uint8_t, 3> pixel,
             std::uint8_t pad = 0xA5) {
    Bytes rows(static_cast<std::size_t>(stride) * height, pad);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::copy(pixel.begin(), pixel.end(), rows.begin() + y * stride + 3 * x);
        }
    }
    return rows;
}

using DecoderTest = CodecTest;

TEST_F(DecoderTest, Full176x220PictureGivesTheExpectedBmpHeader) {
    const Bytes mask(220 * 24, 0xFF);
    const Bytes bmp = Decode(MakeSkin(176, 220, 18, 528, Rows18(176, 220, 528, {1, 2, 3}), mask));
    ASSERT_EQ(bmp.size(), 116214u);
    Bytes header(bmp.begin(), bmp.begin() + 54);
    Bytes expected(54, 0);
    expected[0] = 'B';
    expected[1] = 'M';
    PutLe32(expected, 2, 116214);
    PutLe32(expected, 10, 54);
    PutLe32(expected, 14, 40);
    PutLe16(expected, 18, 176);
    PutLe16(expected, 22, 220);
    PutLe16(expected, 26, 1);
    PutLe16(expected, 28, 24);
    PutLe32(expected, 34, 116160);
    EXPECT_EQ(header, expected);
}

TEST_F(DecoderTest, StoredPixelsWidenToMultiplesOfFour) {
    struct Case {
        std::array<std::uint8_t, 3> stored;
        Rgb decoded;
    };
    const Case cases[] = {
        {{0x4C, 0x26, 0x03}, {48, 100, 200}},
        {{0xFF, 0xFF, 0x03}, {252, 252, 252}},
        {{0x3F, 0xF0, 0x03}, {252, 0, 252}},
        {{0x4C, 0x26, 0xFF}, {48, 100, 200}},  // bits 18-23 play no part
        {{0x4C, 0x26, 0x07}, {48, 100, 200}},
        {{0x00, 0x00, 0x00}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Bytes bmp = Decode(MakeSkin(1, 1, 18, 4, Rows18(1, 1, 4, c.stored)), kMagenta, false);
        EXPECT_EQ(BmpPixel(bmp, 0, 0), c.decoded)
            << int(c.stored[0]) << " " << int(c.stored[1]) << " " << int(c.stored[2]);
    }
}

TEST_F(DecoderTest, MaskBitZeroPaintsTheTransparencyColourUnlessDisabled) {
    // 8 x 2 picture: mask row 0 = 0b01010101 (even pixels opaque), row 1 = 0xFF.
    const int width = 8;
    const std::uint32_t stride = 24;
    Bytes mask(2 * MaskStrideFor(width), 0);
    mask[0] = 0x55;
    mask[4] = 0xFF;
    const Bytes skin =
        MakeSkin(width, 2, 18, stride, Rows18(width, 2, stride, {0x4C, 0x26, 3}), mask);
    const Rgb stored{48, 100, 200};
    const Rgb green{0, 255, 0};

    const Bytes on = Decode(skin, TransparencyColour{0, 255, 0}, true);
    for (int x = 0; x < width; ++x) {
        EXPECT_EQ(BmpPixel(on, x, 0), x % 2 == 0 ? stored : green) << x;
        EXPECT_EQ(BmpPixel(on, x, 1), stored) << x;
    }
    const Bytes off = Decode(skin, TransparencyColour{0, 255, 0}, false);
    for (int x = 0; x < width; ++x) {
        EXPECT_EQ(BmpPixel(off, x, 0), stored) << x;
    }
}

TEST_F(DecoderTest, MissingMaskBitsCountAsOpaque) {
    const Rgb stored{48, 100, 200};
    struct Case {
        const char* what;
        std::uint16_t width;
        std::size_t maskBytesPresent;  // of the full plane, from its start
    };
    const Case cases[] = {
        {"no mask plane at all", 16, 0},
        {"mask plane cut inside the first row", 40, 3},
        {"mask plane cut after the first row", 40, 8},
        {"width 4: MaskStride 0", 4, 0},
        {"width 33: pixel 32 has no stored bit", 33, 8},
        {"width 36: pixels 32-35 have no stored bit", 36, 8},
    };
    for (const Case& c : cases) {
        const auto stride = static_cast<std::uint16_t>((c.width * 3 + 3) & ~3u);
        const Bytes mask(c.maskBytesPresent, 0x00);  // every stored bit transparent
        const Bytes bmp = Decode(
            MakeSkin(c.width, 2, 18, stride, Rows18(c.width, 2, stride, {0x4C, 0x26, 3}), mask));
        const std::uint32_t maskStride = MaskStrideFor(c.width);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const std::size_t byte = y * maskStride + x / 8;
                const bool bitStored =
                    static_cast<std::uint32_t>(x / 8) < maskStride && byte < c.maskBytesPresent;
                const Rgb expected = bitStored ? Rgb{255, 0, 255} : stored;
                ASSERT_EQ(BmpPixel(bmp, x, y), expected) << c.what << " x=" << x << " y=" << y;
            }
        }
    }
}

TEST_F(DecoderTest, RowsArePassedOnWholeWithTheirPadding) {
    // Width 1: RowStride 4, byte 3 of each row is padding and goes out unchanged.
    const Bytes rows{0x4C, 0x26, 0x03, 0xEE, 0x3F, 0xF0, 0x03, 0x77};
    const Bytes bmp = Decode(MakeSkin(1, 2, 18, 4, rows), kMagenta, false);
    ASSERT_EQ(bmp.size(), 54u + 8);
    // BMP bottom-up: first BMP row is the skin's last row.
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()), (Bytes{252, 0, 252, 0x77, 48, 100, 200, 0xEE}));
}

TEST_F(DecoderTest, OtherBitDepthsAreCopiedRowByRowBottomRowFirst) {
    for (const std::uint8_t bits : {std::uint8_t{32}, std::uint8_t{24}, std::uint8_t{7}}) {
        const Bytes rows = CountingBytes(3 * 8);  // three rows of 8 bytes
        const Bytes bmp = Decode(MakeSkin(2, 3, bits, 8, rows, Bytes(64, 0)));
        ASSERT_EQ(bmp.size(), 54u + 24) << int(bits);
        EXPECT_EQ(Le16(bmp, 28), bits == 32 ? 32 : 24) << int(bits);
        EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.begin() + 62), Bytes(rows.begin() + 16, rows.end()));
        EXPECT_EQ(Bytes(bmp.begin() + 70, bmp.end()), Bytes(rows.begin(), rows.begin() + 8));
    }
}

TEST_F(DecoderTest, HeightZeroGivesTheHeaderAlone) {
    const Bytes bmp = Decode(MakeSkin(176, 0, 18, 528, {}));
    ASSERT_EQ(bmp.size(), 54u);
    EXPECT_EQ(Le32(bmp, 2), 54u);
    EXPECT_EQ(Le32(bmp, 34), 0u);
    EXPECT_EQ(Le32(bmp, 22), 0u);
    EXPECT_EQ(Le32(bmp, 18), 176u);
}

TEST_F(DecoderTest, RowStrideShorterThanThePixelsIsRefused) {
    // Width 3 needs 9 bytes a row at 18 bits (and 3 × 3 at any depth but 32).
    struct Case {
        std::uint8_t bits;
        std::uint16_t stride;
        const char* message;
    } cases[] = {
        {18, 8,
         "RowStride 8 is shorter than the 9 bytes of one row's pixels (3 pixels at 18 "
         "bits per pixel)"},
        {32, 11,
         "RowStride 11 is shorter than the 12 bytes of one row's pixels (3 pixels at 32 "
         "bits per pixel)"},
        {24, 1,
         "RowStride 1 is shorter than the 9 bytes of one row's pixels (3 pixels at 24 "
         "bits per pixel)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeRefusal(MakeSkin(3, 2, c.bits, c.stride, Bytes(2 * c.stride, 0))),
                  c.message);
    }
    // Exactly the pixels are decoded; a wider stride's extra bytes are dropped.
    EXPECT_EQ(Decode(MakeSkin(3, 1, 32, 12, Bytes(12, 7))).size(), 54u + 12);
    EXPECT_EQ(Decode(MakeSkin(3, 1, 18, 16, Bytes(16, 0))).size(), 54u + 12);
}

TEST_F(DecoderTest, UntrustworthyHeadersAreRefusedBeforeAnyOutput) {
    EXPECT_EQ(DecodeRefusal(Bytes(15, 0)),
              "not a skin picture: the file is 15 bytes, shorter than the 16-byte header");
    EXPECT_EQ(DecodeRefusal({}),
              "not a skin picture: the file is 0 bytes, shorter than the 16-byte header");
    // A 16-byte file that claims a 4 GiB picture.
    EXPECT_EQ(DecodeRefusal(MakeSkin(65535, 65535, 18, 65535, {})),
              "pixel rows run past the end of the file: 4294836241 bytes needed, the file has 16");
    // One byte of the last row missing.
    EXPECT_EQ(DecodeRefusal(MakeSkin(1, 2, 18, 4, Bytes(7, 0))),
              "pixel rows run past the end of the file: 24 bytes needed, the file has 23");
    // 18-bit pixels beyond the row buffer.
    EXPECT_EQ(DecodeRefusal(MakeSkin(21846, 1, 18, 65535, Bytes(65535, 0))),
              "picture too wide: 21846 pixels at 18 bits per pixel, at most 21845");
}

TEST_F(DecoderTest, WidestRowThatFitsTheBufferIsDecoded) {
    const Bytes rows = Rows18(21845, 1, 65535, {0x4C, 0x26, 3});
    const Bytes bmp = Decode(MakeSkin(21845, 1, 18, 65535, rows), kMagenta, false);
    ASSERT_EQ(bmp.size(), 54u + 65536);  // a BMP row is a multiple of 4 bytes
    EXPECT_EQ(BmpPixel(bmp, 21844, 0), (Rgb{48, 100, 200}));
    EXPECT_EQ(bmp.back(), 0);
}

TEST_F(DecoderTest, BmpRowsAreStandardWhateverTheRowStride) {
    // Two rows of pixels (200, 100, 48) at 18 bits or (1, 2, 3, 4) at 32, each
    // stored row ending in padding bytes 0xA5; the BMP row holds the pixels and
    // then its padding: the stored padding where the stride is standard, zeros
    // otherwise.
    struct Row {
        const char* what;
        std::uint16_t width;
        std::uint8_t bits;
        std::uint16_t stride;
        std::uint32_t bmpRow;
        bool ownPadding;
    };
    const Row rows[] = {
        {"narrow: 5 pixels in 15 bytes", 5, 18, 15, 16, false},
        {"exact: 5 pixels in 16 bytes", 5, 18, 16, 16, true},
        {"wide: 2 pixels in 12 bytes", 2, 18, 12, 8, false},
        {"wide 32-bit: 1 pixel in 8 bytes", 1, 32, 8, 4, true},
        {"exact at another depth: 2 pixels in 8 bytes", 2, 24, 8, 8, true},
        {"wide at another depth: 2 pixels in 10 bytes", 2, 24, 10, 8, false},
    };
    for (const Row& row : rows) {
        const std::size_t pixelBytes = row.width * (row.bits == 32 ? 4u : 3u);
        Bytes stored(2u * row.stride, 0xA5);
        for (std::size_t y = 0; y < 2; ++y) {
            for (std::size_t i = 0; i < pixelBytes; ++i) {
                const std::uint8_t pixel18[] = {0x4C, 0x26, 0x03};
                stored[y * row.stride + i] =
                    row.bits == 18 ? pixel18[i % 3] : static_cast<std::uint8_t>(1 + i % 4);
            }
        }
        const Bytes skin = MakeSkin(row.width, 2, row.bits, row.stride, stored);
        const Bytes bmp = Decode(skin, kMagenta, false);
        ASSERT_EQ(bmp.size(), 54 + 2 * row.bmpRow) << row.what;
        EXPECT_EQ(Le32(bmp, 2), bmp.size()) << row.what;
        EXPECT_EQ(Le32(bmp, 34), 2 * row.bmpRow) << row.what;
        for (std::size_t y = 0; y < 2; ++y) {
            const std::size_t at = 54 + y * row.bmpRow;
            for (std::size_t i = pixelBytes; i < row.bmpRow; ++i) {
                EXPECT_EQ(bmp[at + i], row.ownPadding ? 0xA5 : 0) << row.what;
            }
        }
        if (row.bits == 18) {
            EXPECT_EQ(BmpPixel(bmp, row.width - 1, 1), (Rgb{48, 100, 200})) << row.what;
            // Lumigram takes its own BMP back.
            EXPECT_EQ(Encode(bmp, kMagenta, false).size(), 16 + 2 * row.bmpRow) << row.what;
        }
        // From memory into memory, the same bytes.
        MemorySource source(skin, "p.k");
        MemorySink sink;
        DecodeSkinToBmp(source, sink, kMagenta, false);
        EXPECT_EQ(sink.bytes(), bmp) << row.what;
    }
}

TEST_F(DecoderTest, ReadOnlyInputIsDecoded) {
    WriteAll(dir_.File("ro.k"), MakeSkin(1, 1, 18, 4, Bytes{0x4C, 0x26, 3, 0}));
    ::chmod(dir_.File("ro.k").c_str(), 0444);
    ::chmod(dir_.path().c_str(), 0777);
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        try {
            DecodeSkinPictureTo(dir_.File("ro.k"), dir_.File("out.bmp"), kMagenta, true);
            return ReadAll(dir_.File("out.bmp")).size() == 58;
        } catch (const Error&) {
            return false;
        }
    }));
}

TEST_F(DecoderTest, ScratchEntryPointWritesTempBmpAndLeavesItOnAMissingInput) {
    SetScratchDir(dir_.path());
    WriteAll(dir_.File("icon.k"), MakeSkin(1, 1, 18, 4, Bytes{0x4C, 0x26, 3, 0}));
    DecodeSkinPicture(dir_.File("icon.k"), 255, 0, 255, true);
    const Bytes first = ReadAll(dir_.File("temp.bmp"));
    EXPECT_EQ(first.size(), 58u);
    try {
        DecodeSkinPicture(dir_.File("missing.k"), 255, 0, 255, true);
        ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "File not found");
        EXPECT_EQ(error.path(), dir_.File("missing.k"));
    }
    EXPECT_EQ(ReadAll(dir_.File("temp.bmp")), first);
}

TEST_F(DecoderTest, InfoReportsTheHeaderAndHowMuchMaskIsPresent) {
    struct Case {
        std::size_t maskBytes;
        std::uint8_t bits;
        MaskPresence expected;
    };
    const Case cases[] = {
        {0, 18, MaskPresence::kNone},
        {5, 18, MaskPresence::kPartial},
        {8, 18, MaskPresence::kFull},
        {8, 32, MaskPresence::kNone},
    };
    for (const Case& c : cases) {
        WriteAll(dir_.File("i.k"), MakeSkin(8, 2, c.bits, 32, Bytes(64, 0), Bytes(c.maskBytes, 1)));
        const SkinPictureInfo info = InspectSkinPicture(dir_.File("i.k"));
        EXPECT_EQ(info.mask, c.expected) << c.maskBytes;
        EXPECT_EQ(info.width, 8u);
        EXPECT_EQ(info.height, 2u);
        EXPECT_EQ(info.bitsPerPixel, c.bits);
        EXPECT_EQ(info.rowStride, 32u);
        EXPECT_EQ(info.maskStride, 4u);
        EXPECT_EQ(info.fileSize, 16 + 64 + c.maskBytes);
    }
}

}  // namespace
}  // namespace lumigram::test

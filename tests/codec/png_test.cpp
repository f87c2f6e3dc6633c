// PNG both ways and the BMPs paint programs write: round trips over random
// pictures, a table of PNG colour types, a table of palette and 16-bit BMPs,
// and the refusals.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string_view>

#include "codec/picture_conversion.h"
#include "codec/skin_to_png.h"
#include "platform/io_error.h"
#include "support/pictures.h"
#include "support/png_files.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

PngSpec Png(std::uint32_t width, std::uint32_t height, std::uint8_t colorType,
            std::uint8_t bitDepth, Bytes raw, bool interlaced = false) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.raw = std::move(raw);
    spec.interlaced = interlaced;
    return spec;
}

Bytes Padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

PngSpec WithPalette(PngSpec spec, Bytes palette, Bytes alpha) {
    spec.palette = std::move(palette);
    spec.paletteAlpha = std::move(alpha);
    return spec;
}

PngSpec WithGrayKey(PngSpec spec, int key) {
    spec.grayKey = key;
    return spec;
}

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
    Bytes chunk = {
        static_cast<std::uint8_t>(data.size() >> 24), static_cast<std::uint8_t>(data.size() >> 16),
        static_cast<std::uint8_t>(data.size() >> 8), static_cast<std::uint8_t>(data.size())};
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    for (int shift = 24; shift >= 0; shift -= 8) {
        chunk.push_back(static_cast<std::uint8_t>(crc >> shift));
    }
    png.insert(png.end(), chunk.begin(), chunk.end());
}

// An 8-bit PNG of rows as filtered (each with its filter type byte first), its
// image data in IDAT chunks of `piece` bytes after an empty one.
Bytes FilteredPng(std::uint32_t width, std::uint32_t height, std::uint8_t colorType,
                  const Bytes& filtered, std::size_t piece) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr(13, 0);
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        ihdr[4 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    ihdr[8] = 8;
    ihdr[9] = colorType;
    PutChunk(png, "IHDR", ihdr);
    uLongf size = compressBound(static_cast<uLong>(filtered.size()));
    Bytes data(size);
    compress(data.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()));
    data.resize(size);
    PutChunk(png, "IDAT", {});
    for (std::size_t at = 0; at < data.size(); at += piece) {
        PutChunk(
            png, "IDAT",
            Bytes(data.begin() + static_cast<std::ptrdiff_t>(at),
                  data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + piece))));
    }
    PutChunk(png, "IEND", {});
    return png;
}

class PngTest : public ::testing::Test {
  protected:
    // picture (any kind) converted to target, with the given transparency switch.
    Bytes Convert(const Bytes& picture, TargetFormat target, bool transparency = true) {
        WriteAll(dir_.File("in"), picture);
        ConvertPictureTo(dir_.File("in"), dir_.File("out"), target,
                         ConversionOptions{TransparencyColour{}, transparency});
        return ReadAll(dir_.File("out"));
    }
    TempDir dir_;
    std::mt19937 random_{20261208};
};

// A ".k" as Lumigram writes it: 6:6:6 pixels with bits 18-23 clear, zero row
// padding, and with a mask, transparent pixels stored as narrowed magenta.
Bytes RandomSkin(std::mt19937& random, std::uint16_t width, std::uint16_t height, bool mask) {
    const std::uint32_t stride = (width * 3u + 3) & ~3u;
    const std::uint32_t maskStride = 4 * ((width + 27u) / 32);
    Bytes rows(std::size_t{height} * stride, 0);
    Bytes plane(mask ? std::size_t{height} * maskStride : 0, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool stored = x / 8 < maskStride;
            const bool opaque = !mask || !stored || random() % 3 != 0;
            // Now and then an opaque pixel of the transparent pixels' colour,
            // which an RGB PNG marking that colour transparent cannot carry.
            const std::uint32_t v =
                opaque ? (random() % 64 == 0 ? 0x3F03F : random() & 0x3FFFF) : 0x3F03F;
            std::uint8_t* p = &rows[y * stride + x * 3];
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
            p[2] = static_cast<std::uint8_t>(v >> 16);
            if (mask && stored && opaque) {
                plane[y * maskStride + x / 8] |= static_cast<std::uint8_t>(1u << (x % 8));
            }
        }
    }
    return MakeSkin(width, height, 18, static_cast<std::uint16_t>(stride), rows, plane);
}

bool HasChunk(const Bytes& png, std::string_view type) {
    return std::search(png.begin(), png.end(), type.begin(), type.end()) != png.end();
}

TEST_F(PngTest, SkinToPngToSkinIsByteIdenticalForEveryWidthWithAndWithoutMask) {
    int keyed = 0;  // masks carried as a transparent colour, the rest as alpha
    for (std::uint16_t width = 1; width <= 70; ++width) {
        for (const bool mask : {true, false}) {
            SCOPED_TRACE("width " + std::to_string(width) + (mask ? " with mask" : " no mask"));
            const Bytes skin = RandomSkin(random_, width, 1 + random_() % 4, mask);
            const Bytes png = Convert(skin, TargetFormat::kPng);
            const bool alpha = ReadPng(png).colorType == 6;
            keyed += HasChunk(png, "tRNS");
            EXPECT_EQ(alpha || HasChunk(png, "tRNS"), mask && width > 4);
            EXPECT_EQ(Convert(png, TargetFormat::kK), skin);
        }
    }
    EXPECT_GT(keyed, 10);
    EXPECT_LT(keyed, 66);
}

// Pictures of several bands of rows, deflated on two threads and read back
// ahead of the caller: noise, rows all alike (deflate's matches then run over
// every band's edge), a wide one with alpha, a 32-bit one.
TEST_F(PngTest, PicturesOfManyBandsComeBackByteForByte) {
    const auto same = [](Bytes skin, std::uint32_t stride) {
        for (std::size_t at = kSkinHeaderSize + stride; at + stride <= skin.size(); at += stride) {
            std::copy_n(skin.begin() + kSkinHeaderSize, stride, skin.begin() + at);
        }
        return skin;
    };
    Bytes wide = RandomSkin(random_, 2000, 300, true);
    wide[kSkinHeaderSize] = 0x3F;  // an opaque pixel of the transparent colour: alpha
    wide[kSkinHeaderSize + 1] = 0xF0;
    wide[kSkinHeaderSize + 2] = 0x03;
    wide[kSkinHeaderSize + 300 * 6000] |= 1;
    Bytes rows32(std::size_t{300} * 4 * 1000);
    for (std::uint8_t& byte : rows32) {
        byte = static_cast<std::uint8_t>(random_() % 3);
    }
    const struct {
        const char* what;
        Bytes skin;
    } rows[] = {
        {"noise", RandomSkin(random_, 200, 3000, true)},
        {"rows all alike", same(RandomSkin(random_, 64, 5000, false), 192)},
        {"wide, with alpha", wide},
        {"32-bit", MakeSkin(300, 1000, 32, 1200, rows32)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Bytes png = Convert(row.skin, TargetFormat::kPng);
        EXPECT_GT(ReadPng(png).width, 0U);  // deflate's checksum and every chunk's hold
        EXPECT_EQ(Convert(png, TargetFormat::kK), row.skin);
    }
}

// Large RGB and RGBA PNGs are inflated and unfiltered by the reader's own
// two-thread path: with every filter type, in odd chunk sizes, it must give
// the same ".k" as libspng's reading of the same pixels (interlaced, so that
// libspng reads them).
TEST_F(PngTest, LargePngsOfEveryFilterTypeReadAsLibspngReadsThem) {
    for (const std::uint8_t channels : {std::uint8_t{3}, std::uint8_t{4}}) {
        SCOPED_TRACE(channels == 3 ? "RGB" : "RGBA");
        const std::uint32_t width = 1025;
        const std::uint32_t height = 520;
        Bytes filtered;
        for (std::uint32_t y = 0; y < height; ++y) {
            filtered.push_back(static_cast<std::uint8_t>(y % 5));
            for (std::uint32_t i = 0; i < width * channels; ++i) {
                filtered.push_back(static_cast<std::uint8_t>(random_() % 7 * (y % 2 ? 1 : 37)));
            }
        }
        const std::uint8_t colorType = channels == 3 ? 2 : 6;
        const Bytes png = FilteredPng(width, height, colorType, filtered, 4099);
        const RgbaPicture rgba = ReadPng(png);
        Bytes pixels;
        for (std::size_t i = 0; i < rgba.rgba.size(); i += 4) {
            pixels.insert(pixels.end(), rgba.rgba.begin() + static_cast<std::ptrdiff_t>(i),
                          rgba.rgba.begin() + static_cast<std::ptrdiff_t>(i + channels));
        }
        const Bytes interlaced = MakePng(Png(width, height, colorType, 8, pixels, true));
        EXPECT_EQ(Convert(png, TargetFormat::kK), Convert(interlaced, TargetFormat::kK));
    }
}

TEST_F(PngTest, ThirtyTwoBitSkinComesBackByteForByteThroughPng) {
    for (std::uint16_t width = 1; width <= 70; width += 23) {
        Bytes rows(std::size_t{width} * 4 * 3);
        for (std::uint8_t& byte : rows) {
            byte = static_cast<std::uint8_t>(random_());
        }
        const Bytes skin = MakeSkin(width, 3, 32, static_cast<std::uint16_t>(width * 4), rows);
        const Bytes png = Convert(skin, TargetFormat::kPng);
        const RgbaPicture decoded = ReadPng(png);
        EXPECT_EQ(decoded.rgba[0], rows[2]);  // red from the third byte
        EXPECT_EQ(decoded.rgba[3], rows[3]);  // alpha from the fourth
        EXPECT_EQ(Convert(png, TargetFormat::kK), skin);
    }
}

TEST_F(PngTest, PngOfColoursInStepsOfFourIsPixelIdenticalThroughSkin) {
    for (std::uint32_t width = 1; width <= 70; ++width) {
        SCOPED_TRACE("width " + std::to_string(width));
        PngSpec spec;
        spec.width = width;
        spec.height = 1 + random_() % 4;
        const std::uint32_t maskStride = 4 * ((width + 27) / 32);
        for (std::uint32_t i = 0; i < width * spec.height; ++i) {
            // Transparent pixels keep magenta as the ".k" stores it; pixels
            // without a stored mask bit can only be opaque.
            const bool opaque = (i % width) / 8 >= maskStride || random_() % 4 != 0;
            const Bytes pixel = opaque ? Bytes{static_cast<std::uint8_t>(random_() & 0xFC),
                                               static_cast<std::uint8_t>(random_() & 0xFC),
                                               static_cast<std::uint8_t>(random_() & 0xFC), 255}
                                       : Bytes{252, 0, 252, 0};
            spec.raw.insert(spec.raw.end(), pixel.begin(), pixel.end());
        }
        const Bytes png = MakePng(spec);
        EXPECT_EQ(ReadPng(Convert(Convert(png, TargetFormat::kK), TargetFormat::kPng)).rgba,
                  ReadPng(png).rgba);
    }
}

// Every colour type and depth, each pixel checked after PNG -> .k -> PNG:
// colours narrowed to 6 bits, alpha below 128 transparent (stored as magenta).
TEST_F(PngTest, EveryColourTypeAndDepthBecomesASkinPicture) {
    struct Row {
        const char* what;
        PngSpec spec;
        Bytes expected;  // RGBA of the first two pixels after the trip
    };
    const Row rows[] = {
        {"gray 1-bit", Png(8, 1, 0, 1, {0x80}), {252, 252, 252, 255, 0, 0, 0, 255}},
        {"gray 8-bit with a transparent key",
         WithGrayKey(Png(8, 1, 0, 8, {0x80, 0x41, 0, 0, 0, 0, 0, 0}), 0x80),
         {252, 0, 252, 0, 64, 64, 64, 255}},
        {"gray and alpha at the threshold",
         Png(8, 1, 4, 8, Padded({200, 127, 200, 128}, 16)),
         {252, 0, 252, 0, 200, 200, 200, 255}},
        {"RGB 16-bit",
         Png(8, 1, 2, 16, Padded({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}, 48)),
         {0x10, 0x54, 0x98, 255, 0, 0, 0, 255}},
        {"palette 4-bit with tRNS",
         WithPalette(Png(8, 1, 3, 4, {0x01, 0x11, 0x11, 0x11}), {10, 20, 30, 40, 50, 60}, {0}),
         {252, 0, 252, 0, 40, 48, 60, 255}},
        {"RGBA interlaced",
         Png(8, 1, 6, 8, Padded({9, 10, 11, 255, 1, 2, 3, 0}, 32), true),
         {8, 8, 8, 255, 252, 0, 252, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const Bytes skin = Convert(MakePng(row.spec), TargetFormat::kK);
        const RgbaPicture back = ReadPng(Convert(skin, TargetFormat::kPng));
        EXPECT_EQ(Bytes(back.rgba.begin(), back.rgba.begin() + 8), row.expected);
    }
}

TEST_F(PngTest, NoTransparencyWritesNoMaskAndKeepsColours) {
    const PngSpec spec = Png(40, 2, 6, 8, Bytes(40 * 2 * 4, 0));  // all transparent black
    const Bytes skin = Convert(MakePng(spec), TargetFormat::kK, false);
    EXPECT_EQ(skin.size(), 16u + 2 * 120);
    EXPECT_EQ(skin[16], 0);  // black, not magenta
    // And a ".k" with its mask comes out fully opaque, as RGB.
    const Bytes masked = Convert(MakePng(spec), TargetFormat::kK);
    EXPECT_EQ(masked.size(), 16u + 2 * 120 + 2 * 8);
    EXPECT_EQ(ReadPng(Convert(masked, TargetFormat::kPng, false)).colorType, 2);
}

// A BMP header, palette and rows, laid out by hand.
Bytes MakeLowBitBmp(int width, std::uint16_t bits, std::uint32_t compression, const Bytes& extra,
                    const Bytes& row) {
    const std::uint32_t offset = 54 + static_cast<std::uint32_t>(extra.size());
    Bytes bmp(offset, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    PutLe32(bmp, 2, offset + static_cast<std::uint32_t>(row.size()));
    PutLe32(bmp, 10, offset);
    PutLe32(bmp, 14, 40);
    PutLe32(bmp, 18, static_cast<std::uint32_t>(width));
    PutLe32(bmp, 22, 1);
    PutLe16(bmp, 26, 1);
    PutLe16(bmp, 28, bits);
    PutLe32(bmp, 30, compression);
    if (bits <= 8) {
        PutLe32(bmp, 46, static_cast<std::uint32_t>(extra.size() / 4));  // colours used
    }
    std::copy(extra.begin(), extra.end(), bmp.begin() + 54);
    bmp.insert(bmp.end(), row.begin(), row.end());
    return bmp;
}

TEST_F(PngTest, PaletteAndSixteenBitBmpsBecomeSkinPictures) {
    // Palettes are blue, green, red, reserved; entry 1 is the transparency colour.
    const Bytes palette = {40, 80, 120, 0, 255, 0, 255, 0};
    struct Row {
        const char* what;
        Bytes bmp;
        Bytes expected;  // RGBA of the first two pixels after BMP -> .k -> PNG
    };
    const Row rows[] = {
        {"1-bit",
         MakeLowBitBmp(8, 1, 0, palette, {0x40, 0, 0, 0}),
         {120, 80, 40, 255, 252, 0, 252, 0}},
        {"4-bit",
         MakeLowBitBmp(8, 4, 0, palette, {0x01, 0, 0, 0}),
         {120, 80, 40, 255, 252, 0, 252, 0}},
        {"8-bit",
         MakeLowBitBmp(8, 8, 0, palette, Padded({1}, 8)),
         {252, 0, 252, 0, 120, 80, 40, 255}},
        {"16-bit 5:5:5",
         MakeLowBitBmp(8, 16, 0, {}, Padded({0x1F, 0x00, 0x00, 0x7C}, 16)),
         {0, 0, 252, 255, 252, 0, 0, 255}},
        {"16-bit 5:6:5 bit fields",
         MakeLowBitBmp(2, 16, 3, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
                       Padded({0xE0, 0x07, 0x00, 0xF8}, 16)),
         {0, 252, 0, 255, 252, 0, 0, 255}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const RgbaPicture back =
            ReadPng(Convert(Convert(row.bmp, TargetFormat::kK), TargetFormat::kPng));
        EXPECT_EQ(Bytes(back.rgba.begin(), back.rgba.begin() + 8), row.expected);
    }
}

TEST_F(PngTest, DamagedOrUnfitPicturesAreRefusedNamingTheFile) {
    Bytes truncated = MakePng(Png(8, 8, 2, 8, Bytes(8 * 8 * 3, 7)));
    truncated.resize(truncated.size() - 20);
    Bytes noise(std::size_t{1000} * 1000 * 3);
    for (std::uint8_t& byte : noise) {
        byte = static_cast<std::uint8_t>(random_());
    }
    Bytes largeTruncated = MakePng(Png(1000, 1000, 2, 8, noise));
    largeTruncated.resize(largeTruncated.size() / 2);
    const PngSpec wide = Png(21845, 1, 0, 1, Bytes((21845 + 7) / 8, 0));
    Bytes largeRows(std::size_t{1024 * 3 + 1} * 700, 0);
    largeRows[7 * (1024 * 3 + 1)] = 5;  // row 7: no such filter
    const Bytes badFilter = FilteredPng(1024, 700, 2, largeRows, 1000);
    largeRows[7 * (1024 * 3 + 1)] = 0;
    Bytes badCrc = FilteredPng(1024, 700, 2, largeRows, 1000);
    badCrc[badCrc.size() - 12 - 5] ^= 1;  // the last byte of image data, past the rows
    const struct {
        const char* what;
        Bytes picture;
        TargetFormat target;
        const char* message;
    } rows[] = {
        {"a PNG cut short", truncated, TargetFormat::kK, "PNG"},
        {"a large PNG cut short, read ahead", largeTruncated, TargetFormat::kK,
         "damaged PNG: the file ends inside its image data"},
        {"a large PNG with a row of an unknown filter", badFilter, TargetFormat::kK,
         "damaged PNG: row 7 has an unknown filter type 5"},
        {"a large PNG with a damaged IDAT", badCrc, TargetFormat::kK,
         "damaged PNG: CRC mismatch in an IDAT chunk"},
        {"a PNG wider than a BMP may be", MakePng(wide), TargetFormat::kK,
         "21845 pixels wide, at most 21844"},
        {"an RLE-compressed BMP", MakeLowBitBmp(2, 8, 1, Bytes(8, 0), {0, 0, 0, 0}),
         TargetFormat::kK, "unsupported BMP: compression method 1"},
        {"a PNG to BMP", MakePng(Png(1, 1, 0, 8, {0})), TargetFormat::kBmp, "is a PNG picture"},
        {"a 24-bit .k to PNG", MakeSkin(1, 1, 24, 4, {1, 2, 3, 0}), TargetFormat::kPng,
         "neither a .k skin picture"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteAll(dir_.File("in"), row.picture);
        try {
            ConvertPictureTo(dir_.File("in"), dir_.File("out"), row.target, ConversionOptions{});
            ADD_FAILURE() << "not refused";
        } catch (const FormatError& error) {
            EXPECT_EQ(error.path(), dir_.File("in"));
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(Exists(dir_.File("out")));
    }
}

}  // namespace
}  // namespace lumigram::test

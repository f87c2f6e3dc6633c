// The core's PNG reader against libspng, the reader the Linux build used: every
// PNG gives the same pixels from both, or is refused by both. The one rule of
// the core's own that libspng does not share: every IDAT chunk must be whole
// and its CRC hold, also the last one's once every row has arrived.
#include <gtest/gtest.h>

#include <random>

#include "support/png_files.h"
#include "support/spng_oracle.h"

namespace lumigram::test {
namespace {

std::mt19937 random_(20261210);

unsigned ChannelsOf(std::uint8_t colorType) {
    return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
}

// Random filtered rows (every filter type in turn) of the right size, for a
// picture interlaced or not; an empty Adam7 pass has no bytes at all.
Bytes RandomRows(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                 std::uint8_t colorType, bool interlaced) {
    struct Pass {
        std::uint32_t x, y, dx, dy;
    };
    const std::vector<Pass> passes =
        interlaced ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                   : std::vector<Pass>{{0, 0, 1, 1}};
    Bytes rows;
    for (const Pass& p : passes) {
        const std::uint32_t columns = width > p.x ? (width - p.x + p.dx - 1) / p.dx : 0;
        const std::uint32_t lines = height > p.y ? (height - p.y + p.dy - 1) / p.dy : 0;
        if (columns == 0) {
            continue;
        }
        const std::size_t bytes = (std::size_t{columns} * ChannelsOf(colorType) * depth + 7) / 8;
        for (std::uint32_t r = 0; r < lines; ++r) {
            rows.push_back(static_cast<std::uint8_t>(rows.size() % 5));
            for (std::size_t i = 0; i < bytes; ++i) {
                rows.push_back(static_cast<std::uint8_t>(random_()));
            }
        }
    }
    return rows;
}

Bytes Text(const std::string& keyword, const std::string& text) {
    Bytes data(keyword.begin(), keyword.end());
    data.push_back(0);
    data.insert(data.end(), text.begin(), text.end());
    return data;
}

RawPngSpec Spec(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                std::uint8_t colorType, bool interlaced, Bytes filtered,
                std::vector<std::pair<std::string, Bytes>> chunks = {}) {
    RawPngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.bitDepth = depth;
    spec.colorType = colorType;
    spec.interlaced = interlaced;
    spec.filtered = std::move(filtered);
    spec.chunks = std::move(chunks);
    return spec;
}

enum class Expect { kSame, kBothRefuse, kCoreRefusesDamagedImageData };

void Compare(const char* what, const Bytes& png, Expect expect) {
    SCOPED_TRACE(what);
    const std::optional<PngReading> theirs = ReadWithLibspng(png);
    const std::optional<PngReading> ours = ReadWithCore(png);
    switch (expect) {
        case Expect::kSame:
            ASSERT_TRUE(theirs.has_value());
            ASSERT_TRUE(ours.has_value());
            EXPECT_EQ(ours->width, theirs->width);
            EXPECT_EQ(ours->hasAlpha, theirs->hasAlpha);
            EXPECT_EQ(ours->keeps32Bits, theirs->keeps32Bits);
            EXPECT_TRUE(ours->rgba == theirs->rgba);
            break;
        case Expect::kBothRefuse:
            EXPECT_FALSE(theirs.has_value());
            EXPECT_FALSE(ours.has_value());
            break;
        case Expect::kCoreRefusesDamagedImageData:
            EXPECT_TRUE(theirs.has_value());
            EXPECT_FALSE(ours.has_value());
            EXPECT_FALSE(ImageDataChunksSound(png));
            break;
    }
}

TEST(PngReaderTest, EveryColourTypeAndDepthReadsAsLibspngReadsIt) {
    const std::pair<std::uint8_t, std::vector<std::uint8_t>> kinds[] = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto& [colorType, depths] : kinds) {
        for (const std::uint8_t depth : depths) {
            for (const bool interlaced : {false, true}) {
                for (const auto& [width, height] :
                     std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                         {1, 1}, {2, 1}, {1, 9}, {3, 5}, {9, 9}, {33, 17}, {600, 1100}}) {
                    if (width * height > 1000 && (depth != 8 || interlaced)) {
                        continue;  // the large one only as the usual 8-bit picture
                    }
                    RawPngSpec spec = Spec(width, height, depth, colorType, interlaced,
                                           RandomRows(width, height, depth, colorType, interlaced));
                    spec.piece = 1000;
                    if (colorType == 3) {
                        // Fewer entries than indexes, some with alpha.
                        spec.chunks = {{"PLTE", Bytes(3 * (depth == 1 ? 2 : 3), 0x5A)},
                                       {"tRNS", {0x80}}};
                        spec.chunks[0].second[0] = 1;
                    }
                    const std::string what = "type " + std::to_string(colorType) + ", " +
                                             std::to_string(depth) + " bits, " +
                                             std::to_string(width) + " x " +
                                             std::to_string(height) + (interlaced ? ", Adam7" : "");
                    Compare(what.c_str(), MakeRawPng(spec), Expect::kSame);
                }
            }
        }
    }
}

TEST(PngReaderTest, TransparencyPalettesAndTextReadAsLibspngReadsThem) {
    const auto png = [](std::uint8_t type, std::uint8_t depth, Bytes rows,
                        std::vector<std::pair<std::string, Bytes>> chunks, bool adam7 = false) {
        const std::uint32_t width = type == 3 || type == 0 ? 4 : 2;
        return MakeRawPng(Spec(width, 1, depth, type, adam7, std::move(rows), std::move(chunks)));
    };
    const Bytes pal = {10, 20, 30, 40, 50, 60};
    const struct {
        const char* what;
        Bytes png;
        Expect expect;
    } rows[] = {
        {"16-bit grey with tRNS, all 16 bits compared",
         png(0, 16, {0, 0x12, 0x80, 0x12, 0x81, 0, 0, 0xFF, 0xFF}, {{"tRNS", {0x12, 0x80}}}),
         Expect::kSame},
        {"2-bit grey with tRNS", png(0, 2, {0, 0x1B}, {{"tRNS", {0, 1}}}), Expect::kSame},
        {"2-bit grey, tRNS out of its range", png(0, 2, {0, 0x1B}, {{"tRNS", {0, 5}}}),
         Expect::kSame},
        {"16-bit RGB with tRNS",
         png(2, 16, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {{"tRNS", {1, 2, 3, 4, 5, 6}}}),
         Expect::kSame},
        {"8-bit RGB with tRNS", png(2, 8, {0, 1, 2, 3, 4, 5, 6}, {{"tRNS", {0, 1, 0, 2, 0, 3}}}),
         Expect::kSame},
        {"16-bit RGB with tRNS, Adam7",
         png(2, 16, {0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12}, {{"tRNS", {1, 2, 3, 4, 5, 6}}},
             true),
         Expect::kSame},
        {"palette indexes past the palette",
         png(3, 8, {0, 0, 1, 2, 200}, {{"PLTE", pal}, {"tRNS", {7}}}), Expect::kSame},
        {"2-bit palette indexes past the palette", png(3, 2, {0, 0x1B}, {{"PLTE", pal}}),
         Expect::kSame},
        {"tRNS longer than the palette",
         png(3, 8, {0, 0, 1, 0, 1}, {{"PLTE", pal}, {"tRNS", {7, 8, 9}}}), Expect::kSame},
        {"tRNS before PLTE", png(3, 8, {0, 0, 1, 0, 1}, {{"tRNS", {7}}, {"PLTE", pal}}),
         Expect::kSame},
        {"two PLTE chunks: the later one",
         png(3, 8, {0, 0, 1, 0, 1}, {{"PLTE", pal}, {"PLTE", {1, 2, 3, 4, 5, 6}}}), Expect::kSame},
        {"two tRNS chunks: the first one",
         png(0, 8, {0, 9, 8, 9, 8}, {{"tRNS", {0, 9}}, {"tRNS", {0, 8}}}), Expect::kSame},
        {"grey tRNS of the wrong length", png(0, 8, {0, 9, 8, 9, 8}, {{"tRNS", {0, 9, 0}}}),
         Expect::kSame},
        {"RGBA with tRNS", png(6, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {{"tRNS", {0, 1, 0, 2, 0, 3}}}),
         Expect::kSame},
        {"grey with a PLTE", png(0, 8, {0, 9, 8, 9, 8}, {{"PLTE", {1, 2, 3}}}), Expect::kSame},
        {"the 32-bit marker",
         png(6, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {{"tEXt", Text("Lumigram skin bits", "32")}}),
         Expect::kSame},
        {"a marker of another text",
         png(6, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {{"tEXt", Text("Lumigram skin bits", "320")}}),
         Expect::kSame},
        {"an unknown ancillary chunk", png(0, 8, {0, 1, 2, 3, 4}, {{"abCd", {1, 2}}}),
         Expect::kSame},
        {"1-bit palette of three entries",
         png(3, 1, {0, 0}, {{"PLTE", {1, 2, 3, 4, 5, 6, 7, 8, 9}}}), Expect::kBothRefuse},
        {"PLTE of four bytes", png(3, 8, {0, 0, 0, 0, 0}, {{"PLTE", {1, 2, 3, 4}}}),
         Expect::kBothRefuse},
        {"no PLTE in a palette picture", png(3, 8, {0, 0, 0, 0, 0}, {}), Expect::kBothRefuse},
        {"an unknown critical chunk", png(0, 8, {0, 1, 2, 3, 4}, {{"ABCD", {1}}}),
         Expect::kBothRefuse},
        {"bit depth 3", png(0, 3, {0, 0}, {}), Expect::kBothRefuse},
        {"filter type 5", png(0, 8, {5, 1, 2, 3, 4}, {}), Expect::kBothRefuse},
        {"rows missing", png(0, 8, {0, 1, 2}, {}), Expect::kBothRefuse},
    };
    for (const auto& row : rows) {
        Compare(row.what, row.png, row.expect);
    }
}

TEST(PngReaderTest, DamageAndHostileSizesAreRefusedByBoth) {
    const Bytes good = MakeRawPng(Spec(3, 2, 8, 2, false, Bytes(2 * 10, 1)));
    const auto damaged = [&](std::size_t at, std::uint8_t flip) {
        Bytes png = good;
        png[at] ^= flip;
        return png;
    };
    Bytes cut = good;
    cut.resize(cut.size() - 30);
    Bytes notZlib = MakeRawPng(Spec(3, 2, 8, 2, false, Bytes(2 * 10, 1)));
    notZlib[33 + 8] = 0x79;  // compression method 9
    const std::size_t idatCrc = good.size() - 12 - 4;
    // A zlib bomb: 8 MB of zeros claimed as a picture of 2,000 x 1,000 RGB, cut
    // to its first kilobytes.
    Bytes bomb =
        MakeRawPng(Spec(2000, 1000, 8, 2, false, Bytes(std::size_t{2000 * 3 + 1} * 1000, 0)));
    const Bytes huge = MakeRawPng(Spec(60000, 60000, 8, 2, false, Bytes(60001, 0)));
    const Bytes tall = MakeRawPng(Spec(1, 70000, 1, 0, false, Bytes(2, 0)));
    const struct {
        const char* what;
        Bytes png;
        Expect expect;
    } rows[] = {
        {"a damaged IHDR", damaged(8 + 8 + 3, 1), Expect::kBothRefuse},
        {"a damaged IHDR CRC", damaged(8 + 8 + 13, 1), Expect::kBothRefuse},
        {"the image data cut short", cut, Expect::kBothRefuse},
        {"image data that is not zlib", notZlib, Expect::kBothRefuse},
        {"a damaged CRC of the last IDAT", damaged(idatCrc, 1),
         Expect::kCoreRefusesDamagedImageData},
        {"60,000 x 60,000 pixels", huge, Expect::kBothRefuse},
        {"70,000 rows", tall, Expect::kBothRefuse},
        {"a bomb's first kilobytes", Bytes(bomb.begin(), bomb.begin() + 2000), Expect::kBothRefuse},
        {"no signature", Bytes(good.begin() + 1, good.end()), Expect::kBothRefuse},
    };
    for (const auto& row : rows) {
        Compare(row.what, row.png, row.expect);
    }
    // The whole bomb reads as the picture it claims to be.
    Compare("the whole bomb", bomb, Expect::kSame);
}

}  // namespace
}  // namespace lumigram::test

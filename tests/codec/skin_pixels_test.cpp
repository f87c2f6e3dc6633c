#include "codec/skin_pixels.h"

#include <gtest/gtest.h>

#include "platform/io_error.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

// Five pixels of 18 bits (the narrowest row with mask bits): full red, full
// blue, then black; a mask row with only the first pixel opaque.
const Bytes kRows{0x00, 0xF0, 0x03, 0x3F, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(SkinPixelsTest, DecodesColoursAndTransparency) {
    struct Row {
        const char* what;
        Bytes skin;
        bool transparency;
        std::vector<std::uint32_t> argb;
    };
    const std::vector<Row> rows = {
        {"no mask: opaque", MakeSkin(5, 1, 18, 16, kRows), true, {0xFFFC0000, 0xFF0000FC}},
        {"mask bit 0: transparent",
         MakeSkin(5, 1, 18, 16, kRows, {0x01, 0, 0, 0}),
         true,
         {0xFFFC0000, 0x000000FC}},
        {"transparency off",
         MakeSkin(5, 1, 18, 16, kRows, {0x01, 0, 0, 0}),
         false,
         {0xFFFC0000, 0xFF0000FC}},
        {"32-bit: blue, green, red, alpha",
         MakeSkin(1, 1, 32, 4, {1, 2, 3, 4}),
         true,
         {0x04030201}},
        {"32-bit, transparency off: opaque",
         MakeSkin(1, 1, 32, 4, {1, 2, 3, 4}),
         false,
         {0xFF030201}},
    };
    for (const Row& row : rows) {
        SampledPicture picture = DecodeSkinPixels(row.skin, row.transparency, "p.k");
        picture.argb.resize(row.argb.size());
        EXPECT_EQ(picture.argb, row.argb) << row.what;
    }
}

TEST(SkinPixelsTest, RefusesWhatCannotBeShown) {
    const std::vector<std::pair<const char*, Bytes>> rows = {
        {"short header", Bytes(10, 0)},
        {"rows past the end", MakeSkin(5, 4, 18, 16, kRows)},
        {"stride shorter than a row", MakeSkin(5, 1, 18, 12, kRows)},
        {"16 bits", MakeSkin(5, 1, 16, 16, kRows)},
        {"no pixels", MakeSkin(0, 1, 18, 0, {})},
    };
    for (const auto& [what, skin] : rows) {
        EXPECT_THROW(DecodeSkinPixels(skin, true, "p.k"), FormatError) << what;
    }
}

}  // namespace
}  // namespace lumigram::test

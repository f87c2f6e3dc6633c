#include "codec/skin_format.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

namespace lumigram {
namespace {

TEST(SkinFormat, MaskStrideIsWidthOverEightRoundedHalfEvenThenUpToFour) {
    std::fesetround(FE_TONEAREST);  // ties to even
    for (std::uint32_t width = 0; width <= 65535; ++width) {
        auto bytes = static_cast<std::uint32_t>(std::nearbyint(width / 8.0));
        bytes = (bytes + 3) / 4 * 4;
        ASSERT_EQ(MaskStrideFor(width), bytes) << "width " << width;
    }
    const std::pair<std::uint32_t, std::uint32_t> table[] = {
        {1, 0},  {4, 0},  {5, 4},    {32, 4},   {33, 4},   {36, 4},
        {37, 8}, {64, 8}, {100, 12}, {176, 24}, {240, 32}, {320, 40},
    };
    for (const auto& [width, stride] : table) {
        EXPECT_EQ(MaskStrideFor(width), stride) << width;
    }
}

TEST(SkinFormat, NarrowingDropsTheTwoLowBits) {
    // red 200, green 100, blue 50 -> 4C 26 03 in file order.
    EXPECT_EQ(Narrow666(50, 100, 200), 0x3264Cu);
    EXPECT_EQ(Narrow666(255, 255, 255), 0x3FFFFu);
    EXPECT_EQ(Narrow666(255, 0, 255), 0x3F03Fu);  // stored 3F F0 03
    EXPECT_EQ(Narrow666(254, 0, 255), 0x3F03Fu);
}

TEST(SkinFormat, HeaderIsFourLittleEndianWords) {
    const auto bytes = MakeSkinHeader({176, 220, 18, 528});
    const std::array<std::uint8_t, 16> expected{176, 0, 0, 0, 220,  0, 0, 0,
                                                18,  0, 0, 0, 0x10, 2, 0, 0};
    EXPECT_EQ(bytes, expected);
    std::array<std::uint8_t, 16> noisy = expected;
    noisy[2] = noisy[6] = noisy[9] = noisy[15] = 0xEE;  // reserved bytes are ignored
    const SkinHeader header = ParseSkinHeader(noisy);
    EXPECT_EQ(header.width, 176);
    EXPECT_EQ(header.height, 220);
    EXPECT_EQ(header.bitsPerPixel, 18);
    EXPECT_EQ(header.rowStride, 528);
}

}  // namespace
}  // namespace lumigram

#include "package/ezx_format.h"

#include <gtest/gtest.h>

#include "platform/ansi_codepage.h"

namespace lumigram {
namespace {

TEST(EzxFormat, NameToIdExamples) {
    const std::pair<std::string, std::uint32_t> cases[] = {
        {"icon.k", 0x000009E7},
        {"wall.g", 0x00000A1B},
        {"menu.a", 0x00000969},
        {"a.k", 0x000001B3},
        {"b.g", 0x000001B3},
        {"desktop_wallpaper_big.k", 0x108C9327},
        {"status_bar_background_image.g", 0xAF7BADB6},
        {"\xE9.k", 0x00000393},
        {"", 0},
    };
    for (const auto& [name, id] : cases) {
        EXPECT_EQ(NameToID(name), id) << name;
    }
    // The ID runs over the stored Windows-1252 bytes, not the UTF-8 spelling.
    EXPECT_EQ(NameToID(Utf8ToAnsi("\xC3\xA9.k").value()), 0x00000393u);
}

TEST(EzxFormat, HexDigitsBothWays) {
    for (unsigned v = 0; v < 16; ++v) {
        const char c = HexDigitChar(v);
        EXPECT_EQ(HexDigitValue(c), static_cast<int>(v));
        EXPECT_EQ(HexDigitValue(static_cast<char>(std::toupper(c))), static_cast<int>(v));
    }
    EXPECT_EQ(HexDigitChar(10), 'a');
    for (const char bad : {'g', 'G', 'z', ' ', '\0', '/', ':', '@', '`'}) {
        EXPECT_EQ(HexDigitValue(bad), -1) << bad;
    }
}

}  // namespace
}  // namespace lumigram

#include "platform/ansi_codepage.h"

#include <gtest/gtest.h>

namespace lumigram {
namespace {

TEST(AnsiCodePage, EveryByteSurvivesTheTripThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(AnsiCodePage, KnownCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"caf\xC3\xA9.k", "caf\xE9.k"},  // é
        {"\xE2\x82\xAC.g", "\x80.g"},    // €
        {"\xC5\xB8", "\x9F"},            // Ÿ
        {"\xE2\x84\xA2", "\x99"},        // ™
        {"plain.a", "plain.a"},
    };
    for (const auto& [utf8, ansi] : cases) {
        EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << utf8;
        EXPECT_EQ(AnsiToUtf8(ansi), utf8) << utf8;
    }
}

TEST(AnsiCodePage, TextWithoutAWindows1252FormIsRefused) {
    for (const char* utf8 : {"\xE6\x97\xA5.k",    // 日
                             "\xF0\x9F\x98\x80",  // an emoji
                             "\xFF.k",            // not UTF-8
                             "\xC3",              // cut short
                             "\xC0\xAF",          // overlong "/"
                             "\xED\xA0\x80"}) {   // a surrogate
        EXPECT_FALSE(Utf8ToAnsi(utf8).has_value()) << utf8;
    }
}

}  // namespace
}  // namespace lumigram

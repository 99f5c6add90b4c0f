#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace quillmate {
namespace {

TEST(Utf8Test, DecodesWellFormedAndReplacesEveryStrayByte) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u32string decoded;
    };
    const std::vector<Case> cases = {
        {"ASCII", "Ab;", U"Ab;"},
        {"two-byte form", "\xC3\x84", U"\u00C4"},
        {"three-byte form", "\xE2\x9C\xB0", U"\u2730"},
        {"four-byte form", "\xF0\x9F\x98\x80", U"\U0001F600"},
        {"lone continuation byte",
         "a\x80"
         "b",
         U"a\uFFFDb"},
        {"truncated sequence at the end", "a\xE2\x9C", U"a\uFFFD\uFFFD"},
        {"overlong form of slash", "\xC0\xAF", U"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid lead byte", "\xFF", U"\uFFFD"},
        {"embedded NUL", std::string("a\0b", 3), std::u32string(U"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeUtf8(c.bytes), c.decoded) << c.name;
    }
}

TEST(Utf8Test, EncodingInvertsDecodingOfWellFormedText) {
    const std::string text = "K\xC3\xA4se \xE2\x86\xBA \xF0\x9F\x98\x80 end";
    std::string encoded;
    for (const char32_t c : DecodeUtf8(text)) {
        EncodeUtf8(c, encoded);
    }
    EXPECT_EQ(encoded, text);
    EXPECT_EQ(ToValidUtf8(text), text);
}

TEST(Utf8Test, ValidFormOfAnyBytesIsStableAndKeepsTheValidParts) {
    std::mt19937 random(4711);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const int length = static_cast<int>(random() % 64);
        for (int i = 0; i < length; ++i) {
            bytes.push_back(static_cast<char>(random() & 0xFF));
        }
        const std::string valid = ToValidUtf8(bytes);
        EXPECT_EQ(ToValidUtf8(valid), valid);
        EXPECT_EQ(DecodeUtf8(valid), DecodeUtf8(bytes));
    }
}

TEST(Utf8Test, ShownTextIsValidAndCutAfterTheLimit) {
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"abc", 3, "abc"},
        {"abcd", 3, "abc\xE2\x80\xA6"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC", 2, "\xC3\xA4\xC3\xB6\xE2\x80\xA6"},  // cut between characters
        {"a\xFF\xFEz", 3, "a\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x80\xA6"}};      // a stray byte is one
    for (const auto& [text, limit, shown] : cases) {
        EXPECT_EQ(ShownText(text, limit), shown) << text;
    }
}

}  // namespace
TEST(Utf8Test, LongRunsWithoutSpacesGetBreakOpportunities) {
    const std::string zwsp = "\xE2\x80\x8B";
    const std::pair<std::string, std::string> cases[] = {
        {"abcdef", "abc" + zwsp + "def"},
        {"abc def", "abc def"},
        {"abcd\nabc", "abc" + zwsp + "d\nabc"},
        {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4", "\xC3\xA4\xC3\xA4\xC3\xA4" + zwsp + "\xC3\xA4"},
        {"", ""},
    };
    for (const auto& [text, broken] : cases) {
        EXPECT_EQ(WithBreakOpportunities(text, 3), broken) << text;
    }
}

}  // namespace quillmate

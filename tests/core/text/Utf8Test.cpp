#include <gtest/gtest.h>

#include "core/text/Utf8.h"

namespace korvida {
namespace {

// "月" is E6 9C 88, "𝄞" is F0 9D 84 9E: a limit that falls inside either drops the whole
// character, never leaves its first bytes.
TEST(CutUtf8, NeverEndsInsideACharacter) {
    const std::string three = "ab月";
    EXPECT_EQ(CutUtf8(three, 4), "ab");
    EXPECT_EQ(CutUtf8(three, 3), "ab");
    EXPECT_EQ(CutUtf8(three, 5), three);
    const std::string four =
        "a\xF0\x9D\x84\x9E"
        "b";
    for (std::size_t limit = 1; limit <= 4; ++limit)
        EXPECT_EQ(CutUtf8(four, limit), "a") << limit;
    EXPECT_EQ(CutUtf8(four, 5), "a\xF0\x9D\x84\x9E");
    // Bytes that are no UTF-8 are cut where the limit falls, not walked back past.
    EXPECT_EQ(CutUtf8("\xFF\x80\x80\x80\x80", 3), "\xFF\x80\x80");
}

TEST(DecodeUtf8, RefusesMalformedSequencesAndResynchronises) {
    for (const char* bad :
         {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x9C",
          "\xE6"
          "a",
          "\x80", "\xF8\x88\x80\x80\x80"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
        std::size_t i = 0;
        char32_t cp = 0;
        EXPECT_FALSE(DecodeUtf8(bad, i, cp));
        EXPECT_EQ(i, 1u);
    }
    // A broken character costs one U+FFFD per byte and leaves the next character whole.
    const std::string text =
        "\xE6\x9C"
        "月";
    std::size_t i = 0;
    EXPECT_EQ(NextCodePoint(text, i), U'\xFFFD');
    EXPECT_EQ(NextCodePoint(text, i), U'\xFFFD');
    EXPECT_EQ(NextCodePoint(text, i), U'月');
    EXPECT_EQ(i, text.size());
    EXPECT_TRUE(IsValidUtf8("a\xF4\x8F\xBF\xBF月"));  // U+10FFFF, the last code point
}

}  // namespace
}  // namespace korvida

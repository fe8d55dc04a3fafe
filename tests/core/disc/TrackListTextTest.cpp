#include <gtest/gtest.h>

#include "core/disc/TrackListText.h"

namespace korvida {
namespace {

TEST(ChangeCase, WorksOnUnicodeLettersAndRaisesOnlyWordStarts) {
    EXPECT_EQ(ChangeCase("the END of [time]", TextCase::kCapitalise), "The End Of [Time]");
    EXPECT_EQ(ChangeCase("(live)<x>{y} a-b", TextCase::kCapitalise), "(Live)<X>{Y} A-b");
    // Only a to z are raised; other letters are lowered with the rest.
    EXPECT_EQ(ChangeCase("ÉTÉ é", TextCase::kCapitalise), "été é");
    EXPECT_EQ(ChangeCase("straße 月", TextCase::kUpper), "STRASSE 月");
    EXPECT_EQ(ChangeCase("ÀB", TextCase::kLower), "àb");
    // Letters past the first plane, one letter that lowers to two, and bytes that are no
    // UTF-8, which stay as they were.
    EXPECT_EQ(ChangeCase("\xF0\x90\x90\xA8x", TextCase::kUpper), "\xF0\x90\x90\x80X");
    EXPECT_EQ(ChangeCase("İ", TextCase::kLower), "i\xCC\x87");
    EXPECT_EQ(ChangeCase("a\xFF\xE6\x9C"
                         "b",
                         TextCase::kUpper),
              "A\xFF\xE6\x9C"
              "B");
}

}  // namespace
}  // namespace korvida

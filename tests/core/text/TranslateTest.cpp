#include <gtest/gtest.h>

#include "core/text/Translate.h"

namespace korvida {
namespace {

TEST(Language, AutoIsEnglishUnlessTheLocaleAsksForChinese) {
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, nullptr), Language::kEnglish);
    EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "zh_CN.UTF-8"), Language::kChinese);
    EXPECT_EQ(LanguageOfLocale(nullptr, "zh_TW.UTF-8", "de_DE.UTF-8"), Language::kChinese);
    // The C library's order: LC_ALL over LC_MESSAGES over LANG, an empty one skipped.
    EXPECT_EQ(LanguageOfLocale("C", "zh_CN.UTF-8", nullptr), Language::kEnglish);
    EXPECT_EQ(LanguageOfLocale("", "", "zh_CN.UTF-8"), Language::kChinese);
    EXPECT_EQ(ParseLanguage("zh"), Language::kChinese);
    EXPECT_EQ(ParseLanguage("en"), Language::kEnglish);
    EXPECT_FALSE(ParseLanguage("EN"));
    EXPECT_FALSE(ParseLanguage(""));
}

}  // namespace
}  // namespace korvida

#include "gui/app/HelpPage.h"

#include <gtest/gtest.h>

#include "core/platform/ProgramFolder.h"
#include "core/text/Translate.h"
#include "gui/GuiTestSupport.h"

namespace korvida {
namespace {

// Each language has its own page in the build tree, where an install has it too.
TEST(HelpPage, ThePageOfTheChosenLanguage) {
    test::App();
    const QString chinese = gui::HelpPagePath();
    UseLanguage(Language::kEnglish, LocaleFolder());
    const QString english = gui::HelpPagePath();
    UseLanguage(Language::kChinese, LocaleFolder());
    EXPECT_TRUE(chinese.endsWith(QStringLiteral("/share/korvida/help/index.html")));
    EXPECT_TRUE(english.endsWith(QStringLiteral("/share/korvida/help/index.en.html")));
}

}  // namespace
}  // namespace korvida

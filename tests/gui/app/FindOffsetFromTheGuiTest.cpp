// The 校验 page's "检测..." beside the read offset: the search runs behind its own dialog,
// and the offset the user takes is stored with the sheet's OK.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/settings/Settings.h"
#include "gui/GuiTestSupport.h"
#include "gui/app/CommandIds.h"
#include "gui/app/FindOffsetDialog.h"
#include "gui/settings/NumberEdit.h"
#include "gui/settings/OptionsSheet.h"
#include "support/ShiftedDisc.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

TEST(FindOffsetFromTheGui, TheFoundOffsetIsTakenIntoTheSheetAndStoredOnOk) {
    test::HttpTestServer server;
    test::DemoWindow demo(
        "[AccurateRip]\nServer=127.0.0.1:" + std::to_string(server.port()) + "\n[CTDB]\nVerify=0\n",
        false);
    const test::ShiftedDisc disc(demo.home / "disc", -1164);
    server.Answer(disc.DatabaseTarget(), 200, disc.Pressing(6, true), "application/octet-stream");
    demo.drives.images = {disc.cue};
    gui::MainWindow& window = demo.Open();

    QString found;
    test::RunDialogCommand<gui::OptionsSheet>(window, gui::cmd::kOptions, [&](QDialog& dialog) {
        auto& sheet = static_cast<gui::OptionsSheet&>(dialog);
        ASSERT_TRUE(sheet.selectPage(gui::OptionsPageId::kVerify));
        test::OnNextModal([&](QWidget* modal) {
            auto* search = qobject_cast<gui::FindOffsetDialog*>(modal);
            ASSERT_NE(search, nullptr);
            auto* use = test::PointerTo<QPushButton>(*search, "useButton");
            // Nothing to take while the search runs.
            EXPECT_FALSE(use->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(use->isEnabled(), 60000);
            found = test::PointerTo<QListWidget>(*search, "offsets")->item(0)->text();
            use->click();
        });
        test::PointerTo<QPushButton>(sheet, "detectOffsetButton")->click();
        EXPECT_EQ(test::PointerTo<gui::NumberEdit>(sheet, "CDROM/ReadOffset")->value(), -1164);
        EXPECT_EQ(TheSettings().ReadOffset, 0);  // not before OK
        test::PointerTo<QPushButton>(sheet, "okButton")->click();
    });
    EXPECT_EQ(found, QStringLiteral("-1164 个采样 (3/3 条音轨一致，可信度 6)"));
    EXPECT_EQ(TheSettings().ReadOffset, -1164);
}

}  // namespace
}  // namespace korvida

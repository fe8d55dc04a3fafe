#include "gui/settings/OptionsSheet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <deque>

#include "core/encode/EncoderFormats.h"
#include "core/settings/Settings.h"
#include "gui/settings/AppearancePage.h"
#include "gui/settings/CdromPage.h"
#include "gui/settings/ColorPreview.h"
#include "gui/settings/FlacPage.h"
#include "gui/settings/FreedbPage.h"
#include "gui/settings/Misc1Page.h"
#include "gui/settings/Misc2Page.h"
#include "gui/settings/Mp3AdvancedDialog.h"
#include "gui/settings/Mp3Page.h"
#include "gui/settings/MusicBrainzPage.h"
#include "gui/settings/NumberEdit.h"
#include "gui/settings/OptionsPrompter.h"
#include "gui/settings/OpusPage.h"
#include "gui/settings/OutputPage.h"
#include "gui/settings/VerifyPage.h"
#include "support/TempHome.h"

namespace korvida::gui {
namespace {

using Id = OptionsPageId;

// Records the warnings and answers the choosers from queues.
class RecordingPrompter : public OptionsPrompter {
  public:
    void warn(QWidget*, const QString& text) override { warnings << text; }
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseProgram(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(QWidget*, const QColor&,
                                      std::array<QColor, 16>& custom) override {
        custom[0] = customAnswer;
        return colorAnswer;
    }
    QStringList warnings;
    QColor colorAnswer;
    QColor customAnswer;
};

class OptionsSheetTest : public testing::Test {
  protected:
    OptionsSheetTest() : settings(Settings::Defaults()) {}

    std::unique_ptr<OptionsSheet> Open(Id start = Id::kOutput) {
        OptionsContext context;
        context.driveNames = {"KORVIDA VIRTUAL CD-ROM  A", "KORVIDA VIRTUAL CD-ROM  B"};
        context.registry = RegistryStore(home / "registry.ini");
        context.prompter = &prompter;
        context.startPage = start;
        auto sheet = std::make_unique<OptionsSheet>(settings, std::move(context));
        sheet->show();
        sheet->activateWindow();
        return sheet;
    }
    // Replaces an edit's text as typing does.
    static void Type(QWidget* edit, const QString& text) {
        if (auto* line = qobject_cast<QLineEdit*>(edit)) {
            line->selectAll();
        } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(edit)) {
            spin->selectAll();
        }
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static void ClickOk(OptionsSheet& sheet) {
        QTest::mouseClick(sheet.okButton(), Qt::LeftButton);
    }

    test::TempHome home;
    Settings settings;
    RecordingPrompter prompter;
};

TEST_F(OptionsSheetTest, NamingRuleAndFolderAreCheckedOnOk) {
    auto sheet = Open();
    auto* output = sheet->page<OutputPage>(Id::kOutput);
    EXPECT_EQ(sheet->headerLabel()->text(), QStringLiteral("Korvida CD Ripper"));
    EXPECT_TRUE(sheet->headerLabel()->font().bold());
    ASSERT_EQ(sheet->tree()->topLevelItemCount(), 12);
    EXPECT_EQ(sheet->tree()->topLevelItem(6)->text(0), QStringLiteral("MusicBrainz"));
    EXPECT_EQ(sheet->tree()->topLevelItem(8)->text(0), QStringLiteral("校验"));
    EXPECT_EQ(sheet->tree()->topLevelItem(9)->text(0), QStringLiteral("外观"));
    // The folder shows without its trailing separator.
    EXPECT_EQ(output->folderEdit()->text(), QString::fromStdString(home / "output"));

    Type(output->ruleBox()->lineEdit(), QStringLiteral("Track"));
    sheet->selectPage(Id::kCdrom);  // the page is left; the rule is checked on OK only
    ClickOk(*sheet);
    ASSERT_EQ(prompter.warnings.size(), 1);
    EXPECT_EQ(prompter.warnings[0], QStringLiteral("标准的命名字符串格式必须包括以下内容:\n"
                                                   "<标题> <编号> <歌手> <专辑> <年份>"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->currentPage(), Id::kOutput);
    EXPECT_TRUE(sheet->focusWidget() == output->ruleBox() ||
                sheet->focusWidget() == output->ruleBox()->lineEdit());
    EXPECT_EQ(settings.NamingRule, "<number>-<title>");

    Type(output->folderEdit(), QString::fromStdString("  " + (home / "music") + "//  "));
    Type(output->ruleBox()->lineEdit(), QStringLiteral("Track<year>"));
    ClickOk(*sheet);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(settings.NamingRule, "Track<year>");
    EXPECT_EQ(settings.OutputFolder, home / "music/");

    auto again = Open();
    Type(again->page<OutputPage>(Id::kOutput)->ruleBox()->lineEdit(), QString());
    test::WriteFile(home / "file", "");
    Type(again->page<OutputPage>(Id::kOutput)->folderEdit(),
         QString::fromStdString(home / "file/sub"));
    ClickOk(*again);
    EXPECT_EQ(prompter.warnings.back(),
              QString::fromStdString("不能创建目录  " + (home / "file/sub/")));
    EXPECT_EQ(settings.OutputFolder, home / "music/");
    again->page<OutputPage>(Id::kOutput)
        ->folderEdit()
        ->setText(QString::fromStdString(home / "music"));
    ClickOk(*again);
    EXPECT_EQ(settings.NamingRule, "<title>");
}

TEST_F(OptionsSheetTest, FieldChecksKeepThePageWhenLeavingAndOnOk) {
    settings.BufferSize = 300;  // the store's load clamp lets it through
    auto sheet = Open();
    NumberEdit* ratio = sheet->page<OutputPage>(Id::kOutput)->ratioEdit();
    Type(ratio, QStringLiteral("0"));
    EXPECT_FALSE(sheet->selectPage(Id::kMp3));
    EXPECT_EQ(sheet->currentPage(), Id::kOutput);
    EXPECT_EQ(sheet->tree()->currentItem(), sheet->tree()->topLevelItem(0));
    ASSERT_EQ(prompter.warnings.size(), 1);
    EXPECT_EQ(prompter.warnings[0], QStringLiteral("请输入一个介于 1 和 100 之间的整数。"));

    Type(ratio, QStringLiteral("101"));
    ClickOk(*sheet);
    EXPECT_EQ(prompter.warnings.size(), 2);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(settings.NormalizeRatio, 95);

    // A bad field on a page never visited keeps the sheet open at that page.
    Type(ratio, QStringLiteral("80"));
    ClickOk(*sheet);
    EXPECT_EQ(prompter.warnings.back(), QStringLiteral("请输入一个介于 1 和 255 之间的整数。"));
    EXPECT_EQ(sheet->currentPage(), Id::kCdrom);
    EXPECT_EQ(settings.NormalizeRatio, 95);
}

// The keyboard's way: a refused move in the tree, answered in the message box's own loop,
// leaves the tree on the page that stays, and the field at fault has the focus.
TEST_F(OptionsSheetTest, ARefusedMoveFromTheKeyboardLeavesTreeAndPageAgreeing) {
    OptionsContext context;
    context.driveNames = {"KORVIDA VIRTUAL CD-ROM  A"};
    context.registry = RegistryStore(home / "registry.ini");
    context.startPage = Id::kVerify;  // the message boxes are the real ones
    OptionsSheet sheet(settings, std::move(context));
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    NumberEdit* offset = sheet.page<VerifyPage>(Id::kVerify)->offsetEdit();
    offset->setFocus();
    Type(offset, QStringLiteral("99999"));
    QTest::keyClick(offset, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), sheet.tree());
    QString warning;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget(); box && box != &sheet) {
            answer.stop();
            warning = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            QTest::keyClick(box, Qt::Key_Enter);
        }
    });
    answer.start(10);
    QTest::keyClick(sheet.tree(), Qt::Key_Up);
    // The sheet's own focus: the window system may not give the window back its activation.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !warning.isEmpty() && sheet.focusWidget() == offset; }));
    EXPECT_EQ(warning, QStringLiteral("请输入一个介于 -5000 和 5000 之间的整数。"));
    EXPECT_EQ(sheet.currentPage(), Id::kVerify);
    EXPECT_EQ(sheet.tree()->currentItem(),
              sheet.tree()->topLevelItem(static_cast<int>(Id::kVerify)));
    EXPECT_EQ(sheet.tree()->selectedItems(),
              QList<QTreeWidgetItem*>{sheet.tree()->topLevelItem(static_cast<int>(Id::kVerify))});
}

TEST_F(OptionsSheetTest, PagesOpenWithTheirResetsAndFollowTheirEnableRules) {
    settings.OutputFormat = 7;
    settings.BitRate = 20;
    settings.NormalizeRatio = 0;
    auto sheet = Open(Id::kMp3);
    EXPECT_EQ(sheet->page<OutputPage>(Id::kOutput)->formatList()->currentText(),
              QStringLiteral("MP3 文件 (*.MP3)"));
    EXPECT_EQ(sheet->page<OutputPage>(Id::kOutput)->ratioEdit()->value(), 95);

    auto* mp3 = sheet->page<Mp3Page>(Id::kMp3);
    EXPECT_EQ(mp3->minBitRateList()->currentText(), QStringLiteral("160 kbit/s"));
    const QList<QWidget*> vbrOnly = {mp3->vbrHeaderBox(), mp3->maxBitRateList(),
                                     mp3->mpegQualityList(), mp3->vbrQualityList()};
    for (QWidget* w : vbrOnly)
        EXPECT_FALSE(w->isEnabled());
    mp3->vbrBox()->click();
    for (QWidget* w : vbrOnly)
        EXPECT_TRUE(w->isEnabled());

    auto* freedb = sheet->page<FreedbPage>(Id::kFreedb);
    EXPECT_FALSE(freedb->proxyServerEdit()->isEnabled());
    freedb->proxyBox()->setChecked(true);
    EXPECT_TRUE(freedb->portEdit()->isEnabled());
    EXPECT_FALSE(freedb->passwordEdit()->isEnabled());
    freedb->authorisationBox()->setChecked(true);
    EXPECT_TRUE(freedb->passwordEdit()->isEnabled());

    auto* mb = sheet->page<MusicBrainzPage>(Id::kMusicBrainz);
    EXPECT_EQ(mb->serverEdit()->text(), QStringLiteral("https://musicbrainz.org"));
    EXPECT_TRUE(mb->coverServerEdit()->isEnabled());
    mb->coverArtBox()->click();
    EXPECT_FALSE(mb->coverServerEdit()->isEnabled());
    mb->coverFileBox()->click();
    mb->serverEdit()->setText(QStringLiteral("http://127.0.0.1:8000"));

    auto* cdrom = sheet->page<CdromPage>(Id::kCdrom);
    EXPECT_FALSE(cdrom->leadingEdit()->isEnabled());
    cdrom->deleteSilenceBox()->setChecked(true);
    EXPECT_TRUE(cdrom->trailingEdit()->isEnabled());
    const auto misc2Boxes = sheet->page(Id::kMisc2)->findChildren<QCheckBox*>();
    EXPECT_TRUE(misc2Boxes.size() == 5);
    for (QCheckBox* box : misc2Boxes)
        if (box->text().contains(QStringLiteral("ReplayGain")))
            box->click();
    EXPECT_FALSE(sheet->page<Misc2Page>(Id::kMisc2)->aspiBox()->isVisibleTo(sheet.get()));

    ClickOk(*sheet);
    EXPECT_EQ(settings.OutputFormat, 0);
    EXPECT_EQ(settings.BitRate, 9);
    EXPECT_EQ(settings.EnableVBR, 1);
    EXPECT_EQ(settings.DeleteSilence, 1);
    EXPECT_EQ(settings.CoverArt, 0);
    EXPECT_EQ(settings.CoverFile, 1);
    EXPECT_EQ(settings.MusicBrainzServer, "http://127.0.0.1:8000");
    EXPECT_EQ(settings.ReplayGain, 1);
}

TEST_F(OptionsSheetTest, VerificationPageEditsTheOffsetAndTheSwitches) {
    settings.ReadOffset = -1164;
    auto sheet = Open(Id::kVerify);
    auto* page = sheet->page<VerifyPage>(Id::kVerify);
    EXPECT_EQ(page->offsetEdit()->value(), -1164);
    EXPECT_TRUE(page->lookupBox()->isEnabled());
    EXPECT_TRUE(page->serverEdit()->isEnabled());
    page->lookupBox()->setChecked(false);
    EXPECT_FALSE(page->serverEdit()->isEnabled());
    page->verifyBox()->setChecked(false);
    EXPECT_FALSE(page->lookupBox()->isEnabled());

    Type(page->offsetEdit(), QStringLiteral("-5001"));
    ClickOk(*sheet);
    ASSERT_EQ(prompter.warnings.size(), 1);
    EXPECT_EQ(sheet->currentPage(), Id::kVerify);
    EXPECT_EQ(settings.ReadOffset, -1164);

    Type(page->offsetEdit(), QStringLiteral("667"));
    page->testAndCopyBox()->setChecked(true);
    page->writeLogBox()->setChecked(true);
    ClickOk(*sheet);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(settings.ReadOffset, 667);
    EXPECT_EQ(settings.TestAndCopy, 1);
    EXPECT_EQ(settings.AccurateRipVerify, 0);
    EXPECT_EQ(settings.AccurateRipLookup, 0);
    EXPECT_EQ(settings.AccurateRipWriteLog, 1);
}

// A format this build knows stays selected; the FLAC level opens as the store reads it
// and the Opus bit rate is checked against its range on OK.
TEST_F(OptionsSheetTest, FlacAndOpusPagesAndAKnownFormatThatStays) {
    settings.OutputFormat = kOutputOpus;
    settings.FlacLevel = 12;
    auto sheet = Open();
    EXPECT_EQ(sheet->page<OutputPage>(Id::kOutput)->formatList()->currentText(),
              QStringLiteral("Opus 文件 (*.opus)"));
    auto* flac = sheet->page<FlacPage>(Id::kFlac);
    EXPECT_EQ(flac->levelSlider()->value(), 5);
    flac->levelSlider()->setValue(8);
    auto* opus = sheet->page<OpusPage>(Id::kOpus);
    EXPECT_EQ(opus->bitRateEdit()->value(), 160);
    Type(opus->bitRateEdit(), QStringLiteral("5"));
    ClickOk(*sheet);
    EXPECT_EQ(prompter.warnings.back(), QStringLiteral("请输入一个介于 6 和 510 之间的整数。"));
    EXPECT_EQ(sheet->currentPage(), Id::kOpus);

    Type(opus->bitRateEdit(), QStringLiteral("96"));
    ClickOk(*sheet);
    EXPECT_EQ(settings.OutputFormat, kOutputOpus);
    EXPECT_EQ(settings.FlacLevel, 8);
    EXPECT_EQ(settings.OpusBitrate, 96);
}

TEST_F(OptionsSheetTest, CancelKeepsOnlyTheAdvancedBits) {
    auto sheet = Open(Id::kMp3);
    auto* mp3 = sheet->page<Mp3Page>(Id::kMp3);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<Mp3AdvancedDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->copyrightBox()->click();
        dialog->privateBox()->click();
        dialog->accept();
    });
    QTest::mouseClick(mp3->advancedButton(), Qt::LeftButton);
    EXPECT_EQ(settings.Copyright, 0);
    EXPECT_EQ(settings.Original, 1);
    EXPECT_EQ(settings.Private, 0);

    mp3->stereoModeList()->setCurrentIndex(2);
    sheet->page<CdromPage>(Id::kCdrom)->driveList()->setCurrentIndex(1);
    QSignalSpy applied(sheet.get(), &OptionsSheet::applied);
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(applied.count(), 0);
    EXPECT_EQ(settings.StereoMode, 0);
    EXPECT_EQ(settings.CDROMDriver, 0);
    EXPECT_EQ(settings.Copyright, 0);
    EXPECT_FALSE(sheet->outcome().accepted);
}

TEST_F(OptionsSheetTest, OkReportsADriveChangeButNotATypeChange) {
    auto sheet = Open(Id::kCdrom);
    auto* cdrom = sheet->page<CdromPage>(Id::kCdrom);
    EXPECT_EQ(cdrom->driveList()->count(), 2);
    cdrom->typeList()->setCurrentIndex(9);
    ClickOk(*sheet);
    EXPECT_EQ(settings.DeviceType, 9);
    EXPECT_TRUE(sheet->outcome().accepted);
    EXPECT_FALSE(sheet->outcome().driveChanged);
    EXPECT_FALSE(sheet->outcome().transportChanged);
    EXPECT_FALSE(sheet->outcome().colorsChanged);

    auto again = Open(Id::kCdrom);
    QSignalSpy applied(again.get(), &OptionsSheet::applied);
    again->page<CdromPage>(Id::kCdrom)->driveList()->setCurrentIndex(1);
    ClickOk(*again);
    ASSERT_EQ(applied.count(), 1);
    const auto outcome = applied.at(0).at(0).value<OptionsOutcome>();
    EXPECT_TRUE(outcome.driveChanged);
    EXPECT_EQ(outcome.drive, 1);
    EXPECT_EQ(settings.CDROMDriver, 1);
}

TEST_F(OptionsSheetTest, ColoursAndCustomColoursReachTheSettingsAndTheRegistry) {
    auto sheet = Open(Id::kAppearance);
    auto* page = sheet->page<AppearancePage>(Id::kAppearance);
    prompter.colorAnswer = QColor(0x11, 0x22, 0x33);
    prompter.customAnswer = QColor(0x44, 0x55, 0x66);
    QTest::mouseClick(page->colorButton(AppearancePage::kBackground), Qt::LeftButton);
    EXPECT_EQ(page->preview()->colors().background, prompter.colorAnswer);
    prompter.colorAnswer = QColor(0x01, 0x02, 0x03);
    QTest::mouseClick(page->colorButton(AppearancePage::kShadow), Qt::LeftButton);
    QTest::mouseClick(page->colorButton(AppearancePage::kText), Qt::LeftButton);
    // Defaults restore four colours and leave the shadow alone.
    QTest::mouseClick(page->defaultsButton(), Qt::LeftButton);
    EXPECT_EQ(page->color(AppearancePage::kText), 0xF8E1CB);
    EXPECT_EQ(page->color(AppearancePage::kBackground), 0x804000);
    EXPECT_EQ(page->color(AppearancePage::kShadow), 0x030201);
    EXPECT_EQ(page->preview()->colors().background, ColorFromBgr(0x804000));
    page->shadowBox()->click();
    EXPECT_FALSE(page->preview()->colors().drawShadow);
    ClickOk(*sheet);
    EXPECT_TRUE(sheet->outcome().colorsChanged);
    EXPECT_EQ(settings.TextShadowColor, 0x030201);
    EXPECT_EQ(settings.BoolShadowColor, 0);
    const auto custom = RegistryStore(home / "registry.ini").ReadCustomColors();
    EXPECT_EQ(custom[0], 0x665544u);
    EXPECT_EQ(custom[1], 0xFFFFFFu);
}

TEST_F(OptionsSheetTest, MiscellaneousPagesRefuseWithoutKeepingTheSheetOpen) {
    test::WriteFile(home / "file", "");  // nothing can be made below it
    settings.TEMPDIRECTORY = home / "file/old/";
    auto sheet = Open(Id::kMisc1);
    auto* misc1 = sheet->page<Misc1Page>(Id::kMisc1);
    Type(misc1->playerEdit(), QStringLiteral("/usr/bin/player  "));
    Type(misc1->replacementEdits()[0], QStringLiteral("1234567"));
    sheet->page<Misc2Page>(Id::kMisc2)->tempEdit()->setText(QString::fromStdString(home / "x"));
    ClickOk(*sheet);
    // A field too long keeps the sheet open on its page, whichever page it is on.
    ASSERT_EQ(prompter.warnings, QStringList{QStringLiteral("请输入不超过 6 个字符。")});
    EXPECT_TRUE(sheet->isVisible());

    Type(misc1->replacementEdits()[0], QStringLiteral("12"));
    sheet->page<Misc2Page>(Id::kMisc2)
        ->tempEdit()
        ->setText(QString::fromStdString(home / "file/new"));
    ClickOk(*sheet);
    EXPECT_EQ(prompter.warnings.back(), QStringLiteral("不能打开临时目录！"));
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(sheet->outcome().accepted);
    EXPECT_EQ(settings.TEMPDIRECTORY, home / "file/old/");
    EXPECT_EQ(settings.MP3Player, "/usr/bin/player");
    EXPECT_EQ(settings.ReplaceStr[0], "12");
}

TEST_F(OptionsSheetTest, TheProxyPasswordRoundTripsScrambled) {
    auto sheet = Open(Id::kFreedb);
    auto* freedb = sheet->page<FreedbPage>(Id::kFreedb);
    freedb->proxyBox()->click();
    freedb->authorisationBox()->click();
    freedb->passwordEdit()->setText(QStringLiteral("pa55 wörd"));
    Type(freedb->portEdit(), QStringLiteral("8080"));
    ClickOk(*sheet);
    ASSERT_TRUE(SaveSettings(settings, SettingsPath()));
    const std::string text = test::ReadFile(SettingsPath());
    EXPECT_EQ(text.find("pa55"), std::string::npos);
    EXPECT_NE(text.find("Proxy000="), std::string::npos);
    EXPECT_NE(text.find("ProxyPort=8080\n"), std::string::npos);

    ASSERT_TRUE(LoadSettings(settings, SettingsPath()));
    auto again = Open(Id::kFreedb);
    EXPECT_EQ(again->page<FreedbPage>(Id::kFreedb)->passwordEdit()->text(),
              QStringLiteral("pa55 wörd"));
    EXPECT_EQ(again->page<FreedbPage>(Id::kFreedb)->passwordEdit()->echoMode(),
              QLineEdit::Password);
}

}  // namespace
}  // namespace korvida::gui

// The application lives on main's stack: a static one would be destroyed after the input
// devices QTest registers, which crashes at exit.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");  // test discovery runs without the test env
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

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
#include "gui/WindowParts.h"
#include "gui/settings/ColorPreview.h"
#include "gui/settings/Mp3AdvancedDialog.h"
#include "gui/settings/NumberEdit.h"
#include "gui/settings/OptionsPrompter.h"
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
        last_ = sheet.get();
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
        QTest::mouseClick(test::PointerTo<QPushButton>(sheet, "okButton"), Qt::LeftButton);
    }
    static QTreeWidget* Tree(OptionsSheet& sheet) {
        return test::PointerTo<QTreeWidget>(sheet, "pageTree");
    }
    // A control of the sheet opened last, by name: a bound control is named "section/key".
    template <typename T = QWidget>
    T* In(const char* name) const {
        return test::PointerTo<T>(*last_, name);
    }

    test::TempHome home;
    Settings settings;
    RecordingPrompter prompter;
    OptionsSheet* last_ = nullptr;
};

TEST_F(OptionsSheetTest, NamingRuleAndFolderAreCheckedOnOk) {
    auto sheet = Open();
    // An entry of the tree opens its page: "校验" the one with the read offset.
    Tree(*sheet)->setCurrentItem(
        Tree(*sheet)->findItems(QStringLiteral("校验"), Qt::MatchExactly).value(0));
    EXPECT_EQ(sheet->currentPage(), Id::kVerify);
    EXPECT_TRUE(In<NumberEdit>("CDROM/ReadOffset")->isVisible());
    sheet->selectPage(Id::kOutput);
    // The folder shows without its trailing separator.
    EXPECT_EQ(In<QLineEdit>("General/OutputFolder")->text(),
              QString::fromStdString(home / "output"));

    Type(In<QComboBox>("Misc/NamingRule")->lineEdit(), QStringLiteral("Track"));
    sheet->selectPage(Id::kCdrom);  // the page is left; the rule is checked on OK only
    ClickOk(*sheet);
    ASSERT_EQ(prompter.warnings.size(), 1);
    EXPECT_EQ(prompter.warnings[0], QStringLiteral("标准的命名字符串格式必须包括以下内容:\n"
                                                   "<标题> <编号> <歌手> <专辑> <年份>"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->currentPage(), Id::kOutput);
    EXPECT_TRUE(sheet->focusWidget() == In<QComboBox>("Misc/NamingRule") ||
                sheet->focusWidget() == In<QComboBox>("Misc/NamingRule")->lineEdit());
    EXPECT_EQ(settings.NamingRule, "<number>-<title>");

    Type(In<QLineEdit>("General/OutputFolder"),
         QString::fromStdString("  " + (home / "music") + "//  "));
    Type(In<QComboBox>("Misc/NamingRule")->lineEdit(), QStringLiteral("Track<year>"));
    ClickOk(*sheet);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(settings.NamingRule, "Track<year>");
    EXPECT_EQ(settings.OutputFolder, home / "music/");

    auto again = Open();
    Type(In<QComboBox>("Misc/NamingRule")->lineEdit(), QString());
    test::WriteFile(home / "file", "");
    Type(In<QLineEdit>("General/OutputFolder"), QString::fromStdString(home / "file/sub"));
    ClickOk(*again);
    EXPECT_EQ(prompter.warnings.back(),
              QString::fromStdString("不能创建目录  " + (home / "file/sub/")));
    EXPECT_EQ(settings.OutputFolder, home / "music/");
    In<QLineEdit>("General/OutputFolder")->setText(QString::fromStdString(home / "music"));
    ClickOk(*again);
    EXPECT_EQ(settings.NamingRule, "<title>");
}

TEST_F(OptionsSheetTest, FieldChecksKeepThePageWhenLeavingAndOnOk) {
    settings.BufferSize = 300;  // the store's load clamp lets it through
    auto sheet = Open();
    NumberEdit* ratio = In<NumberEdit>("Misc/NormalizeRatio");
    Type(ratio, QStringLiteral("0"));
    EXPECT_FALSE(sheet->selectPage(Id::kMp3));
    EXPECT_EQ(sheet->currentPage(), Id::kOutput);
    EXPECT_EQ(Tree(*sheet)->currentItem(), Tree(*sheet)->topLevelItem(0));
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
    NumberEdit* offset = test::PointerTo<NumberEdit>(sheet, "CDROM/ReadOffset");
    offset->setFocus();
    Type(offset, QStringLiteral("99999"));
    QTest::keyClick(offset, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), Tree(sheet));
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
    QTest::keyClick(Tree(sheet), Qt::Key_Up);
    // The sheet's own focus: the window system may not give the window back its activation.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !warning.isEmpty() && sheet.focusWidget() == offset; }));
    EXPECT_EQ(warning, QStringLiteral("请输入一个介于 -5000 和 5000 之间的整数。"));
    EXPECT_EQ(sheet.currentPage(), Id::kVerify);
    EXPECT_EQ(Tree(sheet)->currentItem(), Tree(sheet)->topLevelItem(static_cast<int>(Id::kVerify)));
    EXPECT_EQ(Tree(sheet)->selectedItems(),
              QList<QTreeWidgetItem*>{Tree(sheet)->topLevelItem(static_cast<int>(Id::kVerify))});
}

TEST_F(OptionsSheetTest, PagesOpenWithTheirResetsAndFollowTheirEnableRules) {
    settings.OutputFormat = 7;
    settings.BitRate = 20;
    settings.NormalizeRatio = 0;
    auto sheet = Open(Id::kMp3);
    EXPECT_EQ(In<QComboBox>("General/OutputFormat")->currentText(),
              QStringLiteral("MP3 文件 (*.MP3)"));
    EXPECT_EQ(In<NumberEdit>("Misc/NormalizeRatio")->value(), 95);

    EXPECT_EQ(In<QComboBox>("MP3/BitRate")->currentText(), QStringLiteral("160 kbit/s"));
    const QList<QWidget*> vbrOnly = {
        In<QCheckBox>("MP3/WriteVBRHeader"), In<QComboBox>("MP3/MaxBitRate"),
        In<QComboBox>("MP3/MPEGQuality"), In<QComboBox>("MP3/VBRQuality")};
    for (QWidget* w : vbrOnly)
        EXPECT_FALSE(w->isEnabled());
    In<QCheckBox>("MP3/EnableVBR")->click();
    for (QWidget* w : vbrOnly)
        EXPECT_TRUE(w->isEnabled());

    EXPECT_FALSE(In<QLineEdit>("CDDB/ProxyServer")->isEnabled());
    In<QCheckBox>("CDDB/bProxy")->setChecked(true);
    EXPECT_TRUE(In<NumberEdit>("CDDB/ProxyPort")->isEnabled());
    EXPECT_FALSE(In<QLineEdit>("proxyPassword")->isEnabled());
    In<QCheckBox>("CDDB/ProxyAuthorization")->setChecked(true);
    EXPECT_TRUE(In<QLineEdit>("proxyPassword")->isEnabled());

    EXPECT_EQ(In<QLineEdit>("MusicBrainz/Server")->text(),
              QStringLiteral("https://musicbrainz.org"));
    EXPECT_TRUE(In<QLineEdit>("MusicBrainz/CoverArtServer")->isEnabled());
    In<QCheckBox>("MusicBrainz/CoverArt")->click();
    EXPECT_FALSE(In<QLineEdit>("MusicBrainz/CoverArtServer")->isEnabled());
    In<QCheckBox>("MusicBrainz/CoverFile")->click();
    In<QLineEdit>("MusicBrainz/Server")->setText(QStringLiteral("http://127.0.0.1:8000"));

    EXPECT_FALSE(In<NumberEdit>("CDROM/LeadingFrame")->isEnabled());
    In<QCheckBox>("CDROM/DeleteSilence")->setChecked(true);
    EXPECT_TRUE(In<NumberEdit>("CDROM/TrailingFrame")->isEnabled());
    In<QCheckBox>("Misc/ReplayGain")->click();
    EXPECT_FALSE(In<QCheckBox>("Misc/bUseASPI")->isVisibleTo(sheet.get()));

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
    EXPECT_EQ(In<NumberEdit>("CDROM/ReadOffset")->value(), -1164);
    EXPECT_TRUE(In<QCheckBox>("AccurateRip/Lookup")->isEnabled());
    EXPECT_TRUE(In<QLineEdit>("AccurateRip/Server")->isEnabled());
    In<QCheckBox>("AccurateRip/Lookup")->setChecked(false);
    EXPECT_FALSE(In<QLineEdit>("AccurateRip/Server")->isEnabled());
    In<QCheckBox>("AccurateRip/Verify")->setChecked(false);
    EXPECT_FALSE(In<QCheckBox>("AccurateRip/Lookup")->isEnabled());

    Type(In<NumberEdit>("CDROM/ReadOffset"), QStringLiteral("-5001"));
    ClickOk(*sheet);
    ASSERT_EQ(prompter.warnings.size(), 1);
    EXPECT_EQ(sheet->currentPage(), Id::kVerify);
    EXPECT_EQ(settings.ReadOffset, -1164);

    Type(In<NumberEdit>("CDROM/ReadOffset"), QStringLiteral("667"));
    In<QCheckBox>("CDROM/TestAndCopy")->setChecked(true);
    In<QCheckBox>("AccurateRip/WriteLog")->setChecked(true);
    // The re-reads count only with secure reads on, and within 2-100.
    EXPECT_FALSE(In<NumberEdit>("CDROM/SecureRereads")->isEnabled());
    In<QComboBox>("CDROM/SecureMode")->setCurrentIndex(2);
    EXPECT_TRUE(In<NumberEdit>("CDROM/SecureRereads")->isEnabled());
    Type(In<NumberEdit>("CDROM/SecureRereads"), QStringLiteral("1"));
    ClickOk(*sheet);
    EXPECT_EQ(prompter.warnings.back(), QStringLiteral("请输入一个介于 2 和 100 之间的整数。"));
    Type(In<NumberEdit>("CDROM/SecureRereads"), QStringLiteral("40"));
    ClickOk(*sheet);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(settings.SecureMode, 2);
    EXPECT_EQ(settings.SecureRereads, 40);
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
    EXPECT_EQ(In<QComboBox>("General/OutputFormat")->currentText(),
              QStringLiteral("Opus 文件 (*.opus)"));
    EXPECT_EQ(In<QSlider>("FLAC/Level")->value(), 5);
    In<QSlider>("FLAC/Level")->setValue(8);
    EXPECT_EQ(In<NumberEdit>("Opus/Bitrate")->value(), 160);
    Type(In<NumberEdit>("Opus/Bitrate"), QStringLiteral("5"));
    ClickOk(*sheet);
    EXPECT_EQ(prompter.warnings.back(), QStringLiteral("请输入一个介于 6 和 510 之间的整数。"));
    EXPECT_EQ(sheet->currentPage(), Id::kOpus);

    Type(In<NumberEdit>("Opus/Bitrate"), QStringLiteral("96"));
    ClickOk(*sheet);
    EXPECT_EQ(settings.OutputFormat, kOutputOpus);
    EXPECT_EQ(settings.FlacLevel, 8);
    EXPECT_EQ(settings.OpusBitrate, 96);
}

TEST_F(OptionsSheetTest, CancelKeepsOnlyTheAdvancedBits) {
    auto sheet = Open(Id::kMp3);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<Mp3AdvancedDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->copyrightBox()->click();
        dialog->privateBox()->click();
        dialog->accept();
    });
    QTest::mouseClick(In<QPushButton>("advancedButton"), Qt::LeftButton);
    EXPECT_EQ(settings.Copyright, 0);
    EXPECT_EQ(settings.Original, 1);
    EXPECT_EQ(settings.Private, 0);

    In<QComboBox>("MP3/StereoMode")->setCurrentIndex(2);
    In<QComboBox>("CDROM/CDROMDriver")->setCurrentIndex(1);
    QSignalSpy applied(sheet.get(), &OptionsSheet::applied);
    QTest::mouseClick(In<QPushButton>("cancelButton"), Qt::LeftButton);
    EXPECT_EQ(applied.count(), 0);
    EXPECT_EQ(settings.StereoMode, 0);
    EXPECT_EQ(settings.CDROMDriver, 0);
    EXPECT_EQ(settings.Copyright, 0);
    EXPECT_FALSE(sheet->outcome().accepted);
}

TEST_F(OptionsSheetTest, OkReportsADriveChangeButNotATypeChange) {
    auto sheet = Open(Id::kCdrom);
    EXPECT_EQ(In<QComboBox>("CDROM/CDROMDriver")->count(), 2);
    In<QComboBox>("CDROM/DeviceType")->setCurrentIndex(9);
    ClickOk(*sheet);
    EXPECT_EQ(settings.DeviceType, 9);
    EXPECT_TRUE(sheet->outcome().accepted);
    EXPECT_FALSE(sheet->outcome().driveChanged);
    EXPECT_FALSE(sheet->outcome().transportChanged);
    EXPECT_FALSE(sheet->outcome().colorsChanged);

    auto again = Open(Id::kCdrom);
    QSignalSpy applied(again.get(), &OptionsSheet::applied);
    In<QComboBox>("CDROM/CDROMDriver")->setCurrentIndex(1);
    ClickOk(*again);
    ASSERT_EQ(applied.count(), 1);
    const auto outcome = applied.at(0).at(0).value<OptionsOutcome>();
    EXPECT_TRUE(outcome.driveChanged);
    EXPECT_EQ(outcome.drive, 1);
    EXPECT_EQ(settings.CDROMDriver, 1);
}

TEST_F(OptionsSheetTest, ColoursAndCustomColoursReachTheSettingsAndTheRegistry) {
    auto sheet = Open(Id::kAppearance);
    prompter.colorAnswer = QColor(0x11, 0x22, 0x33);
    prompter.customAnswer = QColor(0x44, 0x55, 0x66);
    QTest::mouseClick(In<QPushButton>("COLOR/BackgroundColor"), Qt::LeftButton);
    EXPECT_EQ(In<ColorPreview>("preview")->colors().background, prompter.colorAnswer);
    prompter.colorAnswer = QColor(0x01, 0x02, 0x03);
    QTest::mouseClick(In<QPushButton>("COLOR/TextShadowColor"), Qt::LeftButton);
    QTest::mouseClick(In<QPushButton>("COLOR/TextColor"), Qt::LeftButton);
    // Defaults restore four colours and leave the shadow alone.
    QTest::mouseClick(In<QPushButton>("defaultsButton"), Qt::LeftButton);
    EXPECT_EQ(In<ColorPreview>("preview")->colors().background, ColorFromBgr(0x804000));
    In<QCheckBox>("COLOR/BoolShadowColor")->click();
    EXPECT_FALSE(In<ColorPreview>("preview")->colors().drawShadow);
    ClickOk(*sheet);
    EXPECT_TRUE(sheet->outcome().colorsChanged);
    EXPECT_EQ(settings.TextColor, 0xF8E1CB);
    EXPECT_EQ(settings.BackgroundColor, 0x804000);
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
    Type(In<QLineEdit>("Misc/MP3Player"), QStringLiteral("/usr/bin/player  "));
    Type(In<QLineEdit>("Misc/ReplaceStr01"), QStringLiteral("1234567"));
    In<QLineEdit>("Misc/TEMPDIRECTORY")->setText(QString::fromStdString(home / "x"));
    ClickOk(*sheet);
    // A field too long keeps the sheet open on its page, whichever page it is on.
    ASSERT_EQ(prompter.warnings, QStringList{QStringLiteral("请输入不超过 6 个字符。")});
    EXPECT_TRUE(sheet->isVisible());

    Type(In<QLineEdit>("Misc/ReplaceStr01"), QStringLiteral("12"));
    In<QLineEdit>("Misc/TEMPDIRECTORY")->setText(QString::fromStdString(home / "file/new"));
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
    In<QCheckBox>("CDDB/bProxy")->click();
    In<QCheckBox>("CDDB/ProxyAuthorization")->click();
    In<QLineEdit>("proxyPassword")->setText(QStringLiteral("pa55 wörd"));
    Type(In<NumberEdit>("CDDB/ProxyPort"), QStringLiteral("8080"));
    ClickOk(*sheet);
    ASSERT_TRUE(SaveSettings(settings, SettingsPath()));
    const std::string text = test::ReadFile(SettingsPath());
    EXPECT_EQ(text.find("pa55"), std::string::npos);
    EXPECT_NE(text.find("Proxy000="), std::string::npos);
    EXPECT_NE(text.find("ProxyPort=8080\n"), std::string::npos);

    ASSERT_TRUE(LoadSettings(settings, SettingsPath()));
    auto again = Open(Id::kFreedb);
    EXPECT_EQ(In<QLineEdit>("proxyPassword")->text(), QStringLiteral("pa55 wörd"));
    EXPECT_EQ(In<QLineEdit>("proxyPassword")->echoMode(), QLineEdit::Password);
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

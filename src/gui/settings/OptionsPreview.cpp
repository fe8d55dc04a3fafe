#include "gui/settings/OptionsPreview.h"

#include <QPushButton>
#include <QTimer>

#include "core/cdrom/DriveSelection.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/settings/Mp3Page.h"
#include "gui/settings/OptionsSheet.h"

namespace korvida::gui {

int RunOptionsSheetPreview(const QStringList& args) {
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--show-options")));
    if (at < 0 || at + 1 >= args.size())
        return -1;
    static const char* const kNames[] = {"output",     "mp3",   "ogg",   "freedb",  "cdrom",
                                         "appearance", "misc1", "misc2", "advanced"};
    int which = -1;
    for (int i = 0; i < 9; ++i)
        if (args[at + 1] == QString::fromUtf8(kNames[i]))
            which = i;
    if (which < 0)
        return 2;
    const bool advanced = which == 8;

    Settings& settings = TheSettings();
    LoadSettings(settings, SettingsPath());
    DriveSources drives;
    drives.scanRealDrives = false;
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QStringLiteral("--image"))
            drives.images.push_back(args[++i].toStdString());
    SilentNotifier silent;
    const DriveSelection selection = CreateAndSelectDriver(settings, drives, silent);

    OptionsContext context;
    context.driveNames = DriveNamesOf(selection.driver.get());
    context.startPage = advanced ? OptionsPageId::kMp3 : OptionsPageId(which);
    OptionsSheet sheet(settings, std::move(context));
    if (advanced)
        QTimer::singleShot(0, &sheet, [&sheet] {
            sheet.page<Mp3Page>(OptionsPageId::kMp3)->advancedButton()->click();
        });
    sheet.exec();
    return 0;
}

}  // namespace korvida::gui

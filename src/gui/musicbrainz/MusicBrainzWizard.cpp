#include "gui/musicbrainz/MusicBrainzWizard.h"

#include <QMetaObject>

#include "core/freedb/ApplyReadResult.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/musicbrainz/CoverArtFetcher.h"
#include "gui/musicbrainz/MusicBrainzController.h"
#include "gui/musicbrainz/MusicBrainzDialog.h"

namespace korvida::gui {

void RunMusicBrainzWizard(DiscController& discs, UserNotifier& notifier, QWidget* parent) {
    if (discs.busy())
        return;
    if (!discs.hasDrive() || discs.rows().empty()) {
        notifier.ShowMessage(QObject::tr("没有 CD 可以使用！").toStdString());
        return;
    }
    const Settings settings = TheSettings();
    MusicBrainzController controller(settings, discs.disc());
    MusicBrainzDialog dialog(controller, parent);
    // The lookup starts inside the dialog's loop, so its first report finds the pages.
    QMetaObject::invokeMethod(&controller, &MusicBrainzController::Start, Qt::QueuedConnection);
    dialog.exec();
    // A disc changed meanwhile (media change, a reload) does not take the copy's fields.
    if (!controller.applied() || discs.busy() || discs.disc().rawToc != controller.disc().rawToc)
        return;
    discs.disc() = controller.disc();
    ShowReadTitles(discs.disc(), discs.rows());
    discs.model()->rowsChanged();
    discs.storeDisc();
    if (settings.CoverArt != 0)
        new CoverArtFetcher(controller.disc(), controller.releaseId(), settings, parent);
}

}  // namespace korvida::gui

#include "gui/musicbrainz/MusicBrainzWizard.h"

#include <QMetaObject>

#include "core/freedb/ApplyReadResult.h"
#include "core/disc/CoverArtStore.h"
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
    // The cover of the release picked before goes: a fetch still at work for it is
    // stopped first (its thread joined), so it cannot store that cover after this.
    for (CoverArtFetcher* earlier :
         parent->findChildren<CoverArtFetcher*>(Qt::FindDirectChildrenOnly))
        delete earlier;
    RemoveCoverArt(discs.disc());
    if (settings.CoverArt == 0)
        return;
    auto* fetcher =
        new CoverArtFetcher(controller.disc(), controller.releaseId(), settings, parent);
    QObject::connect(fetcher, &CoverArtFetcher::finished, &discs,
                     [&discs](bool stored, const QString& error) {
                         if (stored)
                             discs.showNote(QObject::tr("已获取封面图片"));
                         else if (error.isEmpty())
                             discs.showNote(QObject::tr("所选唱片没有封面图片"));
                         else
                             discs.showNote(QObject::tr("获取封面图片失败: %1").arg(error));
                     });
}

}  // namespace korvida::gui

#include "gui/musicbrainz/MusicBrainzWizard.h"

#include <QMetaObject>

#include "core/disc/CoverArtStore.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/freedb/WizardFrame.h"
#include "gui/musicbrainz/CoverArtFetcher.h"
#include "gui/musicbrainz/MusicBrainzController.h"
#include "gui/musicbrainz/MusicBrainzDialog.h"

namespace korvida::gui {

void RunMusicBrainzWizard(DiscController& discs, UserNotifier& notifier, QWidget* parent) {
    if (!HaveDiscForWizard(discs, notifier))
        return;
    const Settings settings = TheSettings();
    MusicBrainzController controller(settings, discs.disc());
    MusicBrainzDialog dialog(controller, parent);
    // The lookup starts inside the dialog's loop, so its first report finds the pages.
    QMetaObject::invokeMethod(&controller, &MusicBrainzController::Start, Qt::QueuedConnection);
    dialog.exec();
    if (!controller.applied() || !TakeLookedUpDisc(discs, controller.disc()))
        return;
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

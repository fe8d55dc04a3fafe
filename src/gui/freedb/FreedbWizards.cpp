#include "gui/freedb/FreedbWizards.h"

#include <QMetaObject>

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbSubmission.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "gui/app/DiscController.h"
#include "gui/freedb/QueryController.h"
#include "gui/freedb/QueryDialog.h"
#include "gui/freedb/SubmitController.h"
#include "gui/freedb/SubmitDialog.h"

namespace korvida::gui {
namespace {

// A disc to work on, or a message and false.
bool HaveDisc(DiscController& discs, UserNotifier& notifier) {
    if (discs.busy())
        return false;
    if (!discs.hasDrive() || discs.rows().empty()) {
        notifier.ShowMessage(QObject::tr("没有 CD 可以使用！").toStdString());
        return false;
    }
    return true;
}

// The wizards work on a copy; a disc changed meanwhile (media change, a reload) does not
// take the copy's fields.
bool SameDisc(DiscController& discs, const DiscInfo& copy) {
    return !discs.busy() && discs.disc().rawToc == copy.rawToc;
}

}  // namespace

void RunQueryWizard(DiscController& discs, UserNotifier& notifier, QWidget* parent) {
    if (!HaveDisc(discs, notifier))
        return;
    QueryController controller(FreedbServerSettingsFrom(TheSettings()), discs.disc());
    QueryDialog dialog(controller, parent);
    // The query starts inside the dialog's loop, so its first messages find the pages.
    QMetaObject::invokeMethod(&controller, &QueryController::Start, Qt::QueuedConnection);
    dialog.exec();
    if (!controller.applied() || !SameDisc(discs, controller.disc()))
        return;
    discs.disc() = controller.disc();
    ShowReadTitles(discs.disc(), discs.rows());
    discs.model()->rowsChanged();
    discs.storeDisc();
}

void RunSubmitWizard(DiscController& discs, MessageTarget& mainWindow, UserNotifier& notifier,
                     QWidget* parent) {
    if (!HaveDisc(discs, notifier))
        return;
    const FreedbServerSettings settings = FreedbServerSettingsFrom(TheSettings());
    if (!IsPlausibleEmail(settings.Email)) {
        notifier.ShowMessage(kEmailMissingText, UserNotifier::Icon::kInformation);
        return;
    }
    SubmitController controller(settings, discs.disc(), mainWindow, notifier);
    SubmitDialog dialog(controller, parent);
    dialog.exec();
    if (!controller.wroteBack() || !SameDisc(discs, controller.disc()))
        return;
    const SubmitForm& form = controller.form();
    DiscInfo& disc = discs.disc();
    ApplyAlbumFields(disc, form.artist, form.album, form.category);
    if (controller.accepted()) {
        RecordAcceptedRevision(form, disc);
        discs.storeDisc();
    }
}

}  // namespace korvida::gui

#include "gui/freedb/FreedbWizards.h"

#include <QMetaObject>

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbSubmission.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"
#include "gui/app/DiscController.h"
#include "gui/freedb/QueryController.h"
#include "gui/freedb/QueryDialog.h"
#include "gui/freedb/SubmitController.h"
#include "gui/freedb/SubmitDialog.h"
#include "gui/freedb/WizardFrame.h"

namespace korvida::gui {

void RunQueryWizard(DiscController& discs, UserNotifier& notifier, QWidget* parent) {
    if (!HaveDiscForWizard(discs, notifier))
        return;
    QueryController controller(FreedbServerSettingsFrom(TheSettings()), discs.disc());
    QueryDialog dialog(controller, parent);
    // The query starts inside the dialog's loop, so its first messages find the pages.
    QMetaObject::invokeMethod(&controller, &QueryController::Start, Qt::QueuedConnection);
    dialog.exec();
    if (controller.applied())
        TakeLookedUpDisc(discs, controller.disc());
}

void RunSubmitWizard(DiscController& discs, MessageTarget& mainWindow, UserNotifier& notifier,
                     QWidget* parent) {
    if (!HaveDiscForWizard(discs, notifier))
        return;
    const FreedbServerSettings settings = FreedbServerSettingsFrom(TheSettings());
    if (!IsPlausibleEmail(settings.Email)) {
        notifier.ShowMessage(Tr(kEmailMissingText), UserNotifier::Icon::kInformation);
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

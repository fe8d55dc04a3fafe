#pragma once

class QWidget;

namespace korvida {
class MessageTarget;
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

class DiscController;

// The query command: runs the query dialog over the current disc; a read that was
// applied goes into the disc, the track list and the local disc database.
void RunQueryWizard(DiscController& discs, UserNotifier& notifier, QWidget* parent);

// The submit command: refuses without a plausible e-mail address, else runs the submit
// dialog. Edited titles reach the main window through `mainWindow` while it runs;
// artist, album and genre written back by a submission go into the disc afterwards, and
// an accepted one raises the disc's revision.
void RunSubmitWizard(DiscController& discs, MessageTarget& mainWindow, UserNotifier& notifier,
                     QWidget* parent);

}  // namespace korvida::gui

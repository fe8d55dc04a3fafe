#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/RegistryStore.h"
#include "gui/settings/OptionsPage.h"
#include "gui/settings/OptionsSession.h"

class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvida {
class CSCSIDriver;
}

namespace korvida::gui {

class OptionsPrompter;

// The names of the driver's drives, for OptionsContext::driveNames; none without a driver.
std::vector<std::string> DriveNamesOf(const CSCSIDriver* driver);

// What the sheet needs besides the settings.
struct OptionsContext {
    // The CD-ROM page's list: the main window's drive names, in drive-table order.
    std::vector<std::string> driveNames;
    // Keeps the colour chooser's custom colours (registry.ini in the app home).
    RegistryStore registry;
    // Message boxes and choosers; null for the real ones.
    OptionsPrompter* prompter = nullptr;
    OptionsPageId startPage = OptionsPageId::kOutput;
    // The 校验 page's "检测..." beside the read offset: finds the drive's offset with the
    // disc in it, over `over`, and gives the one the user took. Empty without a disc: no
    // button then.
    std::function<std::optional<int>(QWidget* over)> detectOffset;
};

// The modal "选项" dialog: a tree of the eight pages, the selected page beside it, the
// bold header label and OK/Cancel below. Leaving a page runs its field checks; OK commits
// the pages in order into the settings it was given (see OptionsSession) and closes,
// Cancel closes with nothing applied but what the Advanced dialog stored.
class OptionsSheet : public QDialog {
    Q_OBJECT

  public:
    OptionsSheet(Settings& settings, OptionsContext context, QWidget* parent = nullptr);
    ~OptionsSheet() override;

    // After OK: what the caller applies. Also sent as `applied`.
    const OptionsOutcome& outcome() const { return session_.outcome(); }

    OptionsPageId currentPage() const;
    // Selects a page as a click in the tree does: refused when the current page's
    // field checks fail (then the message is shown before this returns and the page
    // stays).
    bool selectPage(OptionsPageId id);

  public slots:
    void accept() override;

  signals:
    void applied(const OptionsOutcome& outcome);

  private:
    // The tree's selection moved: the page left is checked first and kept when it fails.
    void onCurrentItemChanged(QTreeWidgetItem* current);
    // Shows a page without the leave check of the page shown before.
    void showPage(OptionsPageId id);
    void showProblem(OptionsPageId id, const PageProblem& problem);
    OptionsPage* page(OptionsPageId id) const { return pages_[static_cast<std::size_t>(id)]; }

    OptionsSession session_;
    std::unique_ptr<OptionsPrompter> ownPrompter_;
    OptionsPrompter* prompter_;
    QTreeWidget* tree_;
    QStackedWidget* stack_;
    std::array<OptionsPage*, kOptionsPageCount> pages_{};
};

// Opens the sheet modally over `settings` (the process-wide TheSettings() in the
// program) and fills *outcome; true after OK. The caller then applies the outcome: a
// changed transport or drive to the drive layer (reload the disc, new status line), the
// autoplay setting (AutoplayVerb::Apply with DisableAutoPlay), a repaint for new colours.
// Open it only while no job runs: jobs read the settings as they go.
bool RunOptionsSheet(QWidget* parent, Settings& settings, OptionsContext context,
                     OptionsOutcome* outcome);

}  // namespace korvida::gui

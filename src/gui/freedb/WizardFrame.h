#pragma once

#include <QDialog>
#include <functional>
#include <initializer_list>

class QPushButton;
class QStackedWidget;

namespace korvida {
struct DiscInfo;
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

class DiscController;
class StatusPage;

// The wizards' frame: a dialog over a controller that reports its state as one of its
// pages. The pages ("pages") are on the left, the buttons stacked on the right with
// Cancel last. Escape, the close box and Cancel ask the controller to cancel; the
// controller decides when the dialog closes, and the wait cursor shows while a cancelled
// transfer winds down. Every controller has a status page ("progressPage"), the frame's.
class WizardFrame : public QDialog {
    Q_OBJECT

  public slots:
    void reject() override;

  protected:
    struct Part {
        QWidget* widget;
        const char* name;  // for the tools that find widgets by name
    };

    WizardFrame(const QString& title, QWidget* parent);

    // `pages` in the controller's Page order (a page's index is its place in the list),
    // then `buttons` above Cancel, in reading order.
    void LayOut(std::initializer_list<Part> pages, std::initializer_list<Part> buttons);

    // Shows each change of `controller` with ShowState, now and from now on; its end
    // closes the dialog, accepted when `finished` says `acceptedWhen`.
    template <class Controller>
    void Follow(Controller& controller, bool acceptedWhen) {
        cancel_ = [&controller] { controller.Cancel(); };
        connect(&controller, &Controller::changed, this, &WizardFrame::ShowState);
        connect(&controller, &Controller::finished, this, [this, acceptedWhen](bool how) {
            done(how == acceptedWhen ? Accepted : Rejected);
        });
        ShowState();
    }
    // The controller's state in the pages and the buttons.
    virtual void ShowState() = 0;

    // What every state shows alike: the status text, the page, Cancel and the cursor.
    template <class Controller>
    void ShowPageOf(const Controller& controller) {
        ShowPage(controller.statusText(), static_cast<int>(controller.page()),
                 controller.cancelEnabled(), controller.busy());
    }
    // Whether page `index` is about to come up: a list is filled only as it does.
    bool Arriving(int index) const;
    // A page filled as it came up: the dialog grows to show it whole and `focus` takes
    // the focus.
    void Present(QWidget* page, QWidget* focus);

    StatusPage* statusPage() const { return status_; }
    QPushButton* cancelButton() const { return cancelButton_; }

  private:
    void ShowPage(const QString& status, int index, bool cancelEnabled, bool busy);

    QStackedWidget* pages_;
    StatusPage* status_;
    QPushButton* cancelButton_;
    std::function<void()> cancel_;
};

// A disc for a wizard to work on, or a message and false.
bool HaveDiscForWizard(DiscController& discs, UserNotifier& notifier);
// The wizards work on a copy; a disc changed meanwhile (media change, a reload) does not
// take the copy's fields.
bool SameDisc(DiscController& discs, const DiscInfo& copy);
// A lookup's disc into the disc, the track list and the local disc database, unless the
// disc changed meanwhile; false then.
bool TakeLookedUpDisc(DiscController& discs, const DiscInfo& copy);

}  // namespace korvida::gui

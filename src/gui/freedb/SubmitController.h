#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "core/disc/DiscInfo.h"
#include "core/freedb/FreedbRequest.h"
#include "core/freedb/FreedbSubmission.h"
#include "gui/freedb/FreedbTransfer.h"

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

// The submit wizard without its widgets: the form the edit page opens with, title edits
// passed on to the main window at once, the submission and the server's answer. Works on
// a copy of the disc; the caller takes the written-back fields from form() once
// wroteBack() is set.
class SubmitController : public QObject {
    Q_OBJECT

  public:
    enum class State { kEditing = 0, kSubmitting = 1, kCancelling = 2 };
    enum class Page { kEdit, kProgress, kAccepted, kError };

    // `mainWindow` receives WM_TITLE_EDITED; `notifier` shows the form's refusals.
    SubmitController(const FreedbServerSettings& settings, const DiscInfo& disc,
                     MessageTarget& mainWindow, UserNotifier& notifier, QObject* parent = nullptr);
    ~SubmitController() override;

    // The edit page's opening values.
    const SubmitForm& openingForm() const { return opening_; }
    // A title committed on the edit page: the main window's track and list take it now.
    void EditTitle(int row, const std::string& title);
    // The Submit button: false when the form was refused (the message has been shown).
    bool Submit(const SubmitForm& form);
    void Cancel();
    void HandleMessage(const Message& message);

    State state() const { return state_; }
    Page page() const { return page_; }
    QString statusText() const { return status_; }
    QString errorText() const { return error_; }
    // Cancel closes from the result pages.
    bool closeCaption() const { return page_ == Page::kAccepted || page_ == Page::kError; }
    bool cancelEnabled() const { return state_ != State::kCancelling; }
    bool submitEnabled() const { return page_ == Page::kEdit; }
    bool busy() const { return busy_; }
    // Submit wrote artist, album and category back (into form()); the server accepted.
    bool wroteBack() const { return wroteBack_; }
    bool accepted() const { return accepted_; }
    const SubmitForm& form() const { return form_; }
    const DiscInfo& disc() const { return disc_; }

  signals:
    void changed();
    // Close the dialog: false when cancelled while submitting.
    void finished(bool cancelled);

  private:
    void ShowPage(Page page);

    FreedbServerSettings settings_;
    DiscInfo disc_;
    MessageTarget& mainWindow_;
    UserNotifier& notifier_;
    const SubmitForm opening_;
    SubmitForm form_;
    std::shared_ptr<FreedbRequest> request_;
    State state_ = State::kEditing;
    Page page_ = Page::kEdit;
    QString status_;
    QString error_;
    bool busy_ = false;
    bool wroteBack_ = false;
    bool accepted_ = false;
    FreedbTransfer transfer_;  // last: its threads go before what they report into
};

}  // namespace korvida::gui

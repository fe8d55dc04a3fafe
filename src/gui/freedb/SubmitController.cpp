#include "gui/freedb/SubmitController.h"

#include "core/freedb/FreedbDiscId.h"
#include "core/jobs/Messages.h"
#include "core/platform/UserNotifier.h"

namespace korvida::gui {

SubmitController::SubmitController(const FreedbServerSettings& settings, const DiscInfo& disc,
                                   MessageTarget& mainWindow, UserNotifier& notifier,
                                   QObject* parent)
    : QObject(parent),
      settings_(settings),
      disc_(disc),
      mainWindow_(mainWindow),
      notifier_(notifier),
      opening_(SubmitFormFromDisc(disc)),
      form_(opening_),
      status_(tr("正从 CDDB 获取流派列表...")),
      error_(tr("未知的错误！")),
      transfer_(this, [this](const Message& m) { HandleMessage(m); }) {}

SubmitController::~SubmitController() = default;

void SubmitController::EditTitle(int row, const std::string& title) {
    if (row < 0 || row >= DiscInfo::kMaxTracks)
        return;
    disc_.tracks[static_cast<std::size_t>(row)].Title = title;
    if (static_cast<std::size_t>(row) < form_.titles.size())
        form_.titles[static_cast<std::size_t>(row)] = title;
    // A send: handled before this returns, so a Submit right after sees the list updated.
    mainWindow_.send(WM_TITLE_EDITED, row, 0, title);
}

bool SubmitController::Submit(const SubmitForm& form) {
    if (state_ != State::kEditing || page_ != Page::kEdit)
        return false;
    std::string message;
    const auto msf = LbaTocToMsfToc(disc_.rawToc);
    auto request = SubmitDisc(form, msf, settings_, disc_, &message);
    if (!request) {
        notifier_.ShowMessage(message, UserNotifier::Icon::kInformation);
        return false;
    }
    form_ = form;
    wroteBack_ = true;
    request_ = request;
    state_ = State::kSubmitting;
    ShowPage(Page::kProgress);
    transfer_.Start(request, true);
    return true;
}

void SubmitController::Cancel() {
    switch (state_) {
        case State::kCancelling:
            return;
        case State::kEditing:
            emit finished(false);
            return;
        case State::kSubmitting:
            state_ = State::kCancelling;
            status_ = tr("取消 CDDB 提交...");
            busy_ = true;
            ShowPage(Page::kProgress);
            transfer_.Cancel(request_->cancelEvent, request_->doneEvent);
            return;
    }
}

void SubmitController::HandleMessage(const Message& m) {
    switch (m.id) {
        case WM_FREEDB_STATUS:
            status_ = QString::fromStdString(m.text);
            emit changed();
            break;
        case WM_FREEDB_SUBMIT_DONE:
        case WM_FREEDB_SUBMIT_FAILED:
            transfer_.Join();
            // Accepted is accepted, even when a cancel came too late to stop it.
            accepted_ = m.id == WM_FREEDB_SUBMIT_DONE;
            if (state_ == State::kCancelling)
                break;  // the waiter's WM_FREEDB_STOPPED closes the dialog
            state_ = State::kEditing;
            if (!accepted_)
                error_ = QString::fromStdString(m.text);
            ShowPage(accepted_ ? Page::kAccepted : Page::kError);
            break;
        case WM_FREEDB_STOPPED:
            busy_ = false;
            emit changed();
            emit finished(true);
            break;
        default:
            break;
    }
}

void SubmitController::ShowPage(Page page) {
    page_ = page;
    emit changed();
}

}  // namespace korvida::gui

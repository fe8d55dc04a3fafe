#include "gui/freedb/FreedbTransfer.h"

#include "core/freedb/FreedbTransport.h"
#include "gui/app/QtMessageTarget.h"

namespace korvida::gui {

FreedbTransfer::FreedbTransfer(QObject* receiver, std::function<void(const Message&)> handler)
    : target_(std::make_shared<QtMessageTarget>(receiver, std::move(handler))) {}

FreedbTransfer::~FreedbTransfer() {
    // Queued messages must not reach a wizard that is going away.
    target_->Close();
    if (request_ && request_->cancelEvent)
        request_->cancelEvent->Set();
    Join();
    if (waiter_.joinable())
        waiter_.join();
}

void FreedbTransfer::Start(std::shared_ptr<FreedbRequest> request, bool submit) {
    Join();
    request_ = std::move(request);
    request_->window = target_;
    transfer_ = submit ? StartSubmitThread(request_) : StartQueryThread(request_);
}

void FreedbTransfer::Join() {
    if (transfer_.joinable())
        transfer_.join();
}

void FreedbTransfer::Cancel(const std::shared_ptr<Event>& cancel,
                            const std::shared_ptr<Event>& done) {
    if (waiter_.joinable())
        return;  // one waiter per wizard: a cancel ends it
    if (cancel)
        cancel->Set();
    waiter_ = StartCancelWaitThread(done, target_);
}

}  // namespace korvida::gui

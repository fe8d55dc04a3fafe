#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "core/freedb/FreedbRequest.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"

class QObject;

namespace korvida::gui {

class QtMessageTarget;

// The threads of one wizard: the transfer that runs a query, read or submission, and the
// waiter that reports a cancelled transfer's end. Both deliver to the wizard's message
// handler on the UI thread. Nothing here outlives its owner: destruction closes the
// message target, cancels the transfer and joins both threads. The transport looks at
// its cancel event every 100 ms, even in a silent socket, so the join is short.
class FreedbTransfer {
  public:
    FreedbTransfer(QObject* receiver, std::function<void(const Message&)> handler);
    ~FreedbTransfer();
    FreedbTransfer(const FreedbTransfer&) = delete;
    FreedbTransfer& operator=(const FreedbTransfer&) = delete;

    // Starts QueryThread (SubmitThread when `submit`) on `request`, which then reports to
    // this wizard. A transfer that has ended before is joined first.
    void Start(std::shared_ptr<FreedbRequest> request, bool submit);
    // Joins the transfer after its last message (a completion, an error): the thread is
    // past its reporting and ends at once.
    void Join();
    // Sets `cancel` and starts the waiter on `done`: WM_FREEDB_STOPPED follows when the
    // transfer has ended, at once when none runs (done is then set), or after a minute.
    void Cancel(const std::shared_ptr<Event>& cancel, const std::shared_ptr<Event>& done);

  private:
    std::shared_ptr<QtMessageTarget> target_;
    std::shared_ptr<FreedbRequest> request_;
    std::thread transfer_;
    std::thread waiter_;
};

}  // namespace korvida::gui

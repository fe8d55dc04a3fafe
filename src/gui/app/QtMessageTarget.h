#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "core/jobs/MessageTarget.h"

namespace korvida::gui {

// Carries a worker's messages to the UI thread: post queues the message on the
// receiver's event loop, send queues it too and blocks the worker until the receiver has
// handled it. Messages for a receiver that has gone away are dropped, and their senders
// released.
class QtMessageTarget : public MessageTarget {
  public:
    using Handler = std::function<void(const Message&)>;

    QtMessageTarget(QObject* receiver, Handler handler);

    void post(Message message) override;
    void send(Message message) override;
    using MessageTarget::post;
    using MessageTarget::send;

    // The receiver is going away: senders waiting now return at once, and nothing queued
    // or sent from now on reaches the handler. A window calls this before it stops a job
    // whose worker may be waiting in a send to it (which would otherwise wait for the
    // very thread that waits for the worker).
    void Close();

  private:
    struct Shared;

    QPointer<QObject> receiver_;
    // Shared with the queued calls, which may run after this target is gone.
    std::shared_ptr<Shared> shared_;
};

}  // namespace korvida::gui

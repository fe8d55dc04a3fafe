#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "core/jobs/MessageTarget.h"

namespace korvida::gui {

// Carries a worker's messages to the UI thread: post queues the message on the
// receiver's event loop, send blocks the worker until the receiver has handled it.
// Messages for a receiver that has gone away are dropped.
class QtMessageTarget : public MessageTarget {
  public:
    using Handler = std::function<void(const Message&)>;

    QtMessageTarget(QObject* receiver, Handler handler);

    void post(Message message) override;
    void send(Message message) override;
    using MessageTarget::post;
    using MessageTarget::send;

  private:
    QPointer<QObject> receiver_;
    Handler handler_;
};

}  // namespace korvida::gui

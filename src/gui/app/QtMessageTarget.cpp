#include "gui/app/QtMessageTarget.h"

#include <QMetaObject>
#include <QThread>

namespace korvida::gui {

QtMessageTarget::QtMessageTarget(QObject* receiver, Handler handler)
    : receiver_(receiver), handler_(std::move(handler)) {}

void QtMessageTarget::post(Message message) {
    QObject* receiver = receiver_.data();
    if (!receiver)
        return;
    // The call runs later on the receiver's thread, when this target (a job's) may be
    // gone: it carries its own copy of the handler.
    QMetaObject::invokeMethod(
        receiver, [handler = handler_, message = std::move(message)] { handler(message); },
        Qt::QueuedConnection);
}

void QtMessageTarget::send(Message message) {
    QObject* receiver = receiver_.data();
    if (!receiver)
        return;
    // A blocking queued call from the receiver's own thread would wait forever.
    if (QThread::currentThread() == receiver->thread()) {
        handler_(message);
        return;
    }
    QMetaObject::invokeMethod(
        receiver, [this, &message] { handler_(message); }, Qt::BlockingQueuedConnection);
}

}  // namespace korvida::gui

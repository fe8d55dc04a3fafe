#include "gui/app/QtMessageTarget.h"

#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace korvida::gui {

struct QtMessageTarget::Shared {
    explicit Shared(Handler h) : handler(std::move(h)) {}

    // Runs on the receiver's thread, so it cannot overlap Close (called there too).
    void Deliver(const Message& message) const {
        if (!closed.load())
            handler(message);
    }

    // Owned by the queued call of one send: it releases the sender once the message is
    // handled, or when Qt destroys the call without running it (the receiver died first).
    class SendRelease {
      public:
        SendRelease(std::shared_ptr<Shared> shared, std::shared_ptr<bool> done)
            : shared_(std::move(shared)), done_(std::move(done)) {}
        SendRelease(const SendRelease&) = delete;
        SendRelease& operator=(const SendRelease&) = delete;
        ~SendRelease() { Release(); }

        void Deliver(const Message& message) {
            shared_->Deliver(message);
            Release();
        }

      private:
        void Release() {
            {
                std::lock_guard lock(shared_->mutex);
                *done_ = true;
            }
            shared_->released.notify_all();
        }

        std::shared_ptr<Shared> shared_;
        std::shared_ptr<bool> done_;
    };

    const Handler handler;
    std::atomic<bool> closed{false};
    std::mutex mutex;
    std::condition_variable released;  // a send was handled or dropped, or the target closed
};

QtMessageTarget::QtMessageTarget(QObject* receiver, Handler handler)
    : receiver_(receiver), shared_(std::make_shared<Shared>(std::move(handler))) {}

void QtMessageTarget::Close() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->closed.store(true);
    }
    shared_->released.notify_all();
}

void QtMessageTarget::post(Message message) {
    QObject* receiver = receiver_.data();
    if (!receiver || shared_->closed.load())
        return;
    // The call runs later on the receiver's thread, when this target (a job's) may be
    // gone: it holds the shared part.
    QMetaObject::invokeMethod(
        receiver, [shared = shared_, message = std::move(message)] { shared->Deliver(message); },
        Qt::QueuedConnection);
}

void QtMessageTarget::send(Message message) {
    QObject* receiver = receiver_.data();
    if (!receiver || shared_->closed.load())
        return;
    // A queued call from the receiver's own thread would wait forever.
    if (QThread::currentThread() == receiver->thread()) {
        shared_->Deliver(message);
        return;
    }
    // Not Qt's blocking queued call: that one cannot be released, so a window that waits
    // for this worker while the worker waits there would hang both.
    auto done = std::make_shared<bool>(false);  // guarded by shared_->mutex
    {
        auto release = std::make_shared<Shared::SendRelease>(shared_, done);
        QMetaObject::invokeMethod(
            receiver, [release, message = std::move(message)] { release->Deliver(message); },
            Qt::QueuedConnection);
    }  // from here on only the queued call holds the release
    std::unique_lock lock(shared_->mutex);
    shared_->released.wait(lock, [&] { return *done || shared_->closed.load(); });
}

}  // namespace korvida::gui

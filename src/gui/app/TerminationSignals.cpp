#include "gui/app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace korvida::gui {
namespace {

// The pipe's end the handler writes to; the UI thread reads the other. -1 when none lives.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void WriteSignalNumber(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a request that will be read; this one may go.
    [[maybe_unused]] const ssize_t written = ::write(gWriteEnd.load(), &number, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("no pipe for the termination signals: they end the program at once");
        return;
    }
    gWriteEnd = ends[1];
    notifier_ = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Read);
    handler_.emplace(WriteSignalNumber);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    handler_.reset();  // before the pipe it writes to goes
    const int readEnd = static_cast<int>(notifier_->socket());
    delete notifier_;
    ::close(readEnd);
    ::close(gWriteEnd.exchange(-1));
}

void TerminationSignals::Read() {
    unsigned char numbers[16];
    ssize_t n;
    while ((n = ::read(static_cast<int>(notifier_->socket()), numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            emit requested(numbers[i]);
    }
}

}  // namespace korvida::gui

#pragma once

#include <QObject>
#include <optional>

#include "core/platform/EndingSignalHandler.h"

class QSocketNotifier;

namespace korvida::gui {

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the UI thread, so that a session
// that ends, a kill or a Ctrl+C in the terminal close the program as its Exit command
// does once the loop has ended: the running job cancelled and waited for (its temporary
// files go with it), the disc's edits and the settings stored. While it lives these
// signals no longer end the process by themselves, however many come. The handler only
// writes the signal's number into a pipe that the UI thread reads. One at a time.
class TerminationSignals : public QObject {
    Q_OBJECT

  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

  signals:
    // Each signal that came, on the UI thread.
    void requested(int signal);

  private:
    void Read();

    QSocketNotifier* notifier_ = nullptr;
    std::optional<EndingSignalHandler> handler_;  // only while the pipe is there
};

}  // namespace korvida::gui

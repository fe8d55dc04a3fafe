#pragma once

#include <QObject>
#include <csignal>
#include <iterator>

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
    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

    void Read();

    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[std::size(kSignals)]{};
};

}  // namespace korvida::gui

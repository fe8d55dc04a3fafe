#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "core/platform/MediaMonitor.h"

class QSocketNotifier;

namespace korvida::gui {

class DiscController;

// Reloads the disc when the current drive's disc changed: the udev monitor's events
// arrive on the UI thread through a socket notifier and go through DecideMediaChange.
// Events that come while a load runs or shows its messages are dropped. Without a
// monitor (no netlink socket) it does nothing, silently.
class MediaWatcher : public QObject {
    Q_OBJECT

  public:
    // driveInUse: true while someone else sends drive commands (a rip); events are
    // dropped then, as they are while the disc controller loads.
    MediaWatcher(DiscController& discs, std::function<bool()> driveInUse,
                 QObject* parent = nullptr);
    ~MediaWatcher() override;

    // One disc change, as the monitor reports it (tests bring their own).
    void handle(const MediaChangeEvent& event);

  private:
    void drain();

    DiscController& discs_;
    std::function<bool()> driveInUse_;
    std::unique_ptr<MediaMonitor> monitor_;
    QSocketNotifier* notifier_ = nullptr;
    bool loading_ = false;  // from the start of a load until its messages were shown
};

}  // namespace korvida::gui

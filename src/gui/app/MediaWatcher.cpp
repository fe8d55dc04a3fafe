#include "gui/app/MediaWatcher.h"

#include <QSocketNotifier>

#include "core/disc/MediaChange.h"
#include "gui/app/DiscController.h"

namespace korvida::gui {

MediaWatcher::MediaWatcher(DiscController& discs, std::function<bool()> driveInUse, QObject* parent)
    : QObject(parent), discs_(discs), driveInUse_(std::move(driveInUse)) {
    // A load is over when its messages have been shown: they come between the end of its
    // worker and discLoaded.
    connect(&discs_, &DiscController::busyChanged, this, [this](bool busy) {
        if (busy)
            loading_ = true;
    });
    connect(&discs_, &DiscController::discLoaded, this, [this] { loading_ = false; });
    monitor_ = MediaMonitor::Open();
    if (!monitor_)
        return;
    notifier_ = new QSocketNotifier(monitor_->fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &MediaWatcher::drain);
}

MediaWatcher::~MediaWatcher() {
    // The notifier watches the monitor's socket: it goes before the socket closes.
    delete notifier_;
}

void MediaWatcher::drain() {
    while (auto event = monitor_->Next())
        handle(*event);
}

void MediaWatcher::handle(const MediaChangeEvent& event) {
    // While a load runs its worker owns the driver, and the load reads the new TOC anyway.
    // While its error box is up, a reload would only put another box over it.
    if (loading_ || discs_.busy() || !discs_.hasDrive() || !discs_.driver())
        return;
    if (driveInUse_ && driveInUse_())
        return;
    if (DecideMediaChange(event, *discs_.driver(), discs_.disc().rawToc) ==
        MediaChangeAction::kNothing)
        return;
    discs_.storeDisc();
    discs_.refresh();
}

}  // namespace korvida::gui

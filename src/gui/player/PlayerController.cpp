#include "gui/player/PlayerController.h"

#include "core/cdrom/CSCSIDriver.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/platform/UserNotifier.h"

namespace korvida::gui {
namespace {

// READ SUB-CHANNEL audio status bytes.
constexpr std::uint32_t kPlayInProgress = 0x11;
constexpr std::uint32_t kPlayCompleted = 0x13;
constexpr std::uint32_t kFramesPerSecond = 75;

}  // namespace

QString PlayTimeText(int seconds) {
    return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60);
}

PlayerController::PlayerController(TrackList& rows, DiscInfo& disc, UserNotifier& notifier,
                                   Host host, QObject* parent)
    : QObject(parent), rows_(rows), disc_(disc), notifier_(notifier), host_(std::move(host)) {
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &PlayerController::Tick);
}

CSCSIDriver* PlayerController::Driver() const {
    return host_.driver ? host_.driver() : nullptr;
}

int PlayerController::FirstChecked() const {
    for (int p = 0; p < rows_.size(); ++p)
        if (rows_.row(p).checked)
            return p;
    return -1;
}

void PlayerController::PlaySelected() {
    CSCSIDriver* driver = Driver();
    if (!driver)
        return;
    if (paused_) {
        driver->Pause(0);
        paused_ = false;
        return;
    }
    const int row = FirstChecked();
    if (row < 0) {
        timer_.stop();
        emit timeChanged(PlayTimeText(0));
        return;
    }
    PlayRow(row, SliderStart::kReset);
    paused_ = false;
}

void PlayerController::PlayHighlighted() {
    const int row = rows_.FirstHighlighted();
    if (row < 0) {
        notifier_.ShowMessage(tr("请高亮显示一首音轨以播放它。").toStdString());
        return;
    }
    // The slider keeps its place and a pause stays in force (the status line goes on
    // saying so) until Stop, Previous or Next.
    PlayRow(row, SliderStart::kKeep);
}

void PlayerController::Pause() {
    CSCSIDriver* driver = Driver();
    // A drive that refused the pause (nothing was playing) is not paused: the next play
    // command must play, not resume.
    if (driver && driver->Pause(1))
        paused_ = true;
}

void PlayerController::Stop() {
    CSCSIDriver* driver = Driver();
    if (!driver)
        return;
    driver->Stop();
    StopTimerAndClear();
    emit statusChanged(host_.deviceText ? host_.deviceText() : QString());
    playingRow_ = -1;
    playingTrack_ = -1;
    paused_ = false;
}

bool PlayerController::StopForSkip() {
    CSCSIDriver* driver = Driver();
    if (!driver)
        return false;
    paused_ = false;
    driver->Stop();
    StopTimerAndClear();
    return FirstChecked() >= 0;
}

void PlayerController::Previous() {
    if (!StopForSkip())
        return;
    for (int p = std::min(playingRow_, rows_.size()) - 1; p >= 0; --p)
        if (rows_.row(p).checked) {
            PlayRow(p, SliderStart::kReset);
            return;
        }
    PlaySelected();
}

void PlayerController::Next() {
    if (!StopForSkip())
        return;
    for (int p = playingRow_ + 1; p < rows_.size(); ++p)
        if (rows_.row(p).checked) {
            PlayRow(p, SliderStart::kReset);
            return;
        }
    // Past the last ticked row nothing plays any more; the status line must not go on
    // naming the last track as playing.
    emit statusChanged(host_.deviceText ? host_.deviceText() : QString());
}

void PlayerController::SeekDragging(int seconds) {
    if (rows_.empty())
        return;
    timer_.stop();
    emit timeChanged(PlayTimeText(seconds));
}

void PlayerController::SeekReleased(int seconds) {
    CSCSIDriver* driver = Driver();
    if (rows_.empty() || !driver)
        return;
    if (playingRow_ < 0 || playingRow_ >= rows_.size()) {
        // Nothing was playing: there is no track to seek in.
        emit timeChanged(PlayTimeText(0));
        emit positionChanged(0);
        return;
    }
    // The row may name another track now (rows can be moved while one plays).
    playingTrack_ = rows_.row(playingRow_).trackIndex;
    if (PlayTrackFrom(playingTrack_,
                      static_cast<std::uint32_t>(std::max(seconds, 0)) * kFramesPerSecond))
        timer_.start();
}

void PlayerController::Tick() {
    CSCSIDriver* driver = Driver();
    if (!driver)
        return;
    std::int32_t relative = 0, absolute = 0;
    std::uint32_t status = 0;
    if (!driver->GetPosition(&relative, &absolute, &status))
        return;
    if (status == kPlayCompleted) {
        Next();
        return;
    }
    if (status != kPlayInProgress)
        return;
    // Negative in the next track's pregap (which belongs to this track's range), or a
    // drive's nonsense beyond 90 minutes: neither is a time to show.
    if (relative < 0 || relative / 75 / 60 > kMaxMinutes)
        return;
    const int seconds = relative / 75;
    emit positionChanged(seconds + 3);
    emit timeChanged(PlayTimeText(seconds));
    QString title;
    if (playingTrack_ >= 0 && playingTrack_ < DiscInfo::kMaxTracks)
        title = QString::fromStdString(disc_.tracks[static_cast<std::size_t>(playingTrack_)].Title);
    const QString wanted = (paused_ ? tr("已暂停: %1") : tr("正在播放: %1")).arg(title);
    const QString shown = host_.statusLine ? host_.statusLine() : QString();
    if (shown != wanted && ++statusRepeat_ >= 3) {
        emit statusChanged(wanted);
        statusRepeat_ = 0;
    }
}

void PlayerController::Reset() {
    timer_.stop();
    playingRow_ = -1;
    playingTrack_ = -1;
    paused_ = false;
    statusRepeat_ = 0;
    emit timeChanged(PlayTimeText(0));
    emit rangeChanged(0);
    emit positionChanged(0);
}

void PlayerController::PlayRow(int row, SliderStart slider) {
    if (row < 0 || row >= rows_.size() || !Driver())
        return;
    playingRow_ = row;
    playingTrack_ = rows_.row(row).trackIndex;
    if (playingTrack_ < 0 || playingTrack_ >= disc_.trackCount)
        return;
    const TrackRange& range = disc_.trackRanges[static_cast<std::size_t>(playingTrack_)];
    // A refused play is not reported: the timer then sees no play in progress.
    PlayTrackFrom(playingTrack_, 0);
    emit rangeChanged(static_cast<int>((range.end - range.start) / kFramesPerSecond));
    if (slider == SliderStart::kReset)
        emit positionChanged(0);
    timer_.start();
}

bool PlayerController::PlayTrackFrom(int track, std::uint32_t offsetFrames) {
    CSCSIDriver* driver = Driver();
    if (!driver || track < 0 || track >= disc_.trackCount)
        return false;
    const TrackRange& range = disc_.trackRanges[static_cast<std::size_t>(track)];
    // A seek to the slider's end plays nothing rather than a range that runs backwards.
    driver->PlayAudio(std::min(range.start + offsetFrames, range.end), range.end);
    return true;
}

void PlayerController::StopTimerAndClear() {
    timer_.stop();
    emit timeChanged(PlayTimeText(0));
    emit positionChanged(0);
}

}  // namespace korvida::gui

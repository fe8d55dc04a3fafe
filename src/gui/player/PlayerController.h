#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace korvida {
class CSCSIDriver;
class TrackList;
struct DiscInfo;
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

// The CD player of the main window, without widgets: plays the list's rows through the
// drive (PLAY AUDIO, PAUSE/RESUME, START STOP UNIT), follows the drive's position with a
// 200 ms timer and says what the time display, the position slider and the status line
// should show. All on the UI thread.
class PlayerController : public QObject {
    Q_OBJECT

  public:
    static constexpr int kTickMs = 200;
    // A position further into a track than this is a drive's nonsense, not a place.
    static constexpr int kMaxMinutes = 90;

    // What the player needs of the window. `driver` gives nullptr while the drive cannot
    // take commands (none found, or a disc load owns it); `statusLine` is the text the
    // status line shows now; `deviceText` the one it returns to after Stop.
    struct Host {
        std::function<CSCSIDriver*()> driver;
        std::function<QString()> statusLine;
        std::function<QString()> deviceText;
    };

    PlayerController(TrackList& rows, DiscInfo& disc, UserNotifier& notifier, Host host,
                     QObject* parent = nullptr);

    void PlaySelected();
    void PlayHighlighted();
    void Pause();
    void Stop();
    void Previous();
    void Next();
    // The position slider: dragging to `seconds` shows that time; release plays from
    // there to the end of the track.
    void SeekDragging(int seconds);
    void SeekReleased(int seconds);
    // One period of the position timer (the timer calls it; tests call it directly).
    void Tick();
    // A disc load, an eject or a rip took the drive: forget the play and show the idle
    // display. Sends nothing to the drive (whoever took it stopped it).
    void Reset();

    // The list row of the track playing, -1 when stopped.
    int playingRow() const { return playingRow_; }
    int playingTrack() const { return playingTrack_; }
    bool paused() const { return paused_; }
    bool timerActive() const { return timer_.isActive(); }

  signals:
    void timeChanged(const QString& text);
    // The position slider's range is 0..maximum seconds.
    void rangeChanged(int maximum);
    void positionChanged(int seconds);
    void statusChanged(const QString& text);

  private:
    enum class SliderStart { kReset, kKeep };
    void PlayRow(int row, SliderStart slider);
    // Previous and Next start alike: no pause, the drive stopped, the display cleared.
    // False when there is no drive or no ticked row to go to.
    bool StopForSkip();
    void StopTimerAndClear();
    bool PlayTrackFrom(int track, std::uint32_t offsetFrames);
    int FirstChecked() const;
    CSCSIDriver* Driver() const;

    TrackList& rows_;
    DiscInfo& disc_;
    UserNotifier& notifier_;
    Host host_;
    QTimer timer_;
    int playingRow_ = -1;
    int playingTrack_ = -1;
    bool paused_ = false;
    // Ticks at which the status line differed from the player's text since the player
    // last set it: hints and errors stay readable for a moment before it takes over.
    int statusRepeat_ = 0;
};

// "%02d:%02d" of whole seconds (minutes unbounded).
QString PlayTimeText(int seconds);

}  // namespace korvida::gui

#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <thread>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "gui/app/TrackTableModel.h"

namespace korvida {
struct Settings;
class UserNotifier;
}  // namespace korvida

namespace korvida::gui {

// The drive and the disc in it: drive discovery, disc loading, eject, CD images. Finding
// drives and reading a TOC can take seconds on a slow drive, so both run on a worker
// thread that builds a disc of its own; the UI thread swaps it in when it is done.
// While the worker runs the controller is busy and nothing else may use the driver.
// Owns the track list rows and the model over them; holds no widgets.
class DiscController : public QObject {
    Q_OBJECT

  public:
    DiscController(UserNotifier& notifier, DriveSources sources, QObject* parent = nullptr);
    ~DiscController() override;

    // Finds the drives, selects one and loads its disc.
    void start();
    // Reads the TOC again (refresh command).
    void refresh();
    // Makes a CD image the current drive (File menu, a dropped .cue) and loads it; an
    // image that does not open is told and leaves drive and list as they were. The path is
    // the file system's bytes.
    void openImage(const std::string& cue);
    // Writes the demo disc into the app home and opens it.
    void openDemoDisc();
    // Another drive of the same driver (the options sheet): the disc's description is
    // stored, the drive stopped and selected, its disc loaded, and the status line names
    // it. Stored in CDROMDriver.
    void changeDrive(int drive);
    // The drive type and the playback path of the options sheet; the driver reads with
    // them from the next command on, the disc stays.
    void applyDriveOptions(const Settings& settings);
    // A new driver, found and selected as at start-up (the transport setting changed).
    void recreateDriver();
    // Ejects, stores the disc's description and empties the list; on a drive whose tray
    // is open, closes it and loads the disc.
    void eject();
    // Stores the disc's description in the local disc database (when a disc is listed).
    void storeDisc();
    // What became of work done in the background (a cover fetched), after the device's
    // name on the status line, until a load or an eject says something else.
    void showNote(const QString& note);
    // Blocks until the worker, if any, has ended (window close).
    void waitIdle();

    bool busy() const { return worker_.joinable(); }
    bool hasDrive() const { return driveOk_; }
    CSCSIDriver* driver() const { return driver_.get(); }
    DiscInfo& disc() { return disc_; }
    TrackList& rows() { return rows_; }
    TrackTableModel* model() { return &model_; }
    QString statusText() const { return status_; }

  signals:
    // The worker started (true) or ended (false); the status line says why it waits.
    void busyChanged(bool busy);
    void statusChanged(const QString& text);
    // A load ended; totalSeconds is 0 when nothing is listed.
    void discLoaded(bool ok, unsigned totalSeconds);
    // Drive discovery found no drive: the window offers the demo disc.
    void noDrive();

  private:
    struct Outcome;
    void Run(std::shared_ptr<Outcome> outcome, const QString& waitText);
    void Finish(std::shared_ptr<Outcome> outcome);
    void OpenImageOn(std::shared_ptr<Outcome> outcome);
    // No rows and no disc record.
    void Empty();

    UserNotifier& notifier_;
    DriveSources sources_;
    std::unique_ptr<CSCSIDriver> driver_;
    bool driveOk_ = false;
    DiscInfo disc_;
    TrackList rows_;
    TrackTableModel model_;
    QString status_;
    unsigned shownSeconds_ = 0;  // the listed disc's total time
    std::thread worker_;
};

}  // namespace korvida::gui

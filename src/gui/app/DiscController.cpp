#include "gui/app/DiscController.h"

#include <QMetaObject>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "core/cdrom/DemoDisc.h"
#include "core/cdrom/DriveSelection.h"
#include "core/disc/DiscDatabase.h"
#include "core/disc/LoadDisc.h"
#include "core/platform/AppHome.h"
#include "core/platform/ThreadGuard.h"
#include "core/platform/UserNotifier.h"
#include "core/settings/Settings.h"

namespace korvida::gui {
namespace {

// Messages a worker would have shown; the UI thread shows them, in order, when the
// worker is done (a worker never opens a message box).
class CollectingNotifier : public UserNotifier {
  public:
    void ShowMessage(const std::string& text, Icon icon) override {
        messages.emplace_back(text, icon);
    }
    std::vector<std::pair<std::string, Icon>> messages;
};

}  // namespace

struct DiscController::Outcome {
    // What to do. Without findDrives the worker loads the disc of `driver`.
    bool findDrives = false;
    int changeTo = -1;       // select this drive of `driver` first
    bool closeTray = false;  // close the tray of `driver` first
    DriveSources sources;
    std::string demoFolder;  // write the demo disc here first and open it
    std::string image;       // make this CD image the current drive of `driver` first
    // The list before an image is opened: it comes back when the image does not open.
    DiscInfo keptDisc;
    TrackList keptRows;
    unsigned keptSeconds = 0;
    CSCSIDriver* driver = nullptr;
    Settings settings;  // read by the load; the UI's copy may change meanwhile

    // What came of it.
    std::unique_ptr<CSCSIDriver> newDriver;
    bool driveOk = false;
    std::string status;
    bool loaded = false;
    bool imageRefused = false;  // the image did not open: nothing was changed
    DiscLoadResult load;
    DiscInfo disc;
    TrackList rows;
    CollectingNotifier messages;

    // The steps of the worker, in this order.
    void WriteDemoDisc();
    void PlaceImage();
    CSCSIDriver* SelectDrive();
};

void DiscController::Outcome::WriteDemoDisc() {
    if (demoFolder.empty())
        return;
    std::string error;
    image = PrepareDemoDisc(demoFolder, &error);
    if (image.empty()) {
        messages.ShowMessage(error, UserNotifier::Icon::kStop);
        imageRefused = true;
    }
}

// The image goes into the table of the drives about to be found, or is opened as a drive
// of the driver's own table.
void DiscController::Outcome::PlaceImage() {
    if (imageRefused || image.empty())
        return;  // the demo disc could not be written, or no image is asked for
    if (findDrives) {
        if (std::find(sources.images.begin(), sources.images.end(), image) == sources.images.end())
            sources.images.push_back(image);
        sources.selectImage = image;
        return;
    }
    auto* native = static_cast<CSCSIDriverNative*>(driver);
    std::string error;
    if (native->OpenImage(image, &error)) {
        driveOk = true;
        status = DeviceStatusText(*native);
    } else {
        messages.ShowMessage(error, UserNotifier::Icon::kWarning);
        imageRefused = true;
    }
}

// The drive asked for, selected; the driver to load the disc from.
CSCSIDriver* DiscController::Outcome::SelectDrive() {
    if (imageRefused)
        return driver;  // nothing to load: the list before comes back
    if (changeTo >= 0) {
        // The drive chosen goes into the snapshot; Finish stores it on the UI thread.
        status = ChangeDrive(*driver, settings, changeTo, driveOk);
        if (auto* native = dynamic_cast<CSCSIDriverNative*>(driver);
            native && !driveOk && !native->SelectionProblem().empty())
            messages.ShowMessage(native->SelectionProblem(), UserNotifier::Icon::kStop);
    } else if (findDrives) {
        DriveSelection selection = CreateAndSelectDriver(settings, sources, messages);
        newDriver = std::move(selection.driver);
        driveOk = selection.ok;
        status = selection.statusText;
        return newDriver.get();
    }
    return driver;
}

DiscController::DiscController(UserNotifier& notifier, DriveSources sources, QObject* parent)
    : QObject(parent), notifier_(notifier), sources_(std::move(sources)), model_(rows_) {}

DiscController::~DiscController() {
    waitIdle();
}

void DiscController::waitIdle() {
    if (!worker_.joinable())
        return;
    worker_.join();
    // The worker's result is queued behind us: nobody wants it any more.
}

void DiscController::start() {
    if (busy())
        return;
    auto outcome = std::make_shared<Outcome>();
    outcome->findDrives = true;
    // Images named in the settings come before those of the command line.
    std::vector<std::string> images = SplitImageList(TheSettings().Images);
    for (const std::string& image : sources_.images)
        if (std::find(images.begin(), images.end(), image) == images.end())
            images.push_back(image);
    sources_.images = std::move(images);
    outcome->sources = sources_;
    // The image named at start is chosen once: a new driver later takes CDROMDriver.
    sources_.selectImage.clear();
    Run(outcome, tr("正在查找 CD-ROM 驱动器..."));
}

void DiscController::refresh() {
    if (busy() || !driveOk_)
        return;
    auto outcome = std::make_shared<Outcome>();
    outcome->driver = driver_.get();
    Run(outcome, tr("正在读取 TOC..."));
}

void DiscController::openImage(const std::string& cue) {
    if (busy())
        return;
    storeDisc();
    auto outcome = std::make_shared<Outcome>();
    outcome->image = cue;
    OpenImageOn(outcome);
}

void DiscController::openDemoDisc() {
    if (busy())
        return;
    storeDisc();
    auto outcome = std::make_shared<Outcome>();
    outcome->demoFolder = AppHome() + "demo-disc";
    OpenImageOn(outcome);
}

void DiscController::OpenImageOn(std::shared_ptr<Outcome> outcome) {
    outcome->driver = driver_.get();
    // Without a working transport there is no table to add to: a new driver is made
    // with the image in it.
    if (!dynamic_cast<CSCSIDriverNative*>(driver_.get())) {
        outcome->findDrives = true;
        outcome->sources = sources_;
    }
    outcome->keptDisc = disc_;
    outcome->keptRows = rows_;
    outcome->keptSeconds = shownSeconds_;
    Run(outcome, tr("正在打开 CD 映像..."));
}

void DiscController::changeDrive(int drive) {
    if (busy() || !driver_)
        return;
    storeDisc();
    auto outcome = std::make_shared<Outcome>();
    outcome->driver = driver_.get();
    outcome->changeTo = drive;
    Run(outcome, tr("正在读取 TOC..."));
}

void DiscController::applyDriveOptions(const Settings& settings) {
    if (auto* native = dynamic_cast<CSCSIDriverNative*>(driver_.get())) {
        native->SetDeviceType(settings.DeviceType);
        native->SetDigitalPlayback(settings.DigitalPlayback != 0);
    }
}

void DiscController::recreateDriver() {
    if (busy())
        return;
    storeDisc();
    // The images opened meanwhile stay in the table of the new driver.
    if (auto* native = dynamic_cast<CSCSIDriverNative*>(driver_.get()))
        for (const std::string& image : native->ImagePaths())
            if (std::find(sources_.images.begin(), sources_.images.end(), image) ==
                sources_.images.end())
                sources_.images.push_back(image);
    start();
}

void DiscController::eject() {
    if (busy() || !driveOk_)
        return;
    // A second eject closes the tray and reads the disc again, as a drive's button does.
    if (driver_->TrayOpen()) {
        auto outcome = std::make_shared<Outcome>();
        outcome->driver = driver_.get();
        outcome->closeTray = true;
        Run(outcome, tr("正在读取 TOC..."));
        return;
    }
    driver_->Eject();
    storeDisc();
    Empty();
    // Said at once, as a refresh would say it; a drive that cannot tell its tray is
    // empty at least.
    status_ = QString::fromStdString(DeviceStatusText(*driver_) +
                                     Tr(driver_->TrayOpen() ? kTrayOpenStatus : kNoDiscStatus));
    emit statusChanged(status_);
    emit discLoaded(false, 0);
}

void DiscController::showNote(const QString& note) {
    status_ = (driver_ ? QString::fromStdString(DeviceStatusText(*driver_)) : QString()) + note;
    emit statusChanged(status_);
}

void DiscController::Empty() {
    // The disc's record goes with its rows: a list that shows no disc holds no TOC either,
    // so the same disc coming back compares as a change.
    model_.resetWith([this] {
        rows_.Clear();
        disc_ = DiscInfo{};
    });
}

void DiscController::storeDisc() {
    if (driveOk_ && !rows_.empty())
        SaveDiscDatabase(disc_, rows_, notifier_);
}

void DiscController::Run(std::shared_ptr<Outcome> outcome, const QString& waitText) {
    outcome->settings = TheSettings();
    // The list is emptied first, so no track can be ticked or ripped while the load runs.
    Empty();
    status_ = waitText;
    emit statusChanged(status_);
    emit busyChanged(true);
    // Runs guarded: a throw (a full memory, a file system that misbehaves) ends the load
    // with its message shown, not the program with the user's edits.
    std::function<void()> work = [this, outcome] {
        Outcome& o = *outcome;
        o.WriteDemoDisc();
        if (o.closeTray)
            o.driver->CloseTray();
        o.PlaceImage();
        CSCSIDriver* driver = o.SelectDrive();
        const bool selected = o.findDrives || o.changeTo >= 0 || !o.image.empty();
        if (driver && !o.imageRefused && (o.driveOk || !selected)) {
            o.loaded = true;
            // The wait for a drive getting ready shows on the status line while it lasts.
            auto status = [this](const std::string& text) {
                QMetaObject::invokeMethod(
                    this,
                    [this, text = QString::fromStdString(text)] {
                        status_ = text;
                        emit statusChanged(status_);
                    },
                    Qt::QueuedConnection);
            };
            o.load = LoadDisc(*driver, o.settings, o.disc, o.rows, o.messages, status);
        }
        QMetaObject::invokeMethod(
            this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
    };
    worker_ = StartGuardedThread(std::move(work), [this, outcome](const std::string& text) {
        outcome->loaded = false;
        outcome->messages.ShowMessage(text, UserNotifier::Icon::kStop);
        QMetaObject::invokeMethod(
            this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
    });
}

void DiscController::Finish(std::shared_ptr<Outcome> outcome) {
    if (worker_.joinable())
        worker_.join();
    Outcome& o = *outcome;
    const bool newDrive = o.findDrives;
    if (newDrive || o.changeTo >= 0 || (!o.image.empty() && !o.imageRefused)) {
        if (o.newDriver)
            driver_ = std::move(o.newDriver);
        driveOk_ = o.driveOk;
    }
    // Only the UI thread writes the live settings: the drive the worker selected (from
    // its snapshot) is stored here. An opened image is the drive in use from now on, as a
    // drive picked on the options page is.
    if (newDrive || o.changeTo >= 0)
        TheSettings().CDROMDriver = o.settings.CDROMDriver;
    if (!o.image.empty() && !o.imageRefused && driveOk_)
        TheSettings().CDROMDriver = driver_->currentDrive;
    if (!o.status.empty())
        status_ = QString::fromStdString(o.status);
    else if (driver_)
        status_ = QString::fromStdString(DeviceStatusText(*driver_));
    if (o.loaded) {
        const std::string state = DriveStateText(o.load, status_.toStdString());
        if (!state.empty())
            status_ = QString::fromStdString(state);
    }
    if (o.loaded && o.load.ok) {
        model_.resetWith([&] {
            disc_ = o.disc;
            rows_ = std::move(o.rows);
        });
    } else if (o.imageRefused) {
        model_.resetWith([&] {
            disc_ = std::move(o.keptDisc);
            rows_ = std::move(o.keptRows);
        });
        o.load.ok = !rows_.empty();
        o.load.totalSeconds = o.keptSeconds;
    }
    shownSeconds_ = o.load.ok ? o.load.totalSeconds : 0;
    emit busyChanged(false);
    emit statusChanged(status_);
    for (const auto& [text, icon] : o.messages.messages)
        notifier_.ShowMessage(text, icon);
    emit discLoaded(o.load.ok, shownSeconds_);
    if (newDrive && !driveOk_)
        emit noDrive();
}

}  // namespace korvida::gui

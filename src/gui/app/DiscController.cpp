#include "gui/app/DiscController.h"

#include <QMetaObject>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>
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
    int changeTo = -1;  // select this drive of `driver` first
    DriveSources sources;
    std::string demoFolder;  // write the demo disc here first and open it
    CSCSIDriver* driver = nullptr;
    Settings settings;  // read by the load; the UI's copy may change meanwhile

    // What came of it.
    std::unique_ptr<CSCSIDriver> newDriver;
    bool driveOk = false;
    std::string status;
    bool loaded = false;
    DiscLoadResult load;
    DiscInfo disc;
    TrackList rows;
    CollectingNotifier messages;
};

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
    Run(outcome, tr("正在查找 CD-ROM 驱动器..."));
}

void DiscController::refresh() {
    if (busy() || !driveOk_)
        return;
    auto outcome = std::make_shared<Outcome>();
    outcome->driver = driver_.get();
    Run(outcome, tr("正在读取 TOC..."));
}

void DiscController::openImage(const QString& cuePath) {
    if (busy())
        return;
    storeDisc();
    const std::string cue = cuePath.toStdString();
    if (std::find(sources_.images.begin(), sources_.images.end(), cue) == sources_.images.end())
        sources_.images.push_back(cue);
    sources_.selectImage = cue;
    auto outcome = std::make_shared<Outcome>();
    outcome->findDrives = true;
    outcome->sources = sources_;
    Run(outcome, tr("正在打开 CD 映像..."));
}

void DiscController::openDemoDisc() {
    if (busy())
        return;
    storeDisc();
    auto outcome = std::make_shared<Outcome>();
    outcome->findDrives = true;
    outcome->sources = sources_;
    outcome->demoFolder = AppHome() + "demo-disc";
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

void DiscController::recreateDriver() {
    if (busy())
        return;
    storeDisc();
    start();
}

void DiscController::eject() {
    if (busy() || !driveOk_)
        return;
    driver_->Eject();
    storeDisc();
    Empty();
    emit discLoaded(false, 0);
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
        CSCSIDriver* driver = o.driver;
        if (!o.demoFolder.empty()) {
            std::string error;
            // Made once: its files are written whole or not at all.
            std::string cue = o.demoFolder + "/demo.cue";
            std::error_code missing;  // a folder that cannot be looked into: MakeDemoDisc says why
            if (!std::filesystem::exists(cue, missing) ||
                !std::filesystem::exists(o.demoFolder + "/demo.bin", missing))
                cue = MakeDemoDisc(o.demoFolder, &error);
            if (cue.empty()) {
                o.messages.ShowMessage(error, UserNotifier::Icon::kStop);
                o.status = kNoCdromStatus;
                QMetaObject::invokeMethod(
                    this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
                return;
            }
            if (std::find(o.sources.images.begin(), o.sources.images.end(), cue) ==
                o.sources.images.end())
                o.sources.images.push_back(cue);
            o.sources.selectImage = cue;
        }
        if (o.changeTo >= 0) {
            // As in selection below, CDROMDriver is the one setting written here.
            o.status = ChangeDrive(*driver, TheSettings(), o.changeTo, o.driveOk);
        } else if (o.findDrives) {
            // The driver keeps the process-wide settings (it reads DeviceType at every
            // read); only CDROMDriver is written here, and nothing else reads it meanwhile.
            DriveSelection selection = CreateAndSelectDriver(TheSettings(), o.sources, o.messages);
            o.newDriver = std::move(selection.driver);
            o.driveOk = selection.ok;
            o.status = selection.statusText;
            driver = o.newDriver.get();
        }
        const bool selected = o.findDrives || o.changeTo >= 0;
        if (driver && (o.driveOk || !selected)) {
            o.loaded = true;
            o.load = LoadDisc(*driver, o.settings, o.disc, o.rows, o.messages);
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
    if (newDrive || o.changeTo >= 0) {
        if (o.newDriver)
            driver_ = std::move(o.newDriver);
        driveOk_ = o.driveOk;
        if (!o.demoFolder.empty() && o.sources.selectImage.size())
            sources_ = o.sources;
    }
    if (!o.status.empty())
        status_ = QString::fromStdString(o.status);
    else if (driver_)
        status_ = QString::fromStdString(DeviceStatusText(*driver_));
    if (o.loaded && o.load.ok) {
        model_.resetWith([&] {
            disc_ = o.disc;
            rows_ = std::move(o.rows);
        });
    }
    emit busyChanged(false);
    emit statusChanged(status_);
    for (const auto& [text, icon] : o.messages.messages)
        notifier_.ShowMessage(text, icon);
    emit discLoaded(o.loaded && o.load.ok, o.load.ok ? o.load.totalSeconds : 0);
    if (newDrive && !driveOk_)
        emit noDrive();
}

}  // namespace korvida::gui

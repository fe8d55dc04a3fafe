#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "core/cdrom/CSCSIDriverNative.h"
#include "gui/WindowParts.h"
#include "gui/app/MainWindow.h"
#include "support/RecordingNotifier.h"
#include "support/SharedDemoDisc.h"
#include "support/TempHome.h"

namespace korvida::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's clean-up routines would run after the static objects
    // they reach are gone.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `inside` on the next modal dialog once it is up; the caller then opens it (exec
// returns when `inside` closes it).
inline void OnNextModal(std::function<void(QWidget*)> inside) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, inside] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            inside(modal);
        }
    });
    timer->start(10);
}

// Triggers command `id` of `window` and runs `inside` on the dialog it opens, which must be
// a `Dialog` (the command returns when `inside` has closed it). A dialog still open after
// a minute is cancelled, so a fault fails the test instead of hanging it.
template <class Dialog>
void RunDialogCommand(gui::MainWindow& window, int id, std::function<void(QDialog&)> inside) {
    OnNextModal([inside](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        QTimer::singleShot(60000, dialog, [dialog] { dialog->reject(); });
        ASSERT_NE(qobject_cast<Dialog*>(modal), nullptr);
        inside(*dialog);
    });
    ActionOf(window, id)->trigger();
}

// Waits until the wizard dialog shows the page named `name`.
inline bool WaitForPage(const QObject& dialog, const char* name) {
    return QTest::qWaitFor([&] { return Shows(dialog, name); }, 20000);
}

// A fresh app home with the demo disc, and the real main window on it, its first disc
// load finished.
struct DemoWindow {
    explicit DemoWindow(const std::string& settings = {}, bool withDisc = true) {
        App();
        ::setenv("KORVIDA_GSETTINGS", "/bin/false", 1);
        // Played tracks go nowhere, also on a machine with a sound card.
        ::setenv("KORVIDA_ALSA_DEVICE", "null", 1);
        if (!settings.empty())
            WriteFile(home / "Settings.ini", settings);
        drives.scanRealDrives = false;
        if (withDisc)
            drives.images = {SharedDemoDisc()};
    }
    gui::MainWindow& Open() {
        window = std::make_unique<gui::MainWindow>(notifier, drives);
        QSignalSpy ready(window.get(), &gui::MainWindow::discReady);
        ready.wait(30000);
        return *window;
    }
    // The demo disc in a drive whose reads take `delayMs` each, so that a signal, a
    // cancel or a close arrives while a track is being read. False when the image does
    // not open.
    [[nodiscard]] bool SlowDownReads(int delayMs) {
        std::string error;
        std::shared_ptr<VirtualDrive> slow = VirtualDrive::Open(drives.images.at(0), error);
        if (!slow)
            return false;
        for (std::uint8_t read : {0xBE, 0x28, 0xD4, 0xD8})
            slow->faults().delayMs[read] = delayMs;
        drives.images.clear();
        drives.virtualDrives = {slow};
        return true;
    }

    TempHome home;
    RecordingNotifier notifier;
    DriveSources drives;
    std::unique_ptr<gui::MainWindow> window;
};

}  // namespace korvida::test

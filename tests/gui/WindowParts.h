#pragma once

// The windows' parts, found as the user's tools would find them: by type or by object
// name among a window's children. The windows keep no accessors for tests.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolBar>
#include <QTreeView>

#include "gui/app/DiscController.h"
#include "gui/app/JobCommands.h"
#include "gui/app/JobController.h"
#include "gui/app/MainWindow.h"
#include "gui/player/PlayerBar.h"
#include "gui/player/PlayerController.h"
#include "gui/progress/LogLines.h"

namespace korvida::test {

template <typename T>
T& PartOf(const QObject& window, const QString& name = {}) {
    T* part = window.findChild<T*>(name);
    if (!part)
        qFatal("no part %s named \"%s\"", T::staticMetaObject.className(), qPrintable(name));
    return *part;
}
template <typename T>
T& PartOf(const QObject& window, const char* name) {
    return PartOf<T>(window, QString::fromUtf8(name));
}
template <typename T = QWidget>
T* PointerTo(const QObject& window, const char* name) {
    return &PartOf<T>(window, name);
}

// A button by its caption, mnemonic included, as the user finds it; null when none has it.
inline QPushButton* ButtonCaptioned(const QObject& parent, const QString& caption) {
    for (QPushButton* button : parent.findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    return nullptr;
}

// The page a wizard dialog shows now, and whether it is the one named `name`.
inline QWidget* PageOf(const QObject& dialog) {
    return PartOf<QStackedWidget>(dialog, "pages").currentWidget();
}
inline bool Shows(const QObject& dialog, const char* name) {
    return PageOf(dialog)->objectName() == QLatin1String(name);
}

// The action of a command number (menus, toolbar and accelerators share it).
inline QAction* ActionOf(const gui::MainWindow& window, int id) {
    return window.findChild<QAction*>(QStringLiteral("command%1").arg(id),
                                      Qt::FindDirectChildrenOnly);
}
// 0 File … 3 Help.
inline QMenu* MenuOf(gui::MainWindow& window, int index) {
    return window.menuBar()->actions().value(index)->menu();
}
inline QToolBar* ToolBarOf(const gui::MainWindow& window) {
    return &PartOf<QToolBar>(window, QStringLiteral("toolBar"));
}
inline QTreeView* ListOf(const gui::MainWindow& window) {
    return &PartOf<QTreeView>(window, QStringLiteral("trackList"));
}
inline QLabel* StatusOf(const gui::MainWindow& window) {
    return &PartOf<QLabel>(window, QStringLiteral("statusLine"));
}
inline QPushButton* DemoButtonOf(const gui::MainWindow& window) {
    return &PartOf<QPushButton>(window, QStringLiteral("demoDisc"));
}
inline gui::PlayerBar* PlayerBarOf(const gui::MainWindow& window) {
    return &PartOf<gui::PlayerBar>(window);
}
inline QLabel* TimeOf(const gui::MainWindow& window) {
    return PointerTo<QLabel>(window, "timeDisplay");
}
inline gui::DiscController& DiscsOf(const gui::MainWindow& window) {
    return PartOf<gui::DiscController>(window);
}
inline gui::JobController& JobsOf(const gui::MainWindow& window) {
    return PartOf<gui::JobCommands>(window).jobs();
}
inline gui::PlayerController& PlayerOf(const gui::MainWindow& window) {
    return PartOf<gui::PlayerController>(window);
}
inline gui::LogLines& LogOf(const gui::MainWindow& window) {
    return PartOf<gui::JobCommands>(window).log();
}
// The progress window of the running job, if one is open.
inline gui::ProgressWindow* ProgressOf(const gui::MainWindow& window) {
    return PartOf<gui::JobCommands>(window).progressWindow();
}

}  // namespace korvida::test

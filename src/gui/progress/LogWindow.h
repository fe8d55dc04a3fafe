#pragma once

#include <QDialog>

class QListWidget;

namespace korvida::gui {

class LogLines;

// Shows every job-log line in order; Clear empties the window and the log.
class LogWindow : public QDialog {
    Q_OBJECT

  public:
    explicit LogWindow(LogLines& log, QWidget* parent = nullptr);

  private:
    LogLines& log_;
    QListWidget* list_;
};

}  // namespace korvida::gui

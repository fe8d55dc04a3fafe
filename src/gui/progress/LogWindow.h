#pragma once

#include <QDialog>

class QListWidget;

namespace korvida::gui {

class JobLog;

// Shows every job-log line in order; Clear empties the window and the log.
class LogWindow : public QDialog {
    Q_OBJECT

  public:
    explicit LogWindow(JobLog& log, QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }

  private:
    JobLog& log_;
    QListWidget* list_;
};

}  // namespace korvida::gui

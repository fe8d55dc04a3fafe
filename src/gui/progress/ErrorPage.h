#pragma once

#include <QWidget>

namespace korvida::gui {

// Shown when a job stopped on an error; the details are in the job log.
class ErrorPage : public QWidget {
    Q_OBJECT

  public:
    explicit ErrorPage(QWidget* parent = nullptr);

  signals:
    void viewLogRequested();
};

}  // namespace korvida::gui

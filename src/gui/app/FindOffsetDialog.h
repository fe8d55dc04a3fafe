#pragma once

#include <QDialog>
#include <optional>

#include "core/rip/FindReadOffset.h"
#include "gui/app/QtMessageTarget.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace korvida {
class CSCSIDriver;
struct DiscInfo;
struct Settings;
}  // namespace korvida

namespace korvida::gui {

// "检测读取偏移": the search for the drive's read offset with the disc in it, run on a
// worker from the moment the dialog shows. The offsets found are listed best first; the
// user takes one with "使用此偏移", or closes the dialog and nothing changes. Closing it
// while the search runs cancels the search.
class FindOffsetDialog : public QDialog {
    Q_OBJECT

  public:
    FindOffsetDialog(const DiscInfo& disc, CSCSIDriver* driver, const Settings& settings,
                     QWidget* parent = nullptr);
    ~FindOffsetDialog() override;

    // After "使用此偏移": the offset chosen.
    std::optional<int> chosenOffset() const { return chosen_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Handle(const Message& message);
    void Ended();

    const DiscInfo& disc_;
    CSCSIDriver* driver_;
    const Settings& settings_;
    QLabel* status_;
    QProgressBar* progress_;
    QListWidget* offsets_;
    QPushButton* use_;
    QPushButton* close_;
    QtMessageTarget target_;
    FindOffsetJobHandle job_;
    bool started_ = false;
    std::optional<int> chosen_;
};

}  // namespace korvida::gui

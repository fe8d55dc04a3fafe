#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

class QGridLayout;
class QGroupBox;
class QLabel;
class QProgressBar;

namespace korvida::gui {

// The extraction and the encoding page: a group box, a bar that shows its percentage
// inside, the elapsed and the estimated time of the item. A rip adds a line with a bar
// for each track encoded behind the reading, and the time of the whole rip.
class ProgressPage : public QWidget {
    Q_OBJECT

  public:
    ProgressPage(const QString& groupText, const QString& barText, QWidget* parent = nullptr);

    void SetGroupText(const QString& text);
    // Per mille done and milliseconds elapsed, as the worker reports them.
    void SetProgress(std::uint32_t perMille, std::uint32_t elapsedMs);
    // The item's bar and times; a rip whose reading is done hides them.
    void SetItemShown(bool shown);

    // The tracks being encoded behind this page's stage, a line and a bar each (text,
    // per mille), oldest first.
    void SetEncoders(const std::vector<std::pair<QString, std::uint32_t>>& lines);
    // The whole rip's elapsed time and the time it still needs, already as text.
    void SetJobTimes(const QString& elapsed, const QString& left);

    QString groupText() const;
    QString barText() const;
    QString elapsedText() const;
    QString estimateText() const;

  private:
    QGroupBox* group_;
    QProgressBar* bar_;
    QLabel* elapsed_;
    QLabel* estimate_;
    QLabel* jobElapsed_;
    QLabel* jobLeft_;
    std::vector<QWidget*> itemTimes_;  // the item's times with their labels
    std::vector<QWidget*> jobTimes_;   // the rip's
    QGridLayout* encoders_;
    std::vector<std::pair<QLabel*, QProgressBar*>> encoderRows_;
};

}  // namespace korvida::gui

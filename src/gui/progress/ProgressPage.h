#pragma once

#include <QWidget>
#include <cstdint>

class QGroupBox;
class QLabel;
class QProgressBar;

namespace korvida::gui {

// The extraction and the encoding page: a group box, a bar that shows its percentage
// inside, the elapsed and the estimated time.
class ProgressPage : public QWidget {
    Q_OBJECT

  public:
    ProgressPage(const QString& groupText, const QString& barText, QWidget* parent = nullptr);

    void SetGroupText(const QString& text);
    // Per mille done and milliseconds elapsed, as the worker reports them.
    void SetProgress(std::uint32_t perMille, std::uint32_t elapsedMs);

    QString groupText() const;
    QString barText() const;
    QString elapsedText() const;
    QString estimateText() const;

  private:
    QGroupBox* group_;
    QProgressBar* bar_;
    QLabel* elapsed_;
    QLabel* estimate_;
};

}  // namespace korvida::gui

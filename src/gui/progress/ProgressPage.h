#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

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

    // The encoding that runs behind this page's stage: a line of its own with its bar,
    // hidden until the first call. The estimate then covers whichever ends later.
    void SetBehindText(const QString& text);
    void SetBehindProgress(std::uint32_t perMille, std::uint32_t elapsedMs);

    QString groupText() const;
    QString barText() const;
    QString elapsedText() const;
    QString estimateText() const;
    bool behindShown() const;
    QString behindText() const;
    QString behindBarText() const;

  private:
    QGroupBox* group_;
    QProgressBar* bar_;
    QLabel* elapsed_;
    QLabel* estimate_;
    QLabel* behind_;
    QProgressBar* behindBar_;
    std::uint32_t perMille_ = 0;
    std::uint32_t elapsedMs_ = 0;
    std::optional<std::uint32_t> behindLeftMs_;

    void ShowEstimate();
};

}  // namespace korvida::gui

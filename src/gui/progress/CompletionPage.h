#pragma once

#include <QStringList>
#include <QWidget>
#include <string>

class QLabel;
class QTreeWidget;

namespace korvida {
class UserNotifier;
struct RipJob;
struct TrackVerification;
}  // namespace korvida

namespace korvida::gui {

// Shown when a job ended (completed or cancelled): what its verification found, in one
// line, the files it made with each one's result in a column of its own, and buttons to
// play them or open the output folder.
class CompletionPage : public QWidget {
    Q_OBJECT

  public:
    CompletionPage(UserNotifier& notifier, QWidget* parent = nullptr);

    // The job's finished files, named from the output folder, and its verification's
    // summary above them (the icon from the worst result).
    void ShowJob(const RipJob& job);
    // `path` is the file system's bytes; the list shows it decoded.
    void AddFile(const std::string& path, const std::string& result = {});
    // The files' full names, and their results.
    QStringList files() const;
    QStringList results() const;

    // "直接播放！(&P)": starts the MP3 player once per file, in list order.
    void PlayFiles();

    // As wide as the names and results need, beyond what the layout asks.
    QSize sizeHint() const override;

  private:
    void Add(const std::string& path, const QString& shown, const TrackVerification* verification,
             const QString& result);

    UserNotifier& notifier_;
    QLabel* icon_;
    QLabel* text_;
    QTreeWidget* files_;
};

}  // namespace korvida::gui

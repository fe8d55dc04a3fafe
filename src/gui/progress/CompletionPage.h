#pragma once

#include <QStringList>
#include <QWidget>
#include <string>

class QListWidget;

namespace korvida {
class UserNotifier;
}

namespace korvida::gui {

// Shown when a job ended (completed or cancelled): the files it made, and buttons to
// play them or open the output folder.
class CompletionPage : public QWidget {
    Q_OBJECT

  public:
    CompletionPage(UserNotifier& notifier, QWidget* parent = nullptr);

    // `path` is the file system's bytes; the list shows it decoded, followed by the
    // verification's result when there is one.
    void AddFile(const std::string& path, const std::string& result = {});
    // The files' names as shown, without their results.
    QStringList files() const;
    QStringList results() const;

    // "直接播放！": starts the MP3 player once per file, in list order.
    void PlayFiles();

  private:
    UserNotifier& notifier_;
    QListWidget* files_;
};

}  // namespace korvida::gui

#pragma once

#include <QDir>
#include <QObject>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace korvida::gui {

class MainWindow;
class OptionsSheet;

// Walks the real program through its windows and saves a picture of each into a folder
// (scripts/screenshots runs it under Xvfb): the main window idle and playing, the four
// menus, the track information dialog folded and unfolded, the album information dialog,
// the options sheet's pages and its Advanced dialog, a rip's progress window and its
// completion page, a long verified rip's completion page, a failing batch job's file dialog, error
// page and log window, the freedb wizards' pages, the MusicBrainz dialog's pages and the album
// dialog with a cover. Everything else goes through the commands a user would give. Quits when
// done.
class ScreenshotTour : public QObject {
    Q_OBJECT

  public:
    ScreenshotTour(MainWindow& window, const QString& folder);
    // Every picture was taken.
    bool ok() const { return ok_; }

  private:
    using Step = std::function<void()>;
    // Saves the picture; in English, also finds the Chinese texts left in the window.
    void Save(QWidget* widget, const QString& name);
    QStringList DataTexts() const;
    // Calls `then` once `ready` holds, polling; gives up (and quits) after a minute.
    void WaitFor(std::function<bool()> ready, Step then);
    // Runs `inside` on the next modal dialog once it is up, while `open` runs its loop.
    void WithModal(const Step& open, std::function<void(QWidget*)> inside);

    void Playing(Step then);
    void Menus(int index);
    void Dialogs();
    // The options sheet at each of its pages, then the MP3 page's Advanced dialog.
    void Options();
    void OptionsPages(OptionsSheet* sheet, int page);
    void RipJob();
    // The check of the rip just made (a track file chosen stands for its folder).
    void VerifyJob(const QString& trackFile, Step then);
    // The read-offset search over the 校验 page (the demo disc is in no database here).
    void FindOffset(OptionsSheet* sheet, Step then);
    // A long rip's progress window, fed its messages (ScreenshotTourProgress.cpp).
    void LongRipPictures(Step then);
    void FailingJob();
    void Finish();

    // The freedb wizards' four pages each (ScreenshotTourFreedb.cpp).
    void QueryWizard();
    void SubmitWizard();
    void SubmitResults();
    // The MusicBrainz dialog's pages, then the album dialog with a cover
    // (ScreenshotTourMusicBrainz.cpp).
    void MusicBrainzWizard();
    void AlbumWithCover();
    // Runs each shot's step on `dialog` and saves a picture after it, then `then`.
    void Pictures(QWidget* dialog, std::vector<std::pair<QString, Step>> shots, Step then);

    MainWindow& window_;
    QDir folder_;
    bool ok_ = true;
};

}  // namespace korvida::gui

#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/jobs/Event.h"
#include "core/musicbrainz/LookUpMusicBrainz.h"
#include "core/settings/Settings.h"

namespace korvida::gui {

// The MusicBrainz dialog without its widgets: the lookup on a worker thread, the release
// the user picks (or the only one) applied to a copy of the disc. The dialog shows what
// changed() announces; finished() closes it.
class MusicBrainzController : public QObject {
    Q_OBJECT

  public:
    enum class Page { kProgress, kReleases, kNoMatch, kError };

    // `settings` and `disc` are copied: the result is read from disc() once finished(true)
    // came.
    MusicBrainzController(const Settings& settings, const DiscInfo& disc,
                          QObject* parent = nullptr);
    // Cancels a lookup still running and waits for its thread.
    ~MusicBrainzController() override;

    void Start();
    // OK or a double click on the list: applies release `row` (the first when row < 0).
    void Choose(int row);
    // Cancel, Escape and the close box.
    void Cancel();
    // The lookup's answer: the only release applied at once, the list, no match or the
    // error.
    void LookupDone(MusicBrainzLookup lookup);

    Page page() const { return page_; }
    QString statusText() const { return status_; }
    QString errorText() const { return error_; }
    // Where the user can attach an unknown disc to a release (the no-match page).
    QString submissionUrl() const { return QString::fromStdString(submissionUrl_); }
    const std::vector<MusicBrainzRelease>& releases() const { return releases_; }
    bool okEnabled() const { return page_ == Page::kReleases && !cancelling_; }
    bool cancelEnabled() const { return !cancelling_; }
    // A cancelled lookup is winding down.
    bool busy() const { return cancelling_ && running_; }
    bool applied() const { return applied_; }
    const DiscInfo& disc() const { return disc_; }
    // The release applied: the cover server knows its front image by this id.
    const std::string& releaseId() const { return releaseId_; }

  signals:
    void changed();
    // Close the dialog: true after a release was applied, false when cancelled.
    void finished(bool applied);

  private:
    void Apply(std::size_t release);
    void ShowPage(Page page);

    Settings settings_;
    DiscInfo disc_;
    std::shared_ptr<Event> cancel_ = std::make_shared<Event>(true, false);
    std::vector<MusicBrainzRelease> releases_;
    std::string submissionUrl_;
    std::string releaseId_;
    Page page_ = Page::kProgress;
    QString status_;
    QString error_;
    bool running_ = false;
    bool cancelling_ = false;
    bool applied_ = false;
    std::thread worker_;  // last: joined before what it reports into goes
};

}  // namespace korvida::gui

#include "gui/musicbrainz/MusicBrainzController.h"

#include <QMetaObject>

#include "core/musicbrainz/ApplyMusicBrainzRelease.h"
#include "core/platform/ThreadGuard.h"

namespace korvida::gui {

MusicBrainzController::MusicBrainzController(const Settings& settings, const DiscInfo& disc,
                                             QObject* parent)
    : QObject(parent),
      settings_(settings),
      disc_(disc),
      status_(tr("正在从 MusicBrainz 查询唱片信息...")) {}

MusicBrainzController::~MusicBrainzController() {
    cancel_->Set();
    if (worker_.joinable())
        worker_.join();
}

void MusicBrainzController::Start() {
    if (running_ || worker_.joinable())
        return;
    running_ = true;
    // Queued to the UI thread; a controller gone meanwhile drops the call with it.
    const auto report = [this](MusicBrainzLookup lookup) {
        QMetaObject::invokeMethod(
            this, [this, lookup = std::move(lookup)]() mutable { LookupDone(std::move(lookup)); },
            Qt::QueuedConnection);
    };
    const auto failed = [](const std::string& text) {
        MusicBrainzLookup lookup;
        lookup.outcome = MusicBrainzLookup::Outcome::kFailed;
        lookup.errorText = text;
        return lookup;
    };
    try {
        // The TOC the disc was loaded with: the drive is not asked again from this thread.
        worker_ = StartGuardedThread(
            [this, toc = disc_.rawToc, settings = settings_, cancel = cancel_, report] {
                // A busy server's wait shows as the page's status line.
                const auto onWait = [this](const std::string& text) {
                    QMetaObject::invokeMethod(
                        this,
                        [this, status = QString::fromStdString(text)] {
                            status_ = status;
                            emit changed();
                        },
                        Qt::QueuedConnection);
                };
                report(LookUpMusicBrainz(toc, settings, cancel.get(), 30000, onWait));
            },
            [report, failed](const std::string& text) { report(failed(text)); });
    } catch (const std::exception& error) {
        report(failed(UnexpectedErrorText(error.what())));
    }
}

void MusicBrainzController::LookupDone(MusicBrainzLookup lookup) {
    running_ = false;
    if (worker_.joinable())
        worker_.join();  // past its last report: ends at once
    if (cancelling_) {
        emit changed();
        emit finished(false);
        return;
    }
    switch (lookup.outcome) {
        case MusicBrainzLookup::Outcome::kFound:
            releases_ = std::move(lookup.releases);
            if (releases_.size() == 1)
                Apply(0);
            else
                ShowPage(Page::kReleases);
            break;
        case MusicBrainzLookup::Outcome::kNotFound:
            submissionUrl_ = lookup.disc.submissionUrl;
            ShowPage(Page::kNoMatch);
            break;
        case MusicBrainzLookup::Outcome::kCancelled:
        case MusicBrainzLookup::Outcome::kFailed:
            error_ = QString::fromStdString(lookup.errorText);
            ShowPage(Page::kError);
            break;
    }
}

void MusicBrainzController::Choose(int row) {
    if (!okEnabled())
        return;
    const bool inList = row >= 0 && static_cast<std::size_t>(row) < releases_.size();
    Apply(inList ? static_cast<std::size_t>(row) : 0);
}

void MusicBrainzController::Apply(std::size_t release) {
    if (releases_.empty())
        return;
    if (!ApplyMusicBrainzRelease(releases_[release], disc_)) {
        error_ = tr("所选唱片中没有这张 CD 的曲目。");
        ShowPage(Page::kError);
        return;
    }
    applied_ = true;
    releaseId_ = releases_[release].mbid;
    emit finished(true);
}

void MusicBrainzController::Cancel() {
    if (cancelling_)
        return;
    if (!running_) {
        emit finished(false);
        return;
    }
    cancelling_ = true;
    status_ = tr("正在取消 MusicBrainz 查询...");
    cancel_->Set();
    ShowPage(Page::kProgress);
}

void MusicBrainzController::ShowPage(Page page) {
    page_ = page;
    emit changed();
}

}  // namespace korvida::gui

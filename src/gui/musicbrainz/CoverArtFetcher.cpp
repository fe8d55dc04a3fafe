#include "gui/musicbrainz/CoverArtFetcher.h"

#include <QMetaObject>

#include "core/musicbrainz/FetchCoverArt.h"
#include "core/platform/ThreadGuard.h"

namespace korvida::gui {

CoverArtFetcher::CoverArtFetcher(const DiscInfo& disc, std::string releaseId,
                                 const Settings& settings, QObject* parent)
    : QObject(parent) {
    // Queued to the UI thread: the thread's last act, on every way it ends.
    const auto report = [this](bool stored, QString error) {
        QMetaObject::invokeMethod(
            this,
            [this, stored, error] {
                if (worker_.joinable())
                    worker_.join();
                emit finished(stored, error);
                deleteLater();
            },
            Qt::QueuedConnection);
    };
    try {
        worker_ = StartGuardedThread(
            [disc, releaseId = std::move(releaseId), settings, cancel = cancel_, report] {
                const CoverArtFetch fetch =
                    FetchAndStoreCoverArt(disc, releaseId, settings, cancel.get());
                report(fetch.outcome == CoverArtFetch::Outcome::kFound,
                       fetch.outcome == CoverArtFetch::Outcome::kFailed
                           ? QString::fromStdString(fetch.errorText)
                           : QString());
            },
            [report](const std::string& text) { report(false, QString::fromStdString(text)); });
    } catch (const std::exception& error) {
        report(false, QString::fromStdString(UnexpectedErrorText(error.what())));
    }
}

CoverArtFetcher::~CoverArtFetcher() {
    cancel_->Set();
    if (worker_.joinable())
        worker_.join();
}

}  // namespace korvida::gui

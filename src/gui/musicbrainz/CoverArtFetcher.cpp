#include "gui/musicbrainz/CoverArtFetcher.h"

#include <QMetaObject>

#include "core/musicbrainz/FetchCoverArt.h"

namespace korvida::gui {

CoverArtFetcher::CoverArtFetcher(const DiscInfo& disc, std::string releaseId,
                                 const Settings& settings, QObject* parent)
    : QObject(parent) {
    worker_ =
        std::thread([this, disc, releaseId = std::move(releaseId), settings, cancel = cancel_] {
            const CoverArtFetch fetch =
                FetchAndStoreCoverArt(disc, releaseId, settings, cancel.get());
            const bool stored = fetch.outcome == CoverArtFetch::Outcome::kFound;
            const QString error = fetch.outcome == CoverArtFetch::Outcome::kFailed
                                      ? QString::fromStdString(fetch.errorText)
                                      : QString();
            QMetaObject::invokeMethod(
                this,
                [this, stored, error] {
                    if (worker_.joinable())
                        worker_.join();
                    emit finished(stored, error);
                    deleteLater();
                },
                Qt::QueuedConnection);
        });
}

CoverArtFetcher::~CoverArtFetcher() {
    cancel_->Set();
    if (worker_.joinable())
        worker_.join();
}

}  // namespace korvida::gui

#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <thread>

#include "core/disc/DiscInfo.h"
#include "core/jobs/Event.h"
#include "core/settings/Settings.h"

namespace korvida::gui {

// The front cover of an applied release, fetched and stored beside the disc's entry on a
// thread of its own while the user goes on working. It deletes itself when done; its
// parent going (the main window closing) cancels the fetch and waits for the thread.
class CoverArtFetcher : public QObject {
    Q_OBJECT

  public:
    CoverArtFetcher(const DiscInfo& disc, std::string releaseId, const Settings& settings,
                    QObject* parent);
    ~CoverArtFetcher() override;

  signals:
    // stored: the cover is beside the disc's entry now. errorText: why a fetch failed
    // (empty when the release simply has no cover).
    void finished(bool stored, const QString& errorText);

  private:
    std::shared_ptr<Event> cancel_ = std::make_shared<Event>(true, false);
    std::thread worker_;
};

}  // namespace korvida::gui

#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/freedb/FreedbRequest.h"
#include "gui/freedb/FreedbTransfer.h"

namespace korvida::gui {

// The query wizard without its widgets: the disc id from the TOC, the query, the match
// the user picks (or the only one), the read and its result applied to a copy of the
// disc. The dialog shows what changed() announces; finished() closes it.
class QueryController : public QObject {
    Q_OBJECT

  public:
    enum class State { kQuerying = 0, kChoosing = 2, kCancelling = 4 };
    enum class Page { kProgress, kMatches, kNoMatch, kError };

    // `disc` is copied: the result is read from disc() once finished(true) came.
    QueryController(const FreedbServerSettings& settings, const DiscInfo& disc,
                    QObject* parent = nullptr);
    ~QueryController() override;

    // Computes the disc id and starts the query.
    void Start();
    // OK or a double click on the list: reads match `row` (the first when row < 0).
    void Choose(int row);
    // Cancel, Escape and the close box.
    void Cancel();
    // A message of the transport threads.
    void HandleMessage(const Message& message);
    // The query's answer: no match, the only match read at once, or the list.
    void QueryDone(std::vector<FreedbMatch> matches);

    State state() const { return state_; }
    Page page() const { return page_; }
    QString statusText() const { return status_; }
    QString errorText() const { return error_; }
    const std::vector<FreedbMatch>& matches() const { return matches_; }
    bool okEnabled() const { return state_ == State::kChoosing && page_ == Page::kMatches; }
    bool cancelEnabled() const { return state_ != State::kCancelling; }
    bool busy() const { return busy_; }
    // A read was applied to disc().
    bool applied() const { return applied_; }
    const DiscInfo& disc() const { return disc_; }

  signals:
    void changed();
    // Close the dialog: true after a read was applied, false when cancelled.
    void finished(bool read);

  private:
    void Read(std::size_t match);
    void ShowPage(Page page);

    FreedbServerSettings settings_;
    DiscInfo disc_;
    // Made once and shared by the query and the read, as the dialog's Cancel sets them.
    std::shared_ptr<Event> cancel_ = std::make_shared<Event>(true, false);
    std::shared_ptr<Event> done_ = std::make_shared<Event>(true, true);
    std::shared_ptr<FreedbRequest> request_;
    std::vector<FreedbMatch> matches_;
    State state_ = State::kQuerying;
    Page page_ = Page::kProgress;
    QString status_;
    QString error_;
    bool busy_ = false;
    bool applied_ = false;
    FreedbTransfer transfer_;  // last: its threads go before what they report into
};

}  // namespace korvida::gui

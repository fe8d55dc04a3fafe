#include "gui/freedb/QueryController.h"

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbLookupSteps.h"
#include "core/jobs/Messages.h"

namespace korvida::gui {

QueryController::QueryController(const FreedbServerSettings& settings, const DiscInfo& disc,
                                 QObject* parent)
    : QObject(parent),
      settings_(settings),
      disc_(disc),
      status_(tr("正在读取 CD TOC 信息...")),
      transfer_(this, [this](const Message& m) { HandleMessage(m); }) {}

QueryController::~QueryController() = default;

void QueryController::Start() {
    // The MSF form of the TOC the disc was loaded with: the drive is not asked again, so
    // nothing touches it from this thread while a disc load may use it.
    const FreedbQueryStart query = MakeQueryRequest(settings_, LbaTocToMsfToc(disc_.rawToc));
    if (!query.request) {
        error_ = QString::fromUtf8(Tr(kNoDiscIdText));
        ShowPage(Page::kError);
        return;
    }
    request_ = query.request;
    request_->cancelEvent = cancel_;
    request_->doneEvent = done_;
    transfer_.Start(request_, false);
}

void QueryController::Read(std::size_t match) {
    request_ = MakeReadRequest(settings_, matches_[match]);
    request_->cancelEvent = cancel_;
    request_->doneEvent = done_;
    transfer_.Start(request_, false);
}

void QueryController::QueryDone(std::vector<FreedbMatch> matches) {
    matches_ = std::move(matches);
    state_ = State::kQuerying;
    const FreedbNextStep next = NextAfterQuery(matches_, 0);
    switch (next.kind) {
        case FreedbNextStep::Kind::kRead:
            Read(next.match);
            break;
        case FreedbNextStep::Kind::kChoose:
            state_ = State::kChoosing;
            ShowPage(Page::kMatches);
            break;
        case FreedbNextStep::Kind::kNoMatch:
        case FreedbNextStep::Kind::kBadPick:  // nothing was picked
            ShowPage(Page::kNoMatch);
            break;
    }
}

void QueryController::Choose(int row) {
    if (state_ != State::kChoosing) {
        emit finished(true);
        return;
    }
    // Back to waiting: a second OK or double click must not start a second read.
    state_ = State::kQuerying;
    status_ = tr("正在恢复 CD 信息...");
    ShowPage(Page::kProgress);
    Read(row >= 0 && static_cast<std::size_t>(row) < matches_.size() ? static_cast<std::size_t>(row)
                                                                     : 0);
}

void QueryController::Cancel() {
    if (state_ == State::kCancelling)
        return;
    state_ = State::kCancelling;
    status_ = tr("正在取消 CDDB 垂询...");
    busy_ = true;
    ShowPage(Page::kProgress);
    transfer_.Cancel(cancel_, done_);
}

void QueryController::HandleMessage(const Message& m) {
    switch (m.id) {
        case WM_FREEDB_STATUS:
            status_ = QString::fromStdString(m.text);
            emit changed();
            break;
        case WM_FREEDB_ERROR:
            transfer_.Join();
            error_ = QString::fromStdString(m.text);
            ShowPage(Page::kError);
            break;
        case WM_FREEDB_QUERY_DONE:
            transfer_.Join();
            if (state_ != State::kCancelling)
                QueryDone(request_->matches);
            break;
        case WM_FREEDB_READ_DONE:
            transfer_.Join();
            if (state_ == State::kCancelling)
                break;
            applied_ =
                ApplyReadResult(request_->readResult, static_cast<std::uint32_t>(m.lParam), disc_);
            if (applied_)
                emit finished(true);
            else
                ShowPage(Page::kNoMatch);
            break;
        case WM_FREEDB_STOPPED:
            busy_ = false;
            emit changed();
            emit finished(false);
            break;
        default:
            break;
    }
}

void QueryController::ShowPage(Page page) {
    page_ = page;
    emit changed();
}

}  // namespace korvida::gui

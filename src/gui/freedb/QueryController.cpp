#include "gui/freedb/QueryController.h"

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbCommands.h"
#include "core/freedb/FreedbSession.h"
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
    const auto msf = LbaTocToMsfToc(disc_.rawToc);
    FreedbTocSummary summary{};
    if (!ComputeFreedbDiscId(msf, summary)) {
        error_ = tr("不能读取 CD 的目录信息，无法计算唱片 ID。");
        ShowPage(Page::kError);
        return;
    }
    request_ = MakeFreedbRequest(settings_, FreedbExchange::kQuery);
    request_->cancelEvent = cancel_;
    request_->doneEvent = done_;
    request_->body = BuildQueryCommand(summary, settings_.Email);
    transfer_.Start(request_, false);
}

void QueryController::Read(std::size_t match) {
    const FreedbMatch& m = matches_[match];
    auto read = MakeFreedbRequest(settings_, FreedbExchange::kRead);
    read->cancelEvent = cancel_;
    read->doneEvent = done_;
    read->body = BuildReadCommand(m.category, m.discId, settings_.Email);
    request_ = read;
    transfer_.Start(read, false);
}

void QueryController::QueryDone(std::vector<FreedbMatch> matches) {
    matches_ = std::move(matches);
    state_ = State::kQuerying;
    if (matches_.empty()) {
        ShowPage(Page::kNoMatch);
    } else if (matches_.size() == 1) {
        Read(0);
    } else {
        state_ = State::kChoosing;
        ShowPage(Page::kMatches);
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

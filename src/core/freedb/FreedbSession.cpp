#include "core/freedb/FreedbSession.h"

#include <mutex>
#include <thread>

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbLookupSteps.h"
#include "core/freedb/FreedbTransport.h"
#include "core/jobs/Messages.h"
#include "core/platform/ThreadGuard.h"

namespace korvida {

namespace {

// Keeps the last completion or error message and forwards status texts.
class OutcomeTarget : public MessageTarget {
  public:
    explicit OutcomeTarget(FreedbStatusCallback onStatus) : onStatus_(std::move(onStatus)) {}

    void post(Message message) override {
        if (message.id == WM_FREEDB_STATUS) {
            if (onStatus_)
                onStatus_(message.text);
            return;
        }
        std::lock_guard lock(mutex_);
        last_ = std::move(message);
    }
    void send(Message message) override { post(std::move(message)); }
    using MessageTarget::post;
    using MessageTarget::send;

    Message Last() {
        std::lock_guard lock(mutex_);
        return last_;
    }

  private:
    FreedbStatusCallback onStatus_;
    std::mutex mutex_;
    Message last_;
};

}  // namespace

FreedbOutcome RunFreedbRequest(const std::shared_ptr<FreedbRequest>& request, bool submit,
                               const FreedbStatusCallback& onStatus) {
    auto target = std::make_shared<OutcomeTarget>(onStatus);
    request->window = target;
    int result = 0;
    std::thread worker = StartGuardedThread(
        [&] { result = submit ? SubmitThread(request) : QueryThread(request); },
        [&](const std::string& text) {
            target->post(submit ? WM_FREEDB_SUBMIT_FAILED : WM_FREEDB_ERROR, 0, 0, text);
        });
    worker.join();
    request->window.reset();

    FreedbOutcome outcome;
    const Message last = target->Last();
    switch (last.id) {
        case WM_FREEDB_QUERY_DONE:
        case WM_FREEDB_READ_DONE:
        case WM_FREEDB_SUBMIT_DONE:
            outcome.kind = FreedbOutcome::Kind::kDone;
            outcome.text = last.text;
            outcome.lParam = static_cast<std::uint32_t>(last.lParam);
            break;
        case WM_FREEDB_ERROR:
        case WM_FREEDB_SUBMIT_FAILED:
            outcome.kind = FreedbOutcome::Kind::kFailed;
            outcome.text = last.text;
            break;
        default:
            outcome.kind = result != 0 && request->cancelEvent && request->cancelEvent->IsSet()
                               ? FreedbOutcome::Kind::kCancelled
                               : FreedbOutcome::Kind::kFailed;
            break;
    }
    return outcome;
}

FreedbLookup LookUpDisc(const FreedbServerSettings& settings,
                        std::span<const std::uint8_t, kTocResponseSize> msfToc, int pick,
                        DiscInfo& disc, std::shared_ptr<Event> cancelEvent,
                        const FreedbStatusCallback& onStatus) {
    FreedbLookup lookup;
    const FreedbQueryStart query = MakeQueryRequest(settings, msfToc);
    if (!query.request) {
        lookup.outcome = {FreedbOutcome::Kind::kFailed, Tr(kNoDiscIdText)};
        return lookup;
    }
    lookup.discId = query.discId;
    if (cancelEvent)
        query.request->cancelEvent = cancelEvent;
    lookup.outcome = RunFreedbRequest(query.request, false, onStatus);
    if (lookup.outcome.kind != FreedbOutcome::Kind::kDone)
        return lookup;
    lookup.matches = query.request->matches;

    const FreedbNextStep next = NextAfterQuery(lookup.matches, pick);
    switch (next.kind) {
        case FreedbNextStep::Kind::kNoMatch:
            lookup.outcome = {FreedbOutcome::Kind::kNoMatch, Tr(kNoMatchText)};
            return lookup;
        case FreedbNextStep::Kind::kBadPick:
            lookup.outcome = {FreedbOutcome::Kind::kBadPick, {}};
            return lookup;
        case FreedbNextStep::Kind::kRead:
            lookup.picked = static_cast<int>(next.match);
            break;
        case FreedbNextStep::Kind::kChoose:
            lookup.picked = 0;  // nobody to ask: the first, as OK without a selection reads
            break;
    }
    auto read = MakeReadRequest(settings, lookup.matches[static_cast<std::size_t>(lookup.picked)]);
    read->cancelEvent = query.request->cancelEvent;
    lookup.outcome = RunFreedbRequest(read, false, onStatus);
    if (lookup.outcome.kind != FreedbOutcome::Kind::kDone)
        return lookup;
    if (!ApplyReadResult(read->readResult, lookup.outcome.lParam, disc))
        lookup.outcome = {FreedbOutcome::Kind::kNoMatch, Tr(kNoMatchText)};
    return lookup;
}

FreedbOutcome SubmitDiscAndWait(const SubmitForm& form,
                                std::span<const std::uint8_t, kTocResponseSize> msfToc,
                                const FreedbServerSettings& settings, DiscInfo& disc,
                                std::shared_ptr<Event> cancelEvent,
                                const FreedbStatusCallback& onStatus) {
    std::string message;
    auto request = SubmitDisc(form, msfToc, settings, disc, &message);
    if (!request)
        return {FreedbOutcome::Kind::kFailed, message};
    if (cancelEvent)
        request->cancelEvent = cancelEvent;
    return RunFreedbRequest(request, true, onStatus);
}

}  // namespace korvida

#include "core/verify/CtdbLookup.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/jobs/Event.h"
#include "core/net/HttpGet.h"
#include "core/platform/ThreadGuard.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

using Status = CtdbLookupResult::Status;

CtdbLookupResult Failed(const std::string& text) {
    CtdbLookupResult result;
    result.status = Status::kFailed;
    result.detail = text;
    return result;
}

}  // namespace

struct CtdbLookup::State {
    CtdbDisc disc;
    Settings settings;
    Event cancel{true};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    CtdbLookupResult result;

    void End(CtdbLookupResult value) {
        std::lock_guard lock(mutex);
        result = std::move(value);
        done = true;
        ended.notify_all();
    }
};

CtdbLookupResult CtdbLookup::Run(const CtdbDisc& disc, const Settings& settings, Event* cancel) {
    CtdbLookupResult result;
    HttpRequest request;
    request.url = CtdbLookupUrl(settings.CtdbServer, disc);
    request.userAgent = KorvidaUserAgent();
    request.proxySettings = &settings;
    request.connectTimeoutMs = 10000;
    request.totalTimeoutMs = 60000;
    // Entries carry their parity as text: a popular disc's reply runs to some hundred kB.
    request.maxBytes = 4u << 20;
    request.cancel = cancel;
    const HttpResponse response = HttpGet(request);
    if (response.outcome == HttpResponse::Outcome::kCancelled) {
        result.status = Status::kNotFinished;
    } else if (response.outcome != HttpResponse::Outcome::kOk) {
        return Failed(response.errorText);
    } else if (response.status == 404) {
        result.status = Status::kNotInDatabase;
    } else if (!response.Ok()) {
        return Failed("HTTP " + std::to_string(response.status));
    } else {
        result.reply = ParseCtdbReply(response.body.data(), response.body.size());
        result.status = result.reply.ok ? Status::kFound : Status::kUnreadable;
        result.detail = result.reply.problem;
    }
    return result;
}

void CtdbLookup::Start(const CtdbDisc& disc, const Settings& settings) {
    if (state_ || !disc.ok || !settings.AccurateRipVerify || !settings.CtdbVerify ||
        !settings.CtdbLookup)
        return;
    state_ = std::make_shared<State>();
    state_->disc = disc;
    state_->settings = settings;
    try {
        thread_ = StartGuardedThread(
            [state = state_] { state->End(Run(state->disc, state->settings, &state->cancel)); },
            [state = state_](const std::string& text) { state->End(Failed(text)); });
    } catch (const std::exception& error) {
        // No thread for the lookup: the rip goes on and its verdict says why.
        state_->End(Failed(UnexpectedErrorText(error.what())));
    }
}

CtdbLookupResult CtdbLookup::Finish(std::uint32_t graceMs) {
    if (!state_)
        return {};
    CtdbLookupResult result;
    {
        std::unique_lock lock(state_->mutex);
        if (state_->ended.wait_for(lock, std::chrono::milliseconds(graceMs),
                                   [&] { return state_->done; }))
            result = std::move(state_->result);
        else
            result.status = Status::kNotFinished;
    }
    state_->cancel.Set();
    if (thread_.joinable())
        thread_.join();
    state_.reset();
    return result;
}

CtdbLookup::~CtdbLookup() {
    if (state_)
        state_->cancel.Set();
    if (thread_.joinable())
        thread_.join();
}

}  // namespace korvida

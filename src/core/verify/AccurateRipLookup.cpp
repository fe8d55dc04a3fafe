#include "core/verify/AccurateRipLookup.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/jobs/Event.h"
#include "core/net/HttpGet.h"
#include "core/platform/ThreadGuard.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

using Status = AccurateRipLookupResult::Status;

}  // namespace

std::string AccurateRipUrl(const std::string& server, const AccurateRipDisc& disc) {
    std::string base = server.find("://") == std::string::npos ? "http://" + server : server;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/accuraterip/" + disc.DatabasePath();
}

struct AccurateRipLookup::State {
    AccurateRipDisc disc;
    Settings settings;
    Event cancel{true};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    AccurateRipLookupResult result;
};

AccurateRipLookupResult AccurateRipLookup::Run(const AccurateRipDisc& disc,
                                               const Settings& settings, Event* cancel) {
    AccurateRipLookupResult result;
    HttpRequest request;
    request.url = AccurateRipUrl(settings.AccurateRipServer, disc);
    request.userAgent = KorvidaUserAgent();
    request.proxySettings = &settings;
    request.connectTimeoutMs = 10000;
    request.totalTimeoutMs = 60000;
    request.maxBytes = 1u << 20;  // a pressing is at most 13 + 99 × 9 bytes
    request.cancel = cancel;
    const HttpResponse response = HttpGet(request);
    if (response.outcome == HttpResponse::Outcome::kCancelled) {
        result.status = Status::kNotFinished;
    } else if (response.outcome != HttpResponse::Outcome::kOk) {
        result.status = Status::kFailed;
        result.detail = response.errorText;
    } else if (response.status == 404) {
        result.status = Status::kNotInDatabase;
    } else if (!response.Ok()) {
        result.status = Status::kFailed;
        result.detail = "HTTP " + std::to_string(response.status);
    } else {
        result.reply = ParseAccurateRipReply(response.body.data(), response.body.size(), disc);
        result.status = result.reply.ok ? Status::kFound : Status::kUnreadable;
        result.detail = result.reply.problem;
    }
    return result;
}

void AccurateRipLookup::Start(const AccurateRipDisc& disc, const Settings& settings) {
    if (state_ || !disc.ok || !settings.AccurateRipVerify || !settings.AccurateRipLookup)
        return;
    state_ = std::make_shared<State>();
    state_->disc = disc;
    state_->settings = settings;
    const auto end = [](State& state, AccurateRipLookupResult result) {
        std::lock_guard lock(state.mutex);
        state.result = std::move(result);
        state.done = true;
        state.ended.notify_all();
    };
    const auto failed = [](const std::string& text) {
        AccurateRipLookupResult result;
        result.status = Status::kFailed;
        result.detail = text;
        return result;
    };
    try {
        thread_ = StartGuardedThread(
            [state = state_, end] {
                end(*state, Run(state->disc, state->settings, &state->cancel));
            },
            [state = state_, end, failed](const std::string& text) { end(*state, failed(text)); });
    } catch (const std::exception& error) {
        // No thread for the lookup: the rip goes on and its verdict says why.
        end(*state_, failed(UnexpectedErrorText(error.what())));
    }
}

AccurateRipLookupResult AccurateRipLookup::Finish(std::uint32_t graceMs) {
    if (!state_)
        return {};
    AccurateRipLookupResult result;
    {
        std::unique_lock lock(state_->mutex);
        if (state_->ended.wait_for(lock, std::chrono::milliseconds(graceMs),
                                   [&] { return state_->done; })) {
            result = std::move(state_->result);
        } else {
            result.status = Status::kNotFinished;
        }
    }
    state_->cancel.Set();
    if (thread_.joinable())
        thread_.join();
    state_.reset();
    return result;
}

AccurateRipLookup::~AccurateRipLookup() {
    if (state_)
        state_->cancel.Set();
    if (thread_.joinable())
        thread_.join();
}

}  // namespace korvida

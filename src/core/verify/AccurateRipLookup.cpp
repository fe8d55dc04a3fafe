#include "core/verify/AccurateRipLookup.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "core/jobs/Event.h"
#include "core/net/HttpGet.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

using Status = AccurateRipLookupResult::Status;

// The host part of "host", "host:port", "http://host:port/path", "[::1]:port".
std::string HostOf(std::string server) {
    if (const auto scheme = server.find("://"); scheme != std::string::npos)
        server.erase(0, scheme + 3);
    server = server.substr(0, server.find('/'));
    if (!server.empty() && server.front() == '[')
        return server.substr(1, server.find(']') - 1);
    if (server.find(':') != server.rfind(':'))
        return server;  // a bare IPv6 address
    return server.substr(0, server.find(':'));
}

}  // namespace

std::string AccurateRipUrl(const std::string& server, const AccurateRipDisc& disc) {
    std::string base = server.find("://") == std::string::npos ? "http://" + server : server;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/accuraterip/" + disc.DatabasePath();
}

bool AccurateRipServerForbidden(const std::string& server) {
    const char* only = std::getenv("KORVIDA_LOOPBACK_ONLY");
    if (only == nullptr || *only == '\0')
        return false;
    const std::string host = HostOf(server);
    return !(host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0);
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
    if (AccurateRipServerForbidden(settings.AccurateRipServer)) {
        result.status = Status::kFailed;
        result.detail = "只允许查询本机服务器: " + settings.AccurateRipServer;
        return result;
    }
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
    thread_ = std::thread([state = state_] {
        AccurateRipLookupResult result = Run(state->disc, state->settings, &state->cancel);
        std::lock_guard lock(state->mutex);
        state->result = std::move(result);
        state->done = true;
        state->ended.notify_all();
    });
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

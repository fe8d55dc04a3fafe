#include "core/verify/AccurateRipLookup.h"

#include "core/jobs/Event.h"
#include "core/net/HttpGet.h"
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
    if (pending_.Started() || !disc.ok || !settings.AccurateRipVerify ||
        !settings.AccurateRipLookup)
        return;
    pending_.Start([disc, settings](Event& cancel) { return Run(disc, settings, &cancel); });
}

AccurateRipLookupResult AccurateRipLookup::Finish(std::uint32_t graceMs) {
    return pending_.Finish(graceMs);
}

}  // namespace korvida

#include "core/verify/CtdbLookup.h"

#include "core/jobs/Event.h"
#include "core/net/HttpGet.h"
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
    if (pending_.Started() || !disc.ok || !settings.AccurateRipVerify || !settings.CtdbVerify ||
        !settings.CtdbLookup)
        return;
    pending_.Start([disc, settings](Event& cancel) { return Run(disc, settings, &cancel); });
}

CtdbLookupResult CtdbLookup::Finish(std::uint32_t graceMs) {
    return pending_.Finish(graceMs);
}

}  // namespace korvida

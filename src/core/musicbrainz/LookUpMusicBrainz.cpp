#include "core/musicbrainz/LookUpMusicBrainz.h"

#include <algorithm>

#include "core/musicbrainz/MusicBrainzReply.h"
#include "core/net/HttpGet.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"

namespace korvida {

namespace {

// MusicBrainz asks every client for at most one request a second.
constexpr std::uint32_t kMinIntervalMs = 1000;
// The release group and the recordings come with their genres too: a release seldom
// has genres of its own.
constexpr const char* kIncludes =
    "inc=artist-credits+recordings+release-groups+genres&cdstubs=no&fmt=json";

std::string ServerBase(const std::string& server) {
    std::string base = server;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string TocParameter(const std::string& toc) {
    std::string value = toc;
    std::replace(value.begin(), value.end(), ' ', '+');
    return value;
}

std::string StatusText(long status) {
    if (status == 503)
        return Tr("MusicBrainz 服务器暂时不能回应 (HTTP 503)，请稍后再试。");
    return FormatText(Tr("MusicBrainz 服务器回应错误 (HTTP %ld)。"), status);
}

enum class Step { kReleases, kNothing, kStop };

// One request: the releases it found into `lookup` (kReleases), nothing found (kNothing),
// or the lookup ends here (kStop, with its outcome set).
Step Request(const std::string& url, const Settings& settings, Event* cancel,
             std::uint32_t timeoutMs, const std::function<void(const std::string&)>& onWait,
             MusicBrainzLookup& lookup) {
    HttpRequest request;
    request.url = url;
    request.userAgent = KorvidaUserAgent();
    request.headers = {"Accept: application/json"};
    request.proxySettings = &settings;
    request.connectTimeoutMs = std::min<std::uint32_t>(timeoutMs, 15000);
    request.totalTimeoutMs = timeoutMs;
    request.maxBytes = 8u << 20;
    request.cancel = cancel;
    request.minIntervalMs = kMinIntervalMs;
    request.onWait = onWait;
    const HttpResponse response = HttpGet(request);

    if (response.outcome != HttpResponse::Outcome::kOk) {
        lookup.outcome = response.outcome == HttpResponse::Outcome::kCancelled
                             ? MusicBrainzLookup::Outcome::kCancelled
                             : MusicBrainzLookup::Outcome::kFailed;
        lookup.errorText = response.errorText;
        return Step::kStop;
    }
    if (response.status == 404)
        return Step::kNothing;
    if (!response.Ok()) {
        lookup.outcome = MusicBrainzLookup::Outcome::kFailed;
        lookup.errorText = StatusText(response.status);
        return Step::kStop;
    }
    MusicBrainzReply reply =
        ParseMusicBrainzReply(response.BodyText(), lookup.disc.id, lookup.disc.trackSectors);
    if (!reply.ok) {
        lookup.outcome = MusicBrainzLookup::Outcome::kFailed;
        lookup.errorText = reply.errorText;
        return Step::kStop;
    }
    if (reply.releases.empty())
        return Step::kNothing;
    lookup.outcome = MusicBrainzLookup::Outcome::kFound;
    lookup.releases = std::move(reply.releases);
    return Step::kReleases;
}

}  // namespace

MusicBrainzLookup LookUpMusicBrainz(std::span<const std::uint8_t, kTocResponseSize> lbaToc,
                                    const Settings& settings, Event* cancel,
                                    std::uint32_t timeoutMs,
                                    std::function<void(const std::string&)> onWait) {
    MusicBrainzLookup lookup;
    lookup.disc = ComputeMusicBrainzDiscId(lbaToc);
    if (!lookup.disc.ok) {
        lookup.errorText = Tr("这张唱片没有音轨，无法计算 MusicBrainz 唱片标识。");
        return lookup;
    }
    const std::string base =
        ServerBase(settings.MusicBrainzServer) + "/ws/2/discid/" + lookup.disc.id;

    Step step = Request(base + "?" + kIncludes, settings, cancel, timeoutMs, onWait, lookup);
    if (step == Step::kNothing) {
        lookup.byToc = true;
        step = Request(base + "?toc=" + TocParameter(lookup.disc.toc) + "&" + kIncludes, settings,
                       cancel, timeoutMs, onWait, lookup);
    }
    if (step == Step::kNothing) {
        lookup.byToc = false;
        lookup.outcome = MusicBrainzLookup::Outcome::kNotFound;
    }
    return lookup;
}

}  // namespace korvida

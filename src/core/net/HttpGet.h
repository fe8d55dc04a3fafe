#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvida {

class Event;
struct Settings;

// One GET over HTTP or HTTPS (libcurl), for the web services beyond freedb: MusicBrainz,
// the Cover Art Archive, the AccurateRip database. The freedb transport is separate and
// stays as it is. Under KORVIDA_LOOPBACK_ONLY every hop (each redirect, the proxy) must
// be this machine: a named host other than localhost is refused before it is resolved,
// and every address connected to is checked as the socket is made.
struct HttpRequest {
    std::string url;  // "https://…" or "http://…"; a bare host gets "http://"
    // Every request names the program, its version and a contact; services refuse
    // anonymous clients.
    std::string userAgent;
    std::vector<std::string> headers;  // extra "Name: value" lines
    // The freedb proxy settings ([CDDB] bProxy, ProxyServer, ProxyPort, ProxyAuthorization,
    // ProxyUsername, ProxyPassword) are reused when set.
    const Settings* proxySettings = nullptr;
    std::uint32_t connectTimeoutMs = 15000;
    std::uint32_t totalTimeoutMs = 60000;  // the whole exchange, redirects included
    std::size_t maxBytes = 16u << 20;      // a longer body fails the request
    int maxRedirects = 5;                  // redirects are followed up to this many
    // Set (manual or auto reset) to abandon the request; tested while it runs.
    Event* cancel = nullptr;
    // Requests to one host are spaced at least this far apart, across threads and
    // processes (a lock file in the app home, or the user's runtime folder), as
    // MusicBrainz asks of every client (one a second).
    std::uint32_t minIntervalMs = 0;
    // A busy server (503) that names a wait (Retry-After) of at most kMaxRetryAfterMs is
    // asked once more after it; this is told of the wait first, for a log or progress
    // line. The wait ends at once on a cancel.
    std::function<void(const std::string& text)> onWait;
};

inline constexpr std::uint32_t kMaxRetryAfterMs = 30000;

struct HttpResponse {
    enum class Outcome { kOk, kCancelled, kTimedOut, kTooLarge, kFailed };
    Outcome outcome = Outcome::kFailed;
    long status = 0;  // the final HTTP status when the exchange completed (kOk)
    std::string contentType;
    std::string effectiveUrl;         // after redirects
    long long retryAfterSeconds = 0;  // the reply's Retry-After, 0 when it named none
    std::vector<std::uint8_t> body;   // kOk only
    std::string errorText;            // Chinese text for the user when not kOk
    bool Ok() const { return outcome == Outcome::kOk && status >= 200 && status < 300; }
    std::string BodyText() const { return std::string(body.begin(), body.end()); }
};

// Blocking; safe to call from several threads at once.
HttpResponse HttpGet(const HttpRequest& request);

// "Korvida/<version> ( <contact> )", the User-Agent of every request.
std::string KorvidaUserAgent();

}  // namespace korvida

#include "core/net/HttpGet.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "core/jobs/Event.h"
#include "core/platform/AppHome.h"
#include "core/platform/LoopbackOnly.h"
#include "core/platform/NetworkErrorText.h"
#include "core/platform/UniqueFd.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"

namespace korvida {

namespace {

using Clock = std::chrono::steady_clock;

// The contact the web services ask every client to name, so they can reach its makers
// before they block it.
constexpr const char* kContact = "korvida@example.org";

// How often a waiting request looks at its cancel event: a cancel ends it this fast.
constexpr int kSliceMs = 50;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool Cancelled(const HttpRequest& request) {
    return request.cancel && request.cancel->IsSet();
}

std::string WithScheme(const std::string& url) {
    return url.find("://") == std::string::npos ? "http://" + url : url;
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// One part of `url` as curl's own parser reads it (what curl will connect to), lower
// case for the host; none when the URL does not parse.
std::optional<std::string> UrlPart(const std::string& url, CURLUPart which) {
    std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    char* part = nullptr;
    if (curl_url_get(handle.get(), which, &part, 0) != CURLUE_OK || part == nullptr)
        return std::nullopt;
    std::string text = part;
    curl_free(part);
    if (which == CURLUPART_HOST)
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The host the per-host spacing is kept for; the whole URL when it does not parse (the
// request then fails in libcurl anyway).
std::string HostOf(const std::string& url) {
    return UrlPart(url, CURLUPART_HOST).value_or(url);
}

// Milliseconds of the wall clock, which every process shares.
std::int64_t WallMs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Where the spacing between processes is kept: the app home in portable mode (each test
// its own), else the user's runtime folder, else the cache folder.
std::string SpacingFile() {
    std::string folder;
    if (IsPortableMode()) {
        folder = AppHome();
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        folder = std::string(runtime) + "/korvida/";
    } else if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) {
        folder = std::string(cache) + "/korvida/";
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::string(home) + "/.cache/korvida/";
    } else {
        return {};
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder + "net-spacing";
}

// The next free start (wall clock) of `host` as the lock file holds it, replaced by
// `reserve(held)`; one line "host ms" per host. The file is locked (flock) for the read
// and the write only. False when the file cannot be used: the caller then spaces the
// requests of this process alone.
template <class Reserve>
bool ReserveInFile(const std::string& host, Reserve reserve) {
    const std::string path = SpacingFile();
    if (path.empty())
        return false;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.valid())
        return false;
    int locked;
    do {
        locked = ::flock(fd.get(), LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0)
        return false;
    std::string text;
    char chunk[4096];
    for (ssize_t n;
         (n = ::pread(fd.get(), chunk, sizeof chunk, static_cast<off_t>(text.size()))) > 0;)
        text.append(chunk, static_cast<std::size_t>(n));
    std::map<std::string, std::int64_t> next;
    std::istringstream lines(text);
    for (std::string name; lines >> name;) {
        std::int64_t ms = 0;
        if (!(lines >> ms))
            break;
        next[name] = ms;
    }
    next[host] = reserve(next.count(host) ? std::optional<std::int64_t>(next[host]) : std::nullopt);
    std::string out;
    for (const auto& [name, ms] : next)
        out += name + " " + std::to_string(ms) + "\n";
    const bool written =
        ::pwrite(fd.get(), out.data(), out.size(), 0) == static_cast<ssize_t>(out.size()) &&
        ::ftruncate(fd.get(), static_cast<off_t>(out.size())) == 0;
    ::flock(fd.get(), LOCK_UN);
    return written;
}

// Reserves the next start time for `host` and returns it: requests from every thread and
// every process queue up one interval apart, in the order they asked.
Clock::time_point ReserveStart(const std::string& host, std::uint32_t minIntervalMs) {
    static std::mutex mutex;
    static std::map<std::string, Clock::time_point> nextFree;
    const Clock::time_point now = Clock::now();
    if (minIntervalMs == 0)
        return now;
    std::lock_guard lock(mutex);
    // Host names may not hold spaces, but a URL that did not parse might.
    std::string key = host;
    std::replace_if(
        key.begin(), key.end(), [](unsigned char c) { return std::isspace(c); }, '_');
    auto [slot, fresh] = nextFree.try_emplace(key, now);
    Clock::time_point start = fresh ? now : std::max(now, slot->second);
    const std::int64_t wallNow = WallMs();
    ReserveInFile(key, [&](std::optional<std::int64_t> held) {
        // A time further ahead than one interval is the wall clock set back: ignored.
        if (held && *held > wallNow && *held - wallNow <= std::int64_t{minIntervalMs})
            start = std::max(start, now + std::chrono::milliseconds(*held - wallNow));
        const auto ahead = std::chrono::duration_cast<std::chrono::milliseconds>(start - now);
        return wallNow + ahead.count() + std::int64_t{minIntervalMs};
    });
    slot->second = start + std::chrono::milliseconds(minIntervalMs);
    return start;
}

// False when cancelled before `until`.
bool WaitUntil(Clock::time_point until, const HttpRequest& request) {
    while (Clock::now() < until) {
        if (Cancelled(request))
            return false;
        const auto left = until - Clock::now();
        std::this_thread::sleep_for(
            std::min<Clock::duration>(left, std::chrono::milliseconds(kSliceMs)));
    }
    return !Cancelled(request);
}

struct Transfer {
    const HttpRequest* request = nullptr;
    std::vector<std::uint8_t> body;
    bool tooLarge = false;
    bool loopbackOnly = false;
    bool refused = false;  // the socket callback refused an address off this machine
};

// Every socket libcurl makes for a connection (to the server, to the proxy, for each
// redirect and each address it tries) is made here, so the loopback-only rule holds for
// the address actually connected, whatever a name resolved to.
curl_socket_t OnOpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->loopbackOnly && !IsLoopbackAddress(&address->addr, address->addrlen)) {
        transfer->refused = true;
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->request->maxBytes) {
        transfer->tooLarge = true;
        return 0;  // libcurl ends the transfer with a write error
    }
    transfer->body.insert(transfer->body.end(), data, data + bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return Cancelled(*static_cast<Transfer*>(user)->request) ? 1 : 0;
}

std::string CancelledText() {
    return Tr("用户取消操作。");
}

// What a connection failed to reach, for the user: the proxy when one is set, else the
// URL's host with its port when the URL gives one.
std::string PeerOf(const std::string& url, const Settings* proxy) {
    if (proxy && proxy->bProxy && !proxy->ProxyServer.empty())
        return proxy->ProxyServer + ":" + std::to_string(proxy->ProxyPort);
    const std::string host = HostOf(url);
    const auto port = UrlPart(url, CURLUPART_PORT);
    return port ? host + ":" + *port : host;
}

std::string ErrorTextFor(CURLcode code, CURL* easy, const HttpRequest& request,
                         const std::string& url, const std::string& host) {
    long osError = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError);
    const std::string peer = PeerOf(url, request.proxySettings);
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return FormatText(Tr("网络错误：找不到主机 %s。"), host.c_str());
        case CURLE_COULDNT_CONNECT:
            if (osError != 0)
                return NetworkErrorText(static_cast<int>(osError), peer);
            return FormatText(Tr("网络错误：无法连接到服务器 %s。"), peer.c_str());
        case CURLE_OPERATION_TIMEDOUT:
            return FormatText(Tr("等待服务器 %s 回应超时 (%lld 秒无响应)。"), host.c_str(),
                              static_cast<long long>((request.totalTimeoutMs + 999) / 1000));
        case CURLE_TOO_MANY_REDIRECTS:
            return FormatText(Tr("服务器 %s 的重定向次数太多 (最多 %d 次)。"), host.c_str(),
                              request.maxRedirects);
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
            return FormatText(Tr("与服务器 %s 的安全连接失败：%s。"), host.c_str(),
                              curl_easy_strerror(code));
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return FormatText(Tr("服务器地址无效：%s。"), url.c_str());
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            if (osError != 0)
                return NetworkErrorText(static_cast<int>(osError), peer);
            [[fallthrough]];
        default:
            return FormatText(Tr("网络错误 (代码 = %d)：%s (服务器 %s)。"), static_cast<int>(code),
                              curl_easy_strerror(code), peer.c_str());
    }
}

void SetProxy(CURL* easy, const Settings* settings) {
    // Only the program's own proxy settings count: a proxy from the environment would make
    // the same settings behave differently from one shell to the next.
    if (!settings || !settings->bProxy || settings->ProxyServer.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        return;
    }
    curl_easy_setopt(easy, CURLOPT_PROXY, settings->ProxyServer.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(settings->ProxyPort));
    curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    if (settings->ProxyAuthorization && !settings->ProxyUsername.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, settings->ProxyUsername.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, settings->ProxyPassword.c_str());
    }
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

HttpResponse Fail(HttpResponse::Outcome outcome, std::string text) {
    HttpResponse response;
    response.outcome = outcome;
    response.errorText = std::move(text);
    return response;
}

}  // namespace

std::string KorvidaUserAgent() {
    return std::string("Korvida/") + KORVIDA_VERSION + " ( " + kContact + " )";
}

namespace {

// The loopback-only rule for one hop, before anything is resolved: the URL's host and the
// proxy's must name this machine as written. Empty when the hop may go.
std::string RefusalBeforeResolving(const std::string& url, const Settings* proxy) {
    if (!LoopbackOnly())
        return {};
    const std::optional<std::string> host = UrlPart(url, CURLUPART_HOST);
    // Through a proxy the server's name goes to the proxy unresolved; the proxy is the
    // hop that must be this machine.
    const bool viaProxy = proxy && proxy->bProxy && !proxy->ProxyServer.empty();
    if (viaProxy) {
        const std::string& server = proxy->ProxyServer;
        const std::optional<std::string> proxyHost = UrlPart(
            server.find("://") == std::string::npos ? "http://" + server : server, CURLUPART_HOST);
        if (!proxyHost || !IsLoopbackHost(*proxyHost))
            return LoopbackOnlyText(server);
        return {};
    }
    if (host && !IsLoopbackHost(*host))
        return LoopbackOnlyText(url);
    return {};
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The request's header lines as libcurl takes them. False when memory ran out.
bool BuildHeaders(const HttpRequest& request, std::unique_ptr<curl_slist, ListDeleter>& headers) {
    for (const std::string& line : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown)
            return false;
        (void)headers.release();
        headers.reset(grown);
    }
    return true;
}

// What stays the same for every hop of an exchange.
void SetOptions(CURL* e, const HttpRequest& request, Transfer& transfer, curl_slist* headers) {
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
    if (!request.userAgent.empty())
        curl_easy_setopt(e, CURLOPT_USERAGENT, request.userAgent.c_str());
    if (headers)
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, OnOpenSocket);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, &transfer);
    SetProxy(e, request.proxySettings);
}

// Runs one hop's transfer to its end. The multi interface so that a quiet connection
// still wakes up every slice: the progress callback alone runs only about once a second
// while nothing arrives. `cancelled` when the request's cancel event ended it.
CURLcode Perform(CURLM* multi, CURL* e, const HttpRequest& request, bool& cancelled) {
    curl_multi_add_handle(multi, e);
    CURLcode result = CURLE_OK;
    cancelled = false;
    for (;;) {
        int running = 0;
        const CURLMcode step = curl_multi_perform(multi, &running);
        if (step != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            }
            break;
        }
        if (Cancelled(request)) {
            cancelled = true;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, kSliceMs, nullptr);
    }
    curl_multi_remove_handle(multi, e);
    return result;
}

// How a hop's transfer failed, in the user's words; none when it brought an answer.
std::optional<HttpResponse> HopFailure(CURLcode result, bool cancelled, const Transfer& transfer,
                                       CURL* e, const HttpRequest& request, const std::string& url,
                                       const std::string& host) {
    if (cancelled || result == CURLE_ABORTED_BY_CALLBACK)
        return Fail(HttpResponse::Outcome::kCancelled, CancelledText());
    if (transfer.refused)
        return Fail(HttpResponse::Outcome::kFailed, LoopbackOnlyText(url));
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        return Fail(HttpResponse::Outcome::kTooLarge,
                    FormatText(Tr("服务器 %s 的回应太长 (最多 %lld 字节)。"), host.c_str(),
                               static_cast<long long>(request.maxBytes)));
    }
    if (result == CURLE_OPERATION_TIMEDOUT)
        return Fail(HttpResponse::Outcome::kTimedOut, ErrorTextFor(result, e, request, url, host));
    if (result != CURLE_OK)
        return Fail(HttpResponse::Outcome::kFailed, ErrorTextFor(result, e, request, url, host));
    return std::nullopt;
}

// The answer of the last hop, whatever its status: the body, its type, and a busy
// server's Retry-After.
HttpResponse Answer(CURL* e, long status, Transfer& transfer, const std::string& url,
                    const std::string& host) {
    HttpResponse response;
    response.outcome = HttpResponse::Outcome::kOk;
    response.status = status;
    const char* contentType = nullptr;
    if (curl_easy_getinfo(e, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        response.contentType = contentType;
    response.effectiveUrl = url;
    curl_off_t retryAfter = 0;
    if (curl_easy_getinfo(e, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK)
        response.retryAfterSeconds = static_cast<long long>(retryAfter);
    response.body = std::move(transfer.body);
    if (!response.Ok())
        response.errorText =
            FormatText(Tr("服务器 %s 回应 HTTP %ld。"), host.c_str(), response.status);
    return response;
}

// One exchange, redirects followed here (not by libcurl), so that each hop's URL is
// checked before it is resolved and every error names the hop that failed.
HttpResponse Exchange(const HttpRequest& request) {
    std::string url = WithScheme(request.url);
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi)
        return Fail(HttpResponse::Outcome::kFailed, Tr("网络错误：无法初始化网络库。"));

    Transfer transfer;
    transfer.request = &request;
    transfer.loopbackOnly = LoopbackOnly();
    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (!BuildHeaders(request, headers))
        return Fail(HttpResponse::Outcome::kFailed, Tr("网络错误：内存不足。"));
    CURL* e = easy.get();
    SetOptions(e, request, transfer, headers.get());

    std::optional<Clock::time_point> end;  // the whole exchange's, from its first hop
    for (int hop = 0;; ++hop) {
        const std::string host = HostOf(url);
        if (std::string refusal = RefusalBeforeResolving(url, request.proxySettings);
            !refusal.empty())
            return Fail(HttpResponse::Outcome::kFailed, std::move(refusal));
        if (!WaitUntil(ReserveStart(host, request.minIntervalMs), request))
            return Fail(HttpResponse::Outcome::kCancelled, CancelledText());
        if (!end)
            end = Clock::now() + std::chrono::milliseconds(request.totalTimeoutMs);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*end - Clock::now());
        if (left.count() <= 0)
            return Fail(HttpResponse::Outcome::kTimedOut,
                        ErrorTextFor(CURLE_OPERATION_TIMEDOUT, e, request, url, host));

        transfer.body.clear();
        transfer.tooLarge = false;
        transfer.refused = false;
        curl_easy_setopt(e, CURLOPT_URL, url.c_str());
        curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
        bool cancelled = false;
        const CURLcode result = Perform(multi.get(), e, request, cancelled);
        if (std::optional<HttpResponse> failure =
                HopFailure(result, cancelled, transfer, e, request, url, host))
            return std::move(*failure);

        long status = 0;
        curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);
        const char* location = nullptr;
        if (!IsRedirect(status) || request.maxRedirects <= 0 ||
            curl_easy_getinfo(e, CURLINFO_REDIRECT_URL, &location) != CURLE_OK || !location)
            return Answer(e, status, transfer, url, host);
        if (hop >= request.maxRedirects)
            return Fail(HttpResponse::Outcome::kFailed,
                        ErrorTextFor(CURLE_TOO_MANY_REDIRECTS, e, request, url, host));
        const std::string next = location;
        const std::optional<std::string> scheme = UrlPart(next, CURLUPART_SCHEME);
        if (!scheme || (*scheme != "http" && *scheme != "https"))
            return Fail(HttpResponse::Outcome::kFailed,
                        ErrorTextFor(CURLE_UNSUPPORTED_PROTOCOL, e, request, next, host));
        url = next;
    }
}

}  // namespace

HttpResponse HttpGet(const HttpRequest& request) {
    InitCurlOnce();
    HttpResponse response = Exchange(request);
    // A busy server that says when to come back is asked once more then, if that is soon.
    if (response.outcome != HttpResponse::Outcome::kOk || response.status != 503 ||
        response.retryAfterSeconds <= 0 ||
        response.retryAfterSeconds * 1000 > static_cast<long long>(kMaxRetryAfterMs))
        return response;
    if (request.onWait)
        request.onWait(FormatText(Tr("服务器 %s 繁忙，%lld 秒后再试一次……"),
                                  HostOf(WithScheme(request.url)).c_str(),
                                  response.retryAfterSeconds));
    if (!WaitUntil(Clock::now() + std::chrono::seconds(response.retryAfterSeconds), request))
        return Fail(HttpResponse::Outcome::kCancelled, CancelledText());
    return Exchange(request);
}

}  // namespace korvida

#include "core/net/HttpGet.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "core/jobs/Event.h"
#include "core/platform/NetworkErrorText.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"

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

// The host the per-host spacing is kept for; the whole URL when it does not parse (the
// request then fails in libcurl anyway).
std::string HostOf(const std::string& url) {
    std::string host = url;
    if (CURLU* handle = curl_url()) {
        char* part = nullptr;
        if (curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
            curl_url_get(handle, CURLUPART_HOST, &part, 0) == CURLUE_OK && part) {
            host = part;
        }
        curl_free(part);
        curl_url_cleanup(handle);
    }
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}

// Reserves the next start time for `host` and returns it: requests from every thread
// queue up one interval apart, in the order they asked.
Clock::time_point ReserveStart(const std::string& host, std::uint32_t minIntervalMs) {
    static std::mutex mutex;
    static std::map<std::string, Clock::time_point> nextFree;
    const Clock::time_point now = Clock::now();
    if (minIntervalMs == 0)
        return now;
    std::lock_guard lock(mutex);
    auto [slot, fresh] = nextFree.try_emplace(host, now);
    const Clock::time_point start = fresh ? now : std::max(now, slot->second);
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
};

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
    return "用户取消操作。";
}

std::string ErrorTextFor(CURLcode code, CURL* easy, const HttpRequest& request,
                         const std::string& host) {
    long osError = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError);
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return FormatText("网络错误：找不到主机 %s。", host.c_str());
        case CURLE_COULDNT_CONNECT:
            if (osError != 0)
                return NetworkErrorText(static_cast<int>(osError));
            return FormatText("网络错误：无法连接到服务器 %s。", host.c_str());
        case CURLE_OPERATION_TIMEDOUT:
            return FormatText("等待服务器 %s 回应超时 (%lld 秒无响应)。", host.c_str(),
                              static_cast<long long>((request.totalTimeoutMs + 999) / 1000));
        case CURLE_TOO_MANY_REDIRECTS:
            return FormatText("服务器 %s 的重定向次数太多 (最多 %d 次)。", host.c_str(),
                              request.maxRedirects);
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
            return FormatText("与服务器 %s 的安全连接失败：%s。", host.c_str(),
                              curl_easy_strerror(code));
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return FormatText("服务器地址无效：%s。", request.url.c_str());
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            if (osError != 0)
                return NetworkErrorText(static_cast<int>(osError));
            [[fallthrough]];
        default:
            return FormatText("网络错误 (代码 = %d)：%s。", static_cast<int>(code),
                              curl_easy_strerror(code));
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

HttpResponse HttpGet(const HttpRequest& request) {
    InitCurlOnce();
    const std::string url = WithScheme(request.url);
    const std::string host = HostOf(url);

    if (!WaitUntil(ReserveStart(host, request.minIntervalMs), request))
        return Fail(HttpResponse::Outcome::kCancelled, CancelledText());

    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi)
        return Fail(HttpResponse::Outcome::kFailed, "网络错误：无法初始化网络库。");

    Transfer transfer;
    transfer.request = &request;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown)
            return Fail(HttpResponse::Outcome::kFailed, "网络错误：内存不足。");
        (void)headers.release();
        headers.reset(grown);
    }

    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, request.maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, static_cast<long>(std::max(request.maxRedirects, 0)));
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(request.totalTimeoutMs));
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
    if (!request.userAgent.empty())
        curl_easy_setopt(e, CURLOPT_USERAGENT, request.userAgent.c_str());
    if (headers)
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &transfer);
    SetProxy(e, request.proxySettings);

    // The multi interface so that a quiet connection still wakes up every slice: the
    // progress callback alone runs only about once a second while nothing arrives.
    curl_multi_add_handle(multi.get(), e);
    CURLcode result = CURLE_OK;
    bool cancelled = false;
    for (;;) {
        int running = 0;
        const CURLMcode step = curl_multi_perform(multi.get(), &running);
        if (step != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            }
            break;
        }
        if (Cancelled(request)) {
            cancelled = true;
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kSliceMs, nullptr);
    }
    curl_multi_remove_handle(multi.get(), e);

    if (cancelled || result == CURLE_ABORTED_BY_CALLBACK)
        return Fail(HttpResponse::Outcome::kCancelled, CancelledText());
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        return Fail(HttpResponse::Outcome::kTooLarge,
                    FormatText("服务器 %s 的回应太长 (最多 %lld 字节)。", host.c_str(),
                               static_cast<long long>(request.maxBytes)));
    }
    if (result == CURLE_OPERATION_TIMEDOUT)
        return Fail(HttpResponse::Outcome::kTimedOut, ErrorTextFor(result, e, request, host));
    if (result != CURLE_OK)
        return Fail(HttpResponse::Outcome::kFailed, ErrorTextFor(result, e, request, host));

    HttpResponse response;
    response.outcome = HttpResponse::Outcome::kOk;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &response.status);
    const char* contentType = nullptr;
    if (curl_easy_getinfo(e, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
        response.contentType = contentType;
    const char* effective = nullptr;
    if (curl_easy_getinfo(e, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        response.effectiveUrl = effective;
    response.body = std::move(transfer.body);
    if (!response.Ok())
        response.errorText = FormatText("服务器 %s 回应 HTTP %ld。", host.c_str(), response.status);
    return response;
}

}  // namespace korvida

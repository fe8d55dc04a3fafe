#include "core/net/HttpGet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "core/jobs/Event.h"
#include "core/settings/Settings.h"
#include "support/TempHome.h"
#include "support/http/HttpTestServer.h"

namespace korvida {
namespace {

using test::HttpTestServer;
using Clock = std::chrono::steady_clock;

HttpRequest Get(const std::string& url) {
    HttpRequest request;
    request.url = url;
    request.userAgent = KorvidaUserAgent();
    request.connectTimeoutMs = 5000;
    request.totalTimeoutMs = 10000;
    return request;
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(HttpGet, FollowsARedirectAndSendsTheUserAgent) {
    HttpTestServer server;
    server.Redirect("/old", 302, server.BaseUrl() + "/new/place");
    server.Answer("/new", 200, "{\"a\":1}");

    const HttpResponse response = HttpGet(Get(server.BaseUrl() + "/old?x=1"));

    ASSERT_TRUE(response.Ok()) << response.errorText;
    EXPECT_EQ(response.BodyText(), "{\"a\":1}");
    EXPECT_EQ(response.contentType, "application/json");
    EXPECT_EQ(response.effectiveUrl, server.BaseUrl() + "/new/place");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/old?x=1");
    for (const auto& request : requests)
        EXPECT_EQ(request.Header("User-Agent"), KorvidaUserAgent());
    EXPECT_TRUE(KorvidaUserAgent().starts_with("Korvida/")) << KorvidaUserAgent();
    EXPECT_TRUE(KorvidaUserAgent().ends_with(" )")) << KorvidaUserAgent();
}

TEST(HttpGet, AnErrorStatusIsACompletedExchangeThatIsNotOk) {
    HttpTestServer server;
    server.Answer("/busy", 503, "slow down");
    server.Redirect("/loop", 302, "/loop");

    const HttpResponse missing = HttpGet(Get(server.BaseUrl() + "/nothing-here"));
    EXPECT_EQ(missing.outcome, HttpResponse::Outcome::kOk);
    EXPECT_EQ(missing.status, 404);
    EXPECT_FALSE(missing.Ok());
    EXPECT_NE(missing.errorText.find("404"), std::string::npos) << missing.errorText;

    EXPECT_EQ(HttpGet(Get(server.BaseUrl() + "/busy")).status, 503);

    HttpRequest loop = Get(server.BaseUrl() + "/loop");
    loop.maxRedirects = 2;
    const HttpResponse looped = HttpGet(loop);
    EXPECT_EQ(looped.outcome, HttpResponse::Outcome::kFailed);
    EXPECT_FALSE(looped.errorText.empty());

    // Nobody listening: the text names the server, as a file error names the file.
    const HttpResponse refused = HttpGet(Get("http://127.0.0.1:1/ws"));
    EXPECT_EQ(refused.outcome, HttpResponse::Outcome::kFailed);
    EXPECT_EQ(refused.errorText, "网络错误 (代码 = 111)：连接被拒绝 (服务器 127.0.0.1:1)。");
}

TEST(HttpGet, ASilentServerEndsInTheTimeoutAndACancelEndsItSooner) {
    HttpTestServer server;
    HttpTestServer::Route silent;
    silent.mode = HttpTestServer::Mode::kNeverAnswer;
    server.SetRoute("/", silent);

    HttpRequest timed = Get(server.BaseUrl() + "/slow");
    timed.totalTimeoutMs = 400;
    Clock::time_point start = Clock::now();
    const HttpResponse timedOut = HttpGet(timed);
    EXPECT_EQ(timedOut.outcome, HttpResponse::Outcome::kTimedOut);
    EXPECT_FALSE(timedOut.errorText.empty());
    EXPECT_GE(MsSince(start), 350);
    EXPECT_LT(MsSince(start), 5000);

    // The job's cancel event resets itself on a successful wait: the request must only
    // look at it, so the job's own stages still see the request afterwards.
    Event cancel(false);
    HttpRequest cancelled = Get(server.BaseUrl() + "/slow");
    cancelled.totalTimeoutMs = 30000;
    cancelled.cancel = &cancel;
    std::thread canceller([&] {
        server.WaitForRequests(2, 5000);
        cancel.Set();
    });
    start = Clock::now();
    const HttpResponse response = HttpGet(cancelled);
    canceller.join();
    EXPECT_EQ(response.outcome, HttpResponse::Outcome::kCancelled);
    EXPECT_LT(MsSince(start), 3000);
    EXPECT_TRUE(cancel.IsSet());
}

TEST(HttpGet, ABodyOverTheLimitFailsTheRequest) {
    HttpTestServer server;
    server.Answer("/big", 200, std::string(5000, 'x'), "image/jpeg");
    HttpRequest request = Get(server.BaseUrl() + "/big");
    request.maxBytes = 4999;
    const HttpResponse response = HttpGet(request);
    EXPECT_EQ(response.outcome, HttpResponse::Outcome::kTooLarge);
    EXPECT_TRUE(response.body.empty());
    request.maxBytes = 5000;
    EXPECT_EQ(HttpGet(request).body.size(), 5000u);
}

TEST(HttpGet, RequestsToOneHostKeepTheirDistanceAcrossThreads) {
    test::TempHome home;  // where the spacing between processes is kept
    HttpTestServer server;
    server.Answer("/", 200, "ok", "text/plain");
    HttpRequest request = Get(server.BaseUrl() + "/spaced");
    request.minIntervalMs = 300;
    std::thread other([&] { HttpGet(request); });
    HttpGet(request);
    HttpGet(request);
    other.join();

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (std::size_t i = 1; i < requests.size(); ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(
            requests[i].received - requests[i - 1].received);
        // Starts are spaced; arrivals may be closer when a loaded machine delays one
        // request's connection. Unspaced requests arrive within milliseconds.
        EXPECT_GE(gap.count(), 200) << "between requests " << i - 1 << " and " << i;
    }
}

TEST(HttpGet, GoesThroughTheFreedbProxyWithItsCredentials) {
    HttpTestServer proxy;
    proxy.Answer("http://names.invalid/", 200, "via proxy", "text/plain");
    Settings settings;
    settings.bProxy = 1;
    settings.ProxyServer = "127.0.0.1";
    settings.ProxyPort = proxy.port();
    settings.ProxyAuthorization = 1;
    settings.ProxyUsername = "ann";
    settings.ProxyPassword = "s3cret:x";
    HttpRequest request = Get("http://names.invalid/ws/2/x");
    request.proxySettings = &settings;

    const HttpResponse response = HttpGet(request);

    ASSERT_TRUE(response.Ok()) << response.errorText;
    EXPECT_EQ(response.BodyText(), "via proxy");
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "http://names.invalid/ws/2/x");
    // base64("ann:s3cret:x")
    EXPECT_EQ(requests[0].Header("Proxy-Authorization"), "Basic YW5uOnMzY3JldDp4");
}

// A busy server that says when to come back is asked once more then, the wait told
// first; a wait beyond the bound is not waited for, and a cancel ends one at once.
TEST(HttpGet, ABusyServerIsAskedAgainAfterTheWaitItNames) {
    HttpTestServer server;
    HttpTestServer::Route busy;
    busy.status = 503;
    busy.headers = {"Retry-After: 1"};
    server.SetRoute("/", busy);
    HttpRequest request = Get(server.BaseUrl() + "/ws");
    std::vector<std::string> told;
    request.onWait = [&](const std::string& text) { told.push_back(text); };
    std::thread recovers([&] {
        if (server.WaitForRequests(1, 5000))
            server.Answer("/", 200, "ok", "text/plain");
    });
    const HttpResponse response = HttpGet(request);
    recovers.join();
    ASSERT_TRUE(response.Ok()) << response.errorText;
    EXPECT_EQ(server.Requests().size(), 2u);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("1 秒"), std::string::npos) << told[0];

    busy.headers = {"Retry-After: 3600"};
    server.SetRoute("/", busy);
    EXPECT_EQ(HttpGet(request).status, 503);
    EXPECT_EQ(server.Requests().size(), 3u);

    busy.headers = {"Retry-After: 30"};
    server.SetRoute("/", busy);
    Event cancel(true);
    request.cancel = &cancel;
    request.onWait = [&](const std::string&) { cancel.Set(); };
    EXPECT_EQ(HttpGet(request).outcome, HttpResponse::Outcome::kCancelled);
    EXPECT_EQ(server.Requests().size(), 4u);
}

// Loopback only: every hop must be this machine, as curl reads the URL, and nothing is
// sent (or looked up) for one that is not; the error names the hop refused.
TEST(HttpGet, LoopbackOnlyHoldsForEveryHopAndNamesTheOneRefused) {
    ASSERT_TRUE(std::getenv("KORVIDA_LOOPBACK_ONLY"));
    HttpTestServer server;
    server.Answer("/", 200, "here", "text/plain");
    server.Redirect("/away", 307, "http://10.9.9.9:9/cover.jpg");
    const auto refusal = [](const HttpResponse& response) {
        EXPECT_EQ(response.outcome, HttpResponse::Outcome::kFailed);
        return response.errorText;
    };

    EXPECT_THAT(refusal(HttpGet(Get("http://127.0.0.1@10.9.9.9:9/"))),
                ::testing::StartsWith("只允许连接本机服务器: http://127.0.0.1@10.9.9.9:9/"));
    EXPECT_EQ(refusal(HttpGet(Get("http://127.example.net/ws"))),
              "只允许连接本机服务器: http://127.example.net/ws");
    const std::string redirected = refusal(HttpGet(Get(server.BaseUrl() + "/away")));
    EXPECT_EQ(redirected, "只允许连接本机服务器: http://10.9.9.9:9/cover.jpg");
    EXPECT_EQ(server.Requests().size(), 1u);

    Settings proxy;
    proxy.bProxy = 1;
    proxy.ProxyServer = "10.9.9.9";
    proxy.ProxyPort = 9;
    HttpRequest viaProxy = Get(server.BaseUrl() + "/");
    viaProxy.proxySettings = &proxy;
    EXPECT_EQ(refusal(HttpGet(viaProxy)), "只允许连接本机服务器: 10.9.9.9");

    // localhost is this machine by name: its addresses are checked as it is connected to.
    const HttpResponse local =
        HttpGet(Get("http://localhost:" + std::to_string(server.port()) + "/"));
    EXPECT_TRUE(local.Ok()) << local.errorText;
    EXPECT_EQ(server.Requests().size(), 2u);
}

}  // namespace
}  // namespace korvida

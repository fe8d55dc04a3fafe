#include <gtest/gtest.h>

#include <netdb.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "core/freedb/FreedbCommands.h"
#include "core/freedb/FreedbReplies.h"
#include "core/freedb/FreedbSubmission.h"
#include "core/freedb/FreedbTransport.h"
#include "core/jobs/Messages.h"
#include "core/text/Base64Encode.h"
#include "support/RecordingTarget.h"
#include "support/TempHome.h"
#include "support/freedb/FreedbRequestFormat.h"
#include "support/freedb/FreedbTestServer.h"

namespace korvida {
namespace {

using test::FreedbTestServer;
using test::RecordingTarget;

constexpr const char* kEmail = "me@example.net";

FreedbServerSettings Direct(const FreedbTestServer& server) {
    FreedbServerSettings s;
    s.Server = server.address();
    s.QueryScript = FreedbTestServer::kQueryScript;
    s.SubmitScript = FreedbTestServer::kSubmitScript;
    s.Email = kEmail;
    return s;
}

// The same server as the proxy in front of a freedb server that is never resolved.
FreedbServerSettings ViaProxy(const FreedbTestServer& server) {
    FreedbServerSettings s = Direct(server);
    s.Server = "freedb.invalid";
    s.bProxy = 1;
    s.ProxyServer = "127.0.0.1";
    s.ProxyPort = server.port();
    return s;
}

struct Transfer {
    std::shared_ptr<FreedbRequest> request;
    std::shared_ptr<RecordingTarget> messages;
    int result = 0;
};

// One exchange on this thread; `prepare` may change the request first.
Transfer Exchange(const FreedbServerSettings& settings, FreedbExchange exchange, std::string body,
                  const std::function<void(FreedbRequest&)>& prepare = {}) {
    Transfer run;
    run.request = MakeFreedbRequest(settings, exchange);
    run.messages = std::make_shared<RecordingTarget>();
    run.request->window = run.messages;
    run.request->body = std::move(body);
    if (prepare)
        prepare(*run.request);
    run.result =
        exchange == FreedbExchange::kSubmit ? SubmitThread(run.request) : QueryThread(run.request);
    EXPECT_TRUE(run.request->doneEvent->IsSet());
    return run;
}

std::string QueryBody() {
    FreedbTocSummary summary{};
    summary[0] = 0x12025603;
    summary[1] = 3;
    summary[2] = 150;
    summary[3] = 14250;
    summary[4] = 31530;
    summary[5] = 600;
    return BuildQueryCommand(summary, kEmail);
}

// A whole submission as the Submit button builds it.
std::string SubmissionBody() {
    FreedbTocSummary summary{};
    summary[0] = 0x12025603;
    summary[1] = 1;
    summary[2] = 150;
    summary[3] = 600;
    SubmissionText text;
    EXPECT_TRUE(
        BuildSubmissionText({"A", "B", "rock", "1", {"One"}}, summary, kEmail, text, nullptr));
    return text.body;
}

std::vector<std::string> Texts(const Transfer& run, unsigned id) {
    std::vector<std::string> texts;
    for (const Message& m : run.messages->messages()) {
        if (m.id == id)
            texts.push_back(m.text);
    }
    return texts;
}

TEST(QueryThread, DirectQueryIsSentByteForByteAndParsed) {
    FreedbTestServer server;
    const Transfer run = Exchange(Direct(server), FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.result, 0);
    const std::string body =
        "cmd=cddb+query+12025603+3+150+14250+31530+600&hello=me+example.net+Korvida+3.0"
        "&proto=6\r\n";
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "POST /~cddb/cddb.cgi HTTP/1.0\r\nHost: " + server.address() +
                                        "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                        "User-Agent: Korvida 3.0\r\nContent-Length: " +
                                        std::to_string(body.size()) + "\r\n\r\n" + body);

    EXPECT_EQ(Texts(run, WM_FREEDB_STATUS),
              (std::vector<std::string>{
                  "正在初始化 WinSock...", "连接到服务器: " + server.address() + " ...",
                  "正在发送询问命令...", "正在接收询问结果...", "正在处理询问结果..."}));
    const auto messages = run.messages->messages();
    EXPECT_EQ(messages.back().id, WM_FREEDB_QUERY_DONE);
    EXPECT_EQ(run.request->statusCode, 210);  // a list of one line at level 6
    ASSERT_EQ(run.request->matches.size(), 1u);
    EXPECT_EQ(run.request->matches[0].artist, "测试歌手");
    EXPECT_EQ(run.request->matches[0].title, "月光专辑");
}

TEST(QueryThread, ReadReportsRevisionInTheCompletionMessage) {
    FreedbTestServer server;
    const Transfer readRun = Exchange(Direct(server), FreedbExchange::kRead,
                                      BuildReadCommand("rock", "12025603", kEmail));
    const Message done = readRun.messages->messages().back();
    EXPECT_EQ(done.id, WM_FREEDB_READ_DONE);
    EXPECT_EQ(done.lParam, 5 << 16 | 1);
    const FreedbReadResult& r = readRun.request->readResult;
    EXPECT_EQ(r.category, "rock");
    ASSERT_EQ(r.titles.size(), 3u);
    EXPECT_EQ(r.titles[1].title, "Part oneand two");
    EXPECT_EQ(r.titles[2].title, "晚风 (现场)");

    const std::string body =
        "cmd=cddb+read+rock+12025603&hello=me+example.net+Korvida+3.0&proto=6\r\n";
    EXPECT_EQ(server.Requests()[0], "POST /~cddb/cddb.cgi HTTP/1.0\r\nHost: " + server.address() +
                                        "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                        "User-Agent: Korvida 3.0\r\nContent-Length: " +
                                        std::to_string(body.size()) + "\r\n\r\n" + body);

    // An entry without a revision line.
    const Transfer jazz = Exchange(Direct(server), FreedbExchange::kRead,
                                   BuildReadCommand("jazz", "29042a04", kEmail));
    EXPECT_EQ(jazz.messages->messages().back().lParam, 0);
}

// Proxy credentials: what the Proxy-Authorization line carries, if anything.
struct ProxyCase {
    const char* name;
    int authorization;
    const char* user;
    const char* password;
    const char* expectedLine;  // nullptr: no such line
};

class QueryThroughProxy : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(QueryThroughProxy, SendsAbsoluteFormAndCredentials) {
    const ProxyCase& c = GetParam();
    FreedbTestServer server;
    FreedbServerSettings settings = ViaProxy(server);
    settings.ProxyAuthorization = c.authorization;
    settings.ProxyUsername = c.user;
    settings.ProxyPassword = c.password;
    const std::string body = QueryBody();
    const Transfer run = Exchange(settings, FreedbExchange::kQuery, body);
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string credentials =
        c.expectedLine ? std::string("Proxy-Authorization: Basic ") + c.expectedLine + "\r\n" : "";
    EXPECT_EQ(server.Requests()[0],
              "POST http://freedb.invalid/~cddb/cddb.cgi HTTP/1.0\r\nHost: freedb.invalid\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\nUser-Agent: Korvida 3.0\r\n" +
                  credentials + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                  body);
    // The status names the freedb server, not the proxy.
    EXPECT_EQ(Texts(run, WM_FREEDB_STATUS)[1], "连接到服务器: freedb.invalid ...");
    EXPECT_EQ(run.request->matches.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Credentials, QueryThroughProxy,
                         ::testing::Values(ProxyCase{"off", 0, "user", "pw", nullptr},
                                           ProxyCase{"emptyUser", 1, "", "pw", nullptr},
                                           ProxyCase{"userAndPassword", 1, "user", "pw",
                                                     "dXNlcjpwdw=="},
                                           ProxyCase{"emptyPassword", 1, "user", "", "dXNlcjo="}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QueryThread, CredentialsTooLongForTheirBuffersAreRefused) {
    FreedbTestServer server;
    FreedbServerSettings settings = ViaProxy(server);
    settings.ProxyAuthorization = 1;
    settings.ProxyUsername = std::string(100, 'u');
    settings.ProxyPassword = std::string(88, 'p');  // 189 bytes with the colon: fits
    EXPECT_EQ(Exchange(settings, FreedbExchange::kQuery, QueryBody()).result, 0);
    settings.ProxyPassword += 'p';
    const Transfer run = Exchange(settings, FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(Texts(run, WM_FREEDB_ERROR),
              std::vector<std::string>{"代理服务器的用户名和密码太长 (合计最多 188 字节)。"});
    EXPECT_EQ(server.Connections(), 1);  // the refused one never connected
}

TEST(QueryThread, ReplyIsCutAt10240BytesAndStillParsed) {
    FreedbTestServer server;
    std::string reply = "HTTP/1.0 200 OK\r\n\r\n211 Found inexact matches\r\n";
    for (int i = 0; reply.size() < 30000; ++i)
        reply += "rock " + std::to_string(10000000 + i) + " A / B\r\n";
    server.SetCannedReply(reply + ".\r\n");
    const Transfer run = Exchange(Direct(server), FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.result, 0);
    // Whole lines within the first 10240 bytes, plus the cut one.
    const std::string kept = reply.substr(0, 10240);
    std::size_t lines = 0;
    for (std::size_t at = kept.find("rock "); at != std::string::npos;
         at = kept.find("rock ", at + 1))
        ++lines;
    ASSERT_EQ(run.request->matches.size(), lines);
    EXPECT_EQ(run.request->matches.front().discId, "10000000");
}

TEST(QueryThread, MisbehavingServersEndInTheRightMessage) {
    FreedbTestServer server;
    server.SetCannedReply("garbage without any HTTP\r\n\r\n200 rock 1 A / B\r\n");
    Transfer run = Exchange(Direct(server), FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_QUERY_DONE);
    EXPECT_TRUE(run.request->matches.empty());

    // Closed before or after the request was read (a reset or an orderly end), or after
    // it without a word: a failure either way, never "no match".
    server.SetMode(FreedbTestServer::Mode::kCloseAtOnce);
    run = Exchange(Direct(server), FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_ERROR);
    server.SetCannedReply("");
    run = Exchange(Direct(server), FreedbExchange::kRead, QueryBody());
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_ERROR);
    EXPECT_EQ(run.messages->messages().back().text, kNoReplyText);

    // A proxy host name that does not resolve (empty: no lookup leaves the machine).
    FreedbServerSettings settings = ViaProxy(server);
    settings.ProxyServer = "";
    run = Exchange(settings, FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(Texts(run, WM_FREEDB_ERROR),
              std::vector<std::string>{
                  "网络错误 (代码 = " + std::to_string(EAI_NONAME) +
                  ")：找不到主机 (服务器 :" + std::to_string(settings.ProxyPort) + ")。"});

    // Nobody listening.
    settings = Direct(server);
    settings.Server = "127.0.0.1:1";
    run = Exchange(settings, FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(Texts(run, WM_FREEDB_ERROR),
              std::vector<std::string>{"网络错误 (代码 = 111)：连接被拒绝 (服务器 127.0.0.1:1)。"});
}

// Lookup failures: a Chinese reason for the common ones, the system's text for the rest,
// and a failure of the system call behind the lookup shown as that call's errno.
TEST(QueryThread, LookupFailuresNameTheirReason) {
    FreedbServerSettings settings;
    settings.Server = "freedb.test";
    settings.QueryScript = FreedbTestServer::kQueryScript;
    settings.Email = kEmail;
    const auto lookUp = [&](FreedbResolution resolution) {
        const Transfer run =
            Exchange(settings, FreedbExchange::kQuery, QueryBody(), [&](FreedbRequest& r) {
                r.resolver = [=](const std::string&, std::uint16_t) { return resolution; };
            });
        EXPECT_EQ(run.result, -1);
        const std::vector<std::string> errors = Texts(run, WM_FREEDB_ERROR);
        return errors.size() == 1 ? errors[0] : std::string("not one error");
    };
    EXPECT_EQ(lookUp({EAI_AGAIN, 0, {}}), "网络错误 (代码 = " + std::to_string(EAI_AGAIN) +
                                              ")：域名解析暂时失败 (服务器 freedb.test)。");
    EXPECT_EQ(lookUp({EAI_FAIL, 0, {}}), "网络错误 (代码 = " + std::to_string(EAI_FAIL) + ")：" +
                                             gai_strerror(EAI_FAIL) + " (服务器 freedb.test)。");
    EXPECT_EQ(lookUp({EAI_SYSTEM, EMFILE, {}}), "网络错误 (代码 = " + std::to_string(EMFILE) +
                                                    ")：打开的文件太多 (服务器 freedb.test)。");
}

// Loopback only: a numeric host off this machine is refused before any lookup, and an
// address a lookup gives is checked before it is connected to.
TEST(QueryThread, LoopbackOnlyRefusesHostsOffThisMachine) {
    ASSERT_TRUE(std::getenv("KORVIDA_LOOPBACK_ONLY"));
    FreedbServerSettings settings;
    settings.Server = "10.9.9.9";
    settings.QueryScript = FreedbTestServer::kQueryScript;
    settings.Email = kEmail;
    bool looked = false;
    Transfer run = Exchange(settings, FreedbExchange::kQuery, QueryBody(), [&](FreedbRequest& r) {
        r.resolver = [&](const std::string& host, std::uint16_t port) {
            looked = true;
            return ResolveWithSystem(host, port);
        };
    });
    EXPECT_FALSE(looked);
    EXPECT_EQ(Texts(run, WM_FREEDB_ERROR),
              std::vector<std::string>{"只允许连接本机服务器: 10.9.9.9"});

    settings.Server = "freedb.test";
    run = Exchange(settings, FreedbExchange::kQuery, QueryBody(), [&](FreedbRequest& r) {
        r.resolver = [](const std::string&, std::uint16_t port) {
            return ResolveWithSystem("10.9.9.9", port);  // numeric: asks no name server
        };
    });
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(Texts(run, WM_FREEDB_ERROR),
              std::vector<std::string>{"只允许连接本机服务器: freedb.test"});
}

// "(YYYY-MM-DD hh:mm:ss) 用户取消操作。"
bool IsCancelledText(const std::string& text) {
    const std::string pattern = "(dddd-dd-dd dd:dd:dd) 用户取消操作。";
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                              : pattern[i] != text[i])
            return false;
    }
    return true;
}

// Cancelling a transfer that waits on a silent or trickling server.
class CancelWhileWaiting : public ::testing::TestWithParam<FreedbTestServer::Mode> {};

TEST_P(CancelWhileWaiting, EndsPromptlyWithTheCancelledText) {
    FreedbTestServer server;
    server.SetMode(GetParam());
    server.SetTrickleDelayMs(1000);
    auto request = MakeFreedbRequest(Direct(server), FreedbExchange::kQuery);
    auto messages = std::make_shared<RecordingTarget>();
    request->window = messages;
    request->body = QueryBody();
    std::thread thread = StartQueryThread(request);
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    ASSERT_EQ(messages->WaitFor(WM_FREEDB_STATUS, 1000).id, WM_FREEDB_STATUS);

    const auto start = std::chrono::steady_clock::now();
    request->cancelEvent->Set();
    std::thread waiter = StartCancelWaitThread(request->doneEvent, messages);
    EXPECT_EQ(messages->WaitFor(WM_FREEDB_STOPPED, 5000).id, WM_FREEDB_STOPPED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    thread.join();
    waiter.join();
    EXPECT_TRUE(request->doneEvent->IsSet());
    const std::vector<Message> all = messages->messages();
    std::string cancelled;
    for (const Message& m : all) {
        if (m.id == WM_FREEDB_STATUS)
            cancelled = m.text;
        EXPECT_NE(m.id, WM_FREEDB_QUERY_DONE);
    }
    EXPECT_TRUE(IsCancelledText(cancelled)) << cancelled;
}

INSTANTIATE_TEST_SUITE_P(Servers, CancelWhileWaiting,
                         ::testing::Values(FreedbTestServer::Mode::kNeverAnswer,
                                           FreedbTestServer::Mode::kTrickle));

// A server that accepts and never answers: the wait for the first byte ends after the
// stall time-out with its text, also for a caller that holds no cancel event at all.
class SilentServer : public ::testing::TestWithParam<bool> {};

TEST_P(SilentServer, EndsTheQueryWithTheTimeOutText) {
    const bool withCancelEvent = GetParam();
    FreedbTestServer server;
    server.SetMode(FreedbTestServer::Mode::kNeverAnswer);
    const auto limit = std::chrono::milliseconds(300);
    const auto start = std::chrono::steady_clock::now();
    const Transfer run =
        Exchange(Direct(server), FreedbExchange::kQuery, QueryBody(), [&](FreedbRequest& r) {
            r.stallTimeout = limit;
            if (!withCancelEvent)
                r.cancelEvent.reset();
        });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(
        Texts(run, WM_FREEDB_ERROR),
        std::vector<std::string>{"等待服务器 " + server.address() + " 回应超时 (1 秒无响应)。"});
    EXPECT_EQ(server.Requests().size(), 1u);  // the request went out whole
}

INSTANTIATE_TEST_SUITE_P(Callers, SilentServer, ::testing::Bool());

// A server that drips its reply never stalls, yet the exchange as a whole ends at its
// own limit, with the phase's time-out text naming that limit.
TEST(QueryThread, ADrippingServerIsCutOffAtTheExchangeLimit) {
    FreedbTestServer server;
    server.SetMode(FreedbTestServer::Mode::kTrickle);
    server.SetTrickleDelayMs(20);  // about 170 bytes: seconds in all
    const auto start = std::chrono::steady_clock::now();
    const Transfer run =
        Exchange(Direct(server), FreedbExchange::kQuery, QueryBody(), [](FreedbRequest& r) {
            r.stallTimeout = std::chrono::milliseconds(2500);
            r.exchangeTimeout = std::chrono::milliseconds(400);
        });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(
        Texts(run, WM_FREEDB_ERROR),
        std::vector<std::string>{"接收服务器 " + server.address() + " 的回应超时 (1 秒无进展)。"});
}

// The limit is on silence, not on the whole reply: a slow server that keeps sending is
// read to its end.
TEST(QueryThread, ASlowButSteadyReplyIsReadToItsEnd) {
    FreedbTestServer server;
    server.SetMode(FreedbTestServer::Mode::kTrickle);
    server.SetTrickleDelayMs(5);  // about 170 bytes: longer in all than the limit
    const Transfer run =
        Exchange(Direct(server), FreedbExchange::kQuery, QueryBody(),
                 [](FreedbRequest& r) { r.stallTimeout = std::chrono::milliseconds(500); });
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_QUERY_DONE);
    EXPECT_EQ(run.request->matches.size(), 1u);
}

// A name lookup that never returns, as with an unreachable name server.
class StuckResolver {
  public:
    ~StuckResolver() { release_->Set(); }  // lets the abandoned lookup thread end
    FreedbResolver resolver() const {
        return [entered = entered_, release = release_](const std::string&, std::uint16_t) {
            entered->Set();
            release->Wait(10000);  // bounded, so that a transport that waits fails
            return FreedbResolution{EAI_AGAIN, 0, {}};
        };
    }
    bool WaitUntilEntered() const { return entered_->Wait(5000); }

  private:
    std::shared_ptr<Event> entered_ = std::make_shared<Event>(true, false);
    std::shared_ptr<Event> release_ = std::make_shared<Event>(true, false);
};

TEST(QueryThread, ALookupThatNeverReturnsEndsOnCancelOrDeadline) {
    FreedbServerSettings settings;
    settings.Server = "freedb.test";
    settings.QueryScript = FreedbTestServer::kQueryScript;
    settings.Email = kEmail;

    StuckResolver stuck;
    auto request = MakeFreedbRequest(settings, FreedbExchange::kQuery);
    auto messages = std::make_shared<RecordingTarget>();
    request->window = messages;
    request->body = QueryBody();
    request->resolver = stuck.resolver();
    std::thread thread = StartQueryThread(request);
    ASSERT_TRUE(stuck.WaitUntilEntered());
    const auto start = std::chrono::steady_clock::now();
    request->cancelEvent->Set();
    thread.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(IsCancelledText(messages->messages().back().text));
    EXPECT_TRUE(request->doneEvent->IsSet());

    // Nobody cancels: the lookup's own deadline ends the query.
    const auto limit = std::chrono::milliseconds(200);
    const Transfer run =
        Exchange(settings, FreedbExchange::kQuery, QueryBody(), [&](FreedbRequest& r) {
            r.resolver = stuck.resolver();
            r.stallTimeout = limit;
        });
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(Texts(run, WM_FREEDB_ERROR), std::vector<std::string>{FreedbTimeoutText(
                                               FreedbPhase::kResolve, "freedb.test", limit)});
}

// The addresses of a lookup are tried in order, IPv6 as well as IPv4, and one that
// refuses is passed over.
TEST(QueryThread, ConnectsToTheFirstAddressThatAccepts) {
    std::unique_ptr<FreedbTestServer> server;
    try {
        server = std::make_unique<FreedbTestServer>(FreedbTestServer::DefaultDatabaseDir(),
                                                    FreedbTestServer::Loopback::kIpv6);
    } catch (const std::exception&) {
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    }
    // The system's lookup of "[::1]:port".
    Transfer run = Exchange(Direct(*server), FreedbExchange::kQuery, QueryBody());
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_QUERY_DONE);

    std::string looked;
    run = Exchange(Direct(*server), FreedbExchange::kQuery, QueryBody(), [&](FreedbRequest& r) {
        r.resolver = [&](const std::string& host, std::uint16_t port) {
            looked = host + " " + std::to_string(port);
            // Numeric hosts: no lookup leaves the machine.
            return FreedbResolution{0,
                                    0,
                                    {ResolveWithSystem("127.0.0.1", 1).addresses.at(0),
                                     ResolveWithSystem("::1", port).addresses.at(0)}};
        };
    });
    EXPECT_EQ(looked, "::1 " + std::to_string(server->port()));
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_QUERY_DONE);
    EXPECT_EQ(run.request->matches.size(), 1u);
    EXPECT_EQ(server->Requests().size(), 2u);
}

TEST(CancelWaitThread, GivesUpAfterItsStepsAndStillReportsStopped) {
    auto done = std::make_shared<Event>(true, false);
    auto messages = std::make_shared<RecordingTarget>();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CancelWaitThread(done, messages, 20, 5), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    ASSERT_EQ(messages->messages().size(), 1u);
    EXPECT_EQ(messages->messages()[0].id, WM_FREEDB_STOPPED);
}

TEST(SubmitThread, SendsTheBodyAfterRequestAndHostLinesAndTracesIt) {
    test::TempHome home;
    FreedbTestServer server;
    const std::string body = SubmissionBody();
    const Transfer run = Exchange(Direct(server), FreedbExchange::kSubmit, body);
    EXPECT_EQ(run.result, 0);
    const std::string sent =
        "POST /~cddb/submit.cgi HTTP/1.0\r\nHost: " + server.address() + "\r\n" + body;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], sent);
    EXPECT_EQ(test::ReadFile(home / "cddb.txt"), sent);
    EXPECT_EQ(Texts(run, WM_FREEDB_STATUS),
              (std::vector<std::string>{
                  "正在初始化 WinSock...", "连接到服务器: " + server.address() + " ...",
                  "正在发送提交命令...", "正在等待回应...", "处理提交结果..."}));
    EXPECT_EQ(run.messages->messages().back().id, WM_FREEDB_SUBMIT_DONE);
}

// The submit outcome rests on the three characters after the blank line alone; an
// accepted submission carries the server's status line.
struct SubmitReplyCase {
    const char* name;
    const char* reply;
    unsigned message;
    const char* shown;  // the code of the error text, or the status line when accepted
};

class SubmitOutcome : public ::testing::TestWithParam<SubmitReplyCase> {};

TEST_P(SubmitOutcome, FollowsTheFreedbCode) {
    test::TempHome home;
    FreedbTestServer server;
    server.SetCannedReply(GetParam().reply);
    const Transfer run = Exchange(Direct(server), FreedbExchange::kSubmit, SubmissionBody());
    const Message last = run.messages->messages().back();
    EXPECT_EQ(last.id, GetParam().message);
    if (GetParam().message == WM_FREEDB_SUBMIT_FAILED) {
        EXPECT_EQ(last.text, "提交到 " + server.address() +
                                 " 时出错。\n错误代码 = " + GetParam().shown + " 。");
    } else {
        EXPECT_EQ(last.text, GetParam().shown);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SubmitOutcome,
    ::testing::Values(SubmitReplyCase{"accepted", "HTTP/1.0 200 OK\r\n\r\n200 OK, sent\r\n",
                                      WM_FREEDB_SUBMIT_DONE, "200 OK, sent"},
                      SubmitReplyCase{"acceptedDespiteHttp500",
                                      "HTTP/1.0 500 Oops\r\n\r\n200 OK\r\n", WM_FREEDB_SUBMIT_DONE,
                                      "200 OK"},
                      SubmitReplyCase{"refused", "HTTP/1.0 200 OK\r\n\r\n500 Invalid header\r\n",
                                      WM_FREEDB_SUBMIT_FAILED, "500"},
                      SubmitReplyCase{"noBlankLine", "HTTP/1.0 200 OK\r\n200 OK\r\n",
                                      WM_FREEDB_SUBMIT_FAILED, ""},
                      SubmitReplyCase{"empty", "", WM_FREEDB_SUBMIT_FAILED, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The test server answers like today's servers for the level a command names, and the
// parser reads every form: one exact match on the status line below level 4, as a list
// from level 4 on; several exact matches as an inexact list below level 4.
TEST(TestServer, AnswersByProtocolLevel) {
    FreedbTestServer server;
    struct Case {
        const char* query;
        int level;
        int code;
        std::size_t matches;
    };
    const std::string one = "12025603+3+150+14250+31530+600";
    const std::string three = "29042a04+4+150+20150+40150+60150+1068";
    for (const Case& c : {Case{one.c_str(), 3, 200, 1}, Case{one.c_str(), 4, 210, 1},
                          Case{three.c_str(), 1, 211, 3}, Case{three.c_str(), 6, 210, 3},
                          Case{"00000001+1+150+600", 6, 202, 0}}) {
        const std::string body = std::string("cmd=cddb+query+") + c.query +
                                 "&hello=a+b+Korvida+3.0&proto=" + std::to_string(c.level) + "\r\n";
        FreedbRequest request;
        ParseQueryReply(server.Answer("POST /~cddb/cddb.cgi HTTP/1.0\r\nContent-Length: " +
                                      std::to_string(body.size()) + "\r\n\r\n" + body),
                        request);
        EXPECT_EQ(request.statusCode, c.code) << c.query << " at level " << c.level;
        EXPECT_EQ(request.matches.size(), c.matches) << c.query << " at level " << c.level;
    }
}

// The server's format check, which every test above relies on, does catch the faults.
TEST(RequestFormat, CatchesWhatTheOldFormsGotWrong) {
    const std::string good =
        "POST /s HTTP/1.0\r\nHost: h\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "User-Agent: Korvida 3.0\r\nContent-Length: 52\r\n\r\n"
        "cmd=cddb+read+rock+1&hello=a+b+Korvida+3.0&proto=6\r\n";
    EXPECT_EQ(test::RequestFormatProblem(good, "h"), "");
    std::string old = good;
    old.replace(old.find("proto=6"), 7, "proto=3");
    EXPECT_NE(test::RequestFormatProblem(old, "h"), "");
    EXPECT_NE(test::RequestFormatProblem(good, "other"), "");
    std::string noHost = good;
    noHost.erase(noHost.find("Host: h\r\n"), 9);
    EXPECT_NE(test::RequestFormatProblem(noHost, "h"), "");
    std::string submit = "POST /submit HTTP/1.0\r\nHost: h\r\n" + SubmissionBody();
    EXPECT_EQ(test::RequestFormatProblem(submit, "h"), "");
    submit.replace(submit.find("UTF-8"), 5, "iso-8859-1");
    EXPECT_NE(test::RequestFormatProblem(submit, "h"), "");
}

}  // namespace
}  // namespace korvida

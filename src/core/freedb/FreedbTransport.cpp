#include "core/freedb/FreedbTransport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>

#include "core/freedb/FreedbReplies.h"
#include "core/jobs/Messages.h"
#include "core/jobs/WorkerThread.h"
#include "core/platform/AppHome.h"
#include "core/platform/LoopbackOnly.h"
#include "core/platform/NetworkErrorText.h"
#include "core/platform/UniqueFd.h"
#include "core/text/Base64Encode.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"

namespace korvida {

namespace {

// How often a thread waiting on the network looks at the cancel event. Checking only
// between steps would let a blocked call hold a cancel for as long as the server stays
// silent, so every wait is cut into slices of this length.
constexpr int kPollSliceMs = 100;

constexpr int kNormalPriority = 2;

using Clock = std::chrono::steady_clock;

// An address written as digits (IPv4 or IPv6, brackets allowed), which no lookup changes.
bool IsNumericHost(std::string host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    in6_addr v6{};
    in_addr v4{};
    return ::inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

class Socket {
  public:
    bool Open(int family) {
        fd_ = UniqueFd(::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        return fd_.valid();
    }
    void Close() { fd_.Reset(); }
    int fd() const { return fd_.get(); }

  private:
    UniqueFd fd_;
};

// One transfer: the steps both threads share, with the reporting of the thread that
// runs them. Every way out sets doneEvent (in the destructor, after the last message).
class Transfer {
  public:
    enum class Outcome { kOk, kFailed, kCancelled };

    Transfer(std::shared_ptr<FreedbRequest> request, unsigned errorMessage)
        : request_(std::move(request)),
          errorMessage_(errorMessage),
          exchangeEnd_(Clock::now() + request_->exchangeTimeout) {
        if (request_->doneEvent)
            request_->doneEvent->Reset();
    }
    ~Transfer() {
        if (request_->doneEvent)
            request_->doneEvent->Set();
    }

    FreedbRequest& request() { return *request_; }

    void Post(unsigned id, std::string text = {}, std::intptr_t lParam = 0) {
        if (request_->window)
            request_->window->post(id, 0, lParam, std::move(text));
    }
    void Status(std::string text) { Post(WM_FREEDB_STATUS, std::move(text)); }
    Outcome Fail(std::string text) {
        Post(errorMessage_, std::move(text));
        return Outcome::kFailed;
    }
    Outcome SocketError(int code) { return Fail(NetworkErrorText(code, peer_)); }
    // Past the exchange's end the text names the exchange's limit: that is how long the
    // user has waited, while no single wait was as long as the stall limit.
    Outcome TimedOut(FreedbPhase phase) {
        const bool overall = Clock::now() >= exchangeEnd_;
        return Fail(FreedbTimeoutText(
            phase, peer_, overall ? request_->exchangeTimeout : request_->stallTimeout));
    }

    bool Cancelled() const { return request_->cancelEvent && request_->cancelEvent->IsSet(); }
    Outcome Cancel() {
        Status(CancelledStatusText(std::time(nullptr)));
        return Outcome::kCancelled;
    }

    // Steps 1 to 10: start, resolve, connect. kOk leaves a connected socket.
    Outcome Connect(Socket& socket) {
        Status(Tr("正在初始化 WinSock..."));
        if (std::string problem = CheckFreedbRequest(*request_); !problem.empty())
            return Fail(std::move(problem));
        if (Cancelled())
            return Cancel();
        StartWinsock();
        Status(Tr("连接到服务器: ") + request_->server + " ...");
        if (Cancelled())
            return Cancel();

        const bool viaProxy = request_->useProxy != 0;
        const std::string host =
            viaProxy ? request_->proxyServer : FreedbServerHost(request_->server);
        const std::uint16_t port = viaProxy ? request_->proxyPort : request_->serverPort;
        peer_ = viaProxy ? request_->proxyServer + ":" + std::to_string(port) : request_->server;
        // Loopback only: a host off this machine is refused before the system is asked
        // its address (a numeric one, or any name but localhost; an empty one finds
        // nothing without asking). A resolver a caller put in asks no name server; what
        // it answers is checked as it is connected to.
        loopbackOnly_ = LoopbackOnly();
        if (loopbackOnly_ && !host.empty() && !IsLoopbackHost(host) &&
            (!request_->resolver || IsNumericHost(host)))
            return Fail(LoopbackOnlyText(peer_));
        FreedbResolution resolution;
        if (Outcome resolved = Resolve(host, port, resolution); resolved != Outcome::kOk)
            return resolved;
        if (Cancelled())
            return Cancel();
        return ConnectToAny(socket, resolution.addresses);
    }

    // When a phase that starts or makes progress now must end: after the stall limit, or
    // at the exchange's end when that comes first.
    Clock::time_point PhaseEnd() const {
        return std::min(Clock::now() + request_->stallTimeout, exchangeEnd_);
    }
    bool ExchangeOver() const { return Clock::now() >= exchangeEnd_; }

    // Step 14: the whole text. The socket is non-blocking, so a short write only means
    // the kernel's buffer is full for now.
    Outcome Send(Socket& socket, const std::string& text) {
        std::size_t sent = 0;
        auto deadline = PhaseEnd();
        while (sent < text.size()) {
            const ssize_t n =
                ::send(socket.fd(), text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                if (ExchangeOver())
                    return TimedOut(FreedbPhase::kSend);
                deadline = PhaseEnd();
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                if (Outcome waited = WaitFor(socket, POLLOUT, deadline, FreedbPhase::kSend);
                    waited != Outcome::kOk)
                    return waited;
            } else {
                return SocketError(n < 0 ? errno : EPIPE);
            }
        }
        return Outcome::kOk;
    }

    // Step 16: read until the server closes or kReplySize bytes are held; the rest of
    // a longer reply is never read.
    Outcome Receive(Socket& socket, std::string& reply) {
        reply.assign(FreedbRequest::kReplySize, '\0');
        std::size_t held = 0;
        if (Cancelled())
            return Cancel();
        auto deadline = PhaseEnd();
        while (held < reply.size()) {
            const ssize_t n = ::recv(socket.fd(), reply.data() + held, reply.size() - held, 0);
            if (n > 0) {
                held += static_cast<std::size_t>(n);
                if (Cancelled())
                    return Cancel();
                if (ExchangeOver())
                    return TimedOut(FreedbPhase::kReply);
                deadline = PhaseEnd();
            } else if (n == 0) {
                break;
            } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                const FreedbPhase phase = held == 0 ? FreedbPhase::kFirstByte : FreedbPhase::kReply;
                if (Outcome waited = WaitFor(socket, POLLIN, deadline, phase);
                    waited != Outcome::kOk)
                    return waited;
            } else {
                return SocketError(errno);
            }
        }
        reply.resize(held);
        return Outcome::kOk;
    }

  private:
    // The lookup runs on a thread of its own: getaddrinfo cannot be interrupted, and a
    // cancel must not wait for it.
    Outcome Resolve(const std::string& host, std::uint16_t port, FreedbResolution& resolution) {
        PendingResolution pending(request_->resolver, host, port);
        const auto deadline = PhaseEnd();
        while (!pending.WaitFor(std::chrono::milliseconds(kPollSliceMs))) {
            if (Cancelled())
                return Cancel();
            if (Clock::now() >= deadline)
                return TimedOut(FreedbPhase::kResolve);
        }
        resolution = pending.Result();
        if (resolution.error != 0 || resolution.addresses.empty()) {
            return Fail(NameLookupErrorText(resolution.error != 0 ? resolution.error : EAI_NONAME,
                                            resolution.systemError, peer_));
        }
        return Outcome::kOk;
    }

    // Tries the addresses in order until one accepts. The phase's time is shared out:
    // each attempt may use an equal part of what is left, so an address that swallows
    // packets cannot starve the ones after it, and the phase as a whole still ends in
    // time. An attempt that fails at once passes its time on.
    Outcome ConnectToAny(Socket& socket, const std::vector<FreedbAddress>& addresses) {
        const auto phaseEnd = PhaseEnd();
        int lastError = 0;
        bool timedOut = false;
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            const FreedbAddress& address = addresses[i];
            const auto left = phaseEnd - Clock::now();
            const auto deadline = Clock::now() + left / static_cast<long>(addresses.size() - i);
            const Outcome attempt = ConnectTo(socket, address, deadline, lastError, timedOut);
            if (attempt != Outcome::kFailed)
                return attempt;
        }
        socket.Close();
        if (refused_)
            return Fail(LoopbackOnlyText(peer_));
        return timedOut ? TimedOut(FreedbPhase::kConnect) : SocketError(lastError);
    }

    // One attempt. kFailed is silent here (the caller reports the last failure);
    // kCancelled has been reported.
    Outcome ConnectTo(Socket& socket, const FreedbAddress& address, Clock::time_point deadline,
                      int& error, bool& timedOut) {
        timedOut = false;
        if (!socket.Open(address.address.ss_family)) {
            error = errno;
            return Outcome::kFailed;
        }
        const auto* target = reinterpret_cast<const sockaddr*>(&address.address);
        if (loopbackOnly_ && !IsLoopbackAddress(target, address.length)) {
            socket.Close();
            error = EACCES;
            refused_ = true;
            return Outcome::kFailed;
        }
        if (::connect(socket.fd(), target, address.length) == 0)
            return Outcome::kOk;
        if (errno != EINPROGRESS) {
            error = errno;
            return Outcome::kFailed;
        }
        for (;;) {
            pollfd entry{socket.fd(), POLLOUT, 0};
            const int rc = ::poll(&entry, 1, SliceUntil(deadline));
            if (rc > 0)
                break;
            if (rc < 0 && errno != EINTR) {
                error = errno;
                return Outcome::kFailed;
            }
            if (Cancelled())
                return Cancel();
            if (Clock::now() >= deadline) {
                timedOut = true;
                error = ETIMEDOUT;
                return Outcome::kFailed;
            }
        }
        int result = 0;
        socklen_t length = sizeof result;
        if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &result, &length) != 0)
            result = errno;
        if (result != 0) {
            error = result;
            return Outcome::kFailed;
        }
        return Outcome::kOk;
    }

    // Waits until the socket is ready for `events`, looking at the cancel event between
    // slices, until `deadline`. kOk when ready (or in error: the next call reports it).
    Outcome WaitFor(Socket& socket, short events, Clock::time_point deadline, FreedbPhase phase) {
        for (;;) {
            pollfd entry{socket.fd(), events, 0};
            const int rc = ::poll(&entry, 1, SliceUntil(deadline));
            if (rc > 0)
                return Outcome::kOk;
            if (rc < 0 && errno != EINTR)
                return SocketError(errno);
            if (Cancelled())
                return Cancel();
            if (Clock::now() >= deadline)
                return TimedOut(phase);
        }
    }

    // One poll slice, shorter when the deadline comes sooner.
    static int SliceUntil(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return static_cast<int>(std::clamp<long long>(left, 0, kPollSliceMs));
    }

    std::shared_ptr<FreedbRequest> request_;
    const unsigned errorMessage_;
    const Clock::time_point exchangeEnd_;
    std::string peer_;  // the host and port the transfer talks to, for time-out texts
    bool loopbackOnly_ = false;
    bool refused_ = false;  // an address off this machine was not connected to
};

bool Fits(const std::string& text, std::size_t size) {
    return text.size() < size;
}

void WriteTrace(const std::string& text) {
    // A trace that cannot be written does not stop the submission.
    std::ofstream trace(AppHome() + "cddb.txt", std::ios::binary | std::ios::trunc);
    trace.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string RequestLine(const FreedbRequest& request) {
    if (request.useProxy)
        return "POST http://" + request.server + request.script + " HTTP/1.0\r\n";
    return "POST " + request.script + " HTTP/1.0\r\n";
}

// Virtual-hosted web servers route a request without a Host line to their default site.
std::string HostLine(const FreedbRequest& request) {
    return "Host: " + request.server + "\r\n";
}

}  // namespace

void StartWinsock() {}

std::string CheckFreedbRequest(const FreedbRequest& request) {
    constexpr std::size_t kText = FreedbRequest::kTextSize;
    const auto tooLong = [](const char* what, std::size_t size) {
        return std::string(what) +
               FormatText(Tr(" 太长 (最多 %lld 字节)。"), static_cast<long long>(size - 1));
    };
    if (!Fits(request.server, kText))
        return tooLong(Tr("服务器名称"), kText);
    if (!Fits(request.script, kText))
        return tooLong(Tr("服务器脚本路径"), kText);
    if (!Fits(request.email, kText))
        return tooLong(Tr("E-mail 地址"), kText);
    if (!Fits(request.proxyServer, kText))
        return tooLong(Tr("代理服务器名称"), kText);
    if (!Fits(request.body, FreedbRequest::kBodySize))
        return tooLong(Tr("请求内容"), FreedbRequest::kBodySize);
    if (request.useProxy && request.useProxyAuth && !request.proxyUser.empty() &&
        request.proxyUser.size() + 1 + request.proxyPassword.size() > kMaxProxyCredentialBytes) {
        return FormatText(Tr("代理服务器的用户名和密码太长 (合计最多 %lld 字节)。"),
                          static_cast<long long>(kMaxProxyCredentialBytes - 1));
    }
    // A line break in a value that goes into a header line would end that line early.
    for (const std::string* value :
         {&request.server, &request.script, &request.proxyUser, &request.proxyPassword}) {
        if (value->find_first_of("\r\n") != std::string::npos)
            return Tr("服务器设置中含有换行符。");
    }
    return {};
}

std::string BuildQueryRequestText(const FreedbRequest& request) {
    std::string text = RequestLine(request) + HostLine(request);
    text += "Content-Type: application/x-www-form-urlencoded\r\n";
    text += std::string("User-Agent: ") + kFreedbUserAgent + "\r\n";
    if (request.useProxy && request.useProxyAuth && !request.proxyUser.empty()) {
        text += "Proxy-Authorization: Basic " +
                Base64Encode(request.proxyUser + ":" + request.proxyPassword) + "\r\n";
    }
    text += FormatText("Content-Length: %lld\r\n\r\n", static_cast<long long>(request.body.size()));
    text += request.body;
    return text;
}

std::string BuildSubmitRequestText(const FreedbRequest& request) {
    return RequestLine(request) + HostLine(request) + request.body;
}

std::string CancelledStatusText(std::time_t now) {
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    return std::string("(") + stamp + Tr(") 用户取消操作。");
}

std::string FreedbTimeoutText(FreedbPhase phase, const std::string& host,
                              std::chrono::milliseconds limit) {
    const long long seconds = (limit.count() + 999) / 1000;
    // In the order of FreedbPhase.
    static constexpr const char* kFormats[] = {
        TR_NOOP("解析服务器地址 %s 超时 (%lld 秒无响应)。"),
        TR_NOOP("连接服务器 %s 超时 (%lld 秒无响应)。"),
        TR_NOOP("向服务器 %s 发送请求超时 (%lld 秒无进展)。"),
        TR_NOOP("等待服务器 %s 回应超时 (%lld 秒无响应)。"),
        TR_NOOP("接收服务器 %s 的回应超时 (%lld 秒无进展)。")};
    const char* format = Tr(kFormats[static_cast<int>(phase)]);
    return FormatText(format, host.c_str(), seconds);
}

std::string SubmitErrorText(const std::string& server, const std::string& code) {
    return Tr("提交到 ") + server + Tr(" 时出错。\n错误代码 = ") + code + Tr(" 。");
}

int QueryThread(std::shared_ptr<FreedbRequest> request) {
    Transfer transfer(request, WM_FREEDB_ERROR);
    Socket socket;
    if (transfer.Connect(socket) != Transfer::Outcome::kOk)
        return -1;
    transfer.Status(Tr("正在发送询问命令..."));
    const std::string text = BuildQueryRequestText(*request);
    if (transfer.Cancelled()) {
        transfer.Cancel();
        return -1;
    }
    if (transfer.Send(socket, text) != Transfer::Outcome::kOk)
        return -1;
    transfer.Status(Tr("正在接收询问结果..."));
    std::string reply;
    if (transfer.Receive(socket, reply) != Transfer::Outcome::kOk)
        return -1;
    // A connection closed before a single byte is a failed exchange, not a server that
    // knows no such disc: "no match" would send the user looking at the disc.
    if (reply.empty()) {
        transfer.Fail(Tr(kNoReplyText));
        return -1;
    }

    transfer.Status(Tr("正在处理询问结果..."));
    if (request->isRead == 1)
        ParseReadReply(reply, *request);
    else
        ParseQueryReply(reply, *request);
    // A refusal (an unregistered client name, a proxy that wants credentials) is no
    // empty result: shown as "no match" it would send the user looking at the disc.
    if (!request->serverError.empty()) {
        transfer.Fail(request->serverError);
        return -1;
    }
    if (request->isRead == 1) {
        transfer.Post(WM_FREEDB_READ_DONE, {},
                      static_cast<std::intptr_t>(std::uint32_t{request->revision} << 16 |
                                                 request->hasRevision));
    } else {
        transfer.Post(WM_FREEDB_QUERY_DONE);
    }
    return 0;
}

int SubmitThread(std::shared_ptr<FreedbRequest> request) {
    Transfer transfer(request, WM_FREEDB_SUBMIT_FAILED);
    Socket socket;
    if (transfer.Connect(socket) != Transfer::Outcome::kOk)
        return -1;
    transfer.Status(Tr("正在发送提交命令..."));
    const std::string text = BuildSubmitRequestText(*request);
    if (transfer.Cancelled()) {
        transfer.Cancel();
        return -1;
    }
    WriteTrace(text);
    if (transfer.Send(socket, text) != Transfer::Outcome::kOk)
        return -1;
    transfer.Status(Tr("正在等待回应..."));
    std::string reply;
    if (transfer.Receive(socket, reply) != Transfer::Outcome::kOk)
        return -1;

    transfer.Status(Tr("处理提交结果..."));
    const std::size_t blank = reply.find("\r\n\r\n");
    if (blank != std::string::npos && reply.compare(blank + 4, 3, "200") == 0) {
        // The server's own words, for a front end that reports its answer.
        transfer.Post(WM_FREEDB_SUBMIT_DONE, SubmitReplyStatusLine(reply));
    } else {
        transfer.Post(WM_FREEDB_SUBMIT_FAILED,
                      SubmitErrorText(request->server, SubmitReplyCode(reply)));
    }
    return 0;
}

int CancelWaitThread(std::shared_ptr<Event> doneEvent, std::shared_ptr<MessageTarget> window,
                     std::uint32_t stepMs, int steps) {
    for (int i = 0; i < steps; ++i) {
        if (!doneEvent || doneEvent->Wait(stepMs))
            break;
    }
    if (window)
        window->post(WM_FREEDB_STOPPED);
    return 0;
}

namespace {

// A transfer that threw ends as one that failed: its error message, then its done event,
// so that neither its wizard nor a cancel waiting for it waits in vain.
ThreadFailure FailTransfer(std::shared_ptr<FreedbRequest> request, unsigned errorMessage) {
    return [request = std::move(request), errorMessage](const std::string& text) {
        if (request->window)
            request->window->post(errorMessage, 0, 0, text);
        if (request->doneEvent)
            request->doneEvent->Set();
    };
}

}  // namespace

std::thread StartQueryThread(std::shared_ptr<FreedbRequest> request) {
    ThreadFailure onFailure = FailTransfer(request, WM_FREEDB_ERROR);
    return StartWorkerThread([request = std::move(request)] { QueryThread(request); },
                             kNormalPriority, std::move(onFailure));
}

std::thread StartSubmitThread(std::shared_ptr<FreedbRequest> request) {
    ThreadFailure onFailure = FailTransfer(request, WM_FREEDB_SUBMIT_FAILED);
    return StartWorkerThread([request = std::move(request)] { SubmitThread(request); },
                             kNormalPriority, std::move(onFailure));
}

std::thread StartCancelWaitThread(std::shared_ptr<Event> doneEvent,
                                  std::shared_ptr<MessageTarget> window) {
    // Whatever happens to the wait, the wizard hears that the transfer is over.
    ThreadFailure onFailure = [window](const std::string&) {
        if (window)
            window->post(WM_FREEDB_STOPPED);
    };
    return StartWorkerThread([doneEvent = std::move(doneEvent),
                              window = std::move(window)] { CancelWaitThread(doneEvent, window); },
                             kNormalPriority, std::move(onFailure));
}

}  // namespace korvida

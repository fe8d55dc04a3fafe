#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "core/freedb/FreedbRequest.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"
#include "core/text/Translate.h"

namespace korvida {

// The client identifier of the User-Agent line.
inline constexpr const char* kFreedbUserAgent = "Korvida 3.0";

// Proxy credentials go through a 256-byte text as "user:password" and its Base64 form
// through another; 189 bytes is the longest credential text whose Base64 form (252
// characters) fits beside a terminator. Longer ones are refused, never cut.
inline constexpr std::size_t kMaxProxyCredentialBytes = 189;

// The sockets need no start-up on this system, so this cannot fail; kept so the query
// thread reads like the other threads, status line included.
void StartWinsock();

// What stands wrong in a request before any byte is sent (a field longer than its
// size, credentials too long): the error text, or empty when the request is sound.
std::string CheckFreedbRequest(const FreedbRequest& request);

// The bytes a thread sends. Query and read: request line (absolute form through a
// proxy), Host line, Content-Type, User-Agent, Proxy-Authorization when credentials are
// on and the user name is not empty, Content-Length, blank line, body. Submit: request
// line and Host line, then the body, which carries its own header lines.
std::string BuildQueryRequestText(const FreedbRequest& request);
std::string BuildSubmitRequestText(const FreedbRequest& request);

// The status text of a cancelled transfer: "(time) 用户取消操作。" with the local time
// as "%Y-%m-%d %H:%M:%S".
std::string CancelledStatusText(std::time_t now);

// The phases of an exchange that each end after request.stallTimeout without progress,
// and all of them at request.exchangeTimeout after the exchange began.
enum class FreedbPhase { kResolve, kConnect, kSend, kFirstByte, kReply };

// The error text of a phase that ran out of time: "等待服务器 %s 回应超时 (%d 秒无响应)。"
// and its kin, naming the host (and port) the transfer talks to and the limit in whole
// seconds, rounded up (the exchange's limit when that one ran out).
std::string FreedbTimeoutText(FreedbPhase phase, const std::string& host,
                              std::chrono::milliseconds limit);

// "提交到 %s 时出错。\n错误代码 = %s 。"
std::string SubmitErrorText(const std::string& server, const std::string& code);

// Thread procedures. Each reports through request->window, sets request->doneEvent on
// every path and returns 0 after a complete reply, -1 after an error or a cancel. The
// record is shared, so it stays valid for the thread even when its dialog gave up.
int QueryThread(std::shared_ptr<FreedbRequest> request);
// The error of a query or read whose server closed the connection without a reply.
inline constexpr const char* kNoReplyText = TR_NOOP("服务器没有回答就关闭了连接。");
// WM_FREEDB_SUBMIT_DONE carries the server's status line as its text.
int SubmitThread(std::shared_ptr<FreedbRequest> request);

// Waits for doneEvent in `steps` waits of `stepMs` (one minute by default), then posts
// WM_FREEDB_STOPPED whether the event came or not.
int CancelWaitThread(std::shared_ptr<Event> doneEvent, std::shared_ptr<MessageTarget> window,
                     std::uint32_t stepMs = 500, int steps = 120);

// Start the procedures on worker threads of normal priority. The caller joins or
// detaches the thread; a detached thread keeps its request alive on its own.
std::thread StartQueryThread(std::shared_ptr<FreedbRequest> request);
std::thread StartSubmitThread(std::shared_ptr<FreedbRequest> request);
std::thread StartCancelWaitThread(std::shared_ptr<Event> doneEvent,
                                  std::shared_ptr<MessageTarget> window);

}  // namespace korvida

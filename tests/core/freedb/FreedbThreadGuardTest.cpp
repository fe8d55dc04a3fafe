// The freedb threads end a throw as a failed transfer, with a message to their dialog,
// never with std::terminate.
#include <gtest/gtest.h>

#include <netdb.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "core/freedb/FreedbRequest.h"
#include "core/freedb/FreedbSession.h"
#include "core/freedb/FreedbTransport.h"
#include "core/jobs/Messages.h"
#include "support/RecordingTarget.h"

namespace korvida {
namespace {

// A dialog whose first message throws, as a target running out of memory would.
class ThrowsOnce : public test::RecordingTarget {
  public:
    void post(Message message) override {
        if (!thrown_.exchange(true))
            throw std::runtime_error("no room for the message");
        RecordingTarget::post(std::move(message));
    }
    using RecordingTarget::post;

  private:
    std::atomic<bool> thrown_{false};
};

std::shared_ptr<FreedbRequest> Request(FreedbExchange exchange) {
    FreedbServerSettings settings;
    settings.Server = "freedb.test";
    settings.QueryScript = "/~cddb/cddb.cgi";
    settings.SubmitScript = "/~cddb/submit.cgi";
    settings.Email = "me@example.net";
    auto request = MakeFreedbRequest(settings, exchange);
    request->body = "cddb query";
    // No lookup leaves the machine; the one test that gets this far finds nothing.
    request->resolver = [](const std::string&, std::uint16_t) {
        return FreedbResolution{EAI_NONAME, 0, {}};
    };
    return request;
}

constexpr const char* kGuardText = "错误: 意外错误，错误原因: no room for the message！";

TEST(FreedbThreads, AThrowEndsTheTransferWithItsFailureMessage) {
    for (const bool submit : {false, true}) {
        auto request = Request(submit ? FreedbExchange::kSubmit : FreedbExchange::kQuery);
        auto window = std::make_shared<ThrowsOnce>();
        request->window = window;
        std::thread thread = submit ? StartSubmitThread(request) : StartQueryThread(request);
        thread.join();
        const std::vector<Message> seen = window->messages();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].id, submit ? WM_FREEDB_SUBMIT_FAILED : WM_FREEDB_ERROR);
        EXPECT_EQ(seen[0].text, kGuardText);
        EXPECT_TRUE(request->doneEvent->IsSet());  // a cancel waiting for it is released
    }

    // The waiter of a cancel still reports the end.
    auto window = std::make_shared<ThrowsOnce>();
    StartCancelWaitThread(std::make_shared<Event>(true, true), window).join();
    ASSERT_EQ(window->messages().size(), 1u);
    EXPECT_EQ(window->messages()[0].id, WM_FREEDB_STOPPED);

    // The command line's exchange: a status callback that throws fails the run.
    const FreedbOutcome outcome =
        RunFreedbRequest(Request(FreedbExchange::kQuery), false,
                         [](const std::string&) { throw std::runtime_error("no room"); });
    EXPECT_EQ(outcome.kind, FreedbOutcome::Kind::kFailed);
    EXPECT_EQ(outcome.text, "错误: 意外错误，错误原因: no room！");
}

TEST(FreedbThreads, ALookupThatThrowsFailsTheQuery) {
    auto request = Request(FreedbExchange::kQuery);
    request->resolver = [](const std::string&, std::uint16_t) -> FreedbResolution {
        throw std::runtime_error("resolver broke");
    };
    auto window = std::make_shared<test::RecordingTarget>();
    request->window = window;
    EXPECT_EQ(QueryThread(request), -1);
    EXPECT_EQ(window->messages().back().id, WM_FREEDB_ERROR);
}

}  // namespace
}  // namespace korvida

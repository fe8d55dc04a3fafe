#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "core/jobs/Event.h"
#include "core/platform/ThreadGuard.h"

namespace korvida {

// A database request run on a thread of its own while the drive reads, so it adds no time
// to a rip. `Result` has a Status with kNotFinished and kFailed and a `detail` text; a
// default Result is what a lookup never started gives. Owned by the rip thread.
template <class Result>
class BackgroundLookup {
  public:
    BackgroundLookup() = default;
    // Cancels a request still running and waits for its thread.
    ~BackgroundLookup() {
        if (state_)
            state_->cancel.Set();
        if (thread_.joinable())
            thread_.join();
    }
    BackgroundLookup(const BackgroundLookup&) = delete;
    BackgroundLookup& operator=(const BackgroundLookup&) = delete;

    bool Started() const { return state_ != nullptr; }
    // The request has ended (or none was started): Finish returns without waiting.
    bool Ended() const {
        if (!state_)
            return true;
        std::lock_guard lock(state_->mutex);
        return state_->done;
    }

    // Runs `request(Event& cancel) -> Result` on a guarded thread; a thread that cannot
    // start, or an exception in it, gives kFailed with the reason.
    template <class Request>
    void Start(Request request) {
        state_ = std::make_shared<State>();
        try {
            thread_ = StartGuardedThread(
                [state = state_, request] { state->End(request(state->cancel)); },
                [state = state_](const std::string& text) { state->End(Failed(text)); });
        } catch (const std::exception& error) {
            // No thread for the lookup: the rip goes on and its verdict says why.
            state_->End(Failed(UnexpectedErrorText(error.what())));
        }
    }

    // The result, waiting at most graceMs for a request still running; one that has not
    // ended by then is cancelled and reported kNotFinished. Once only.
    Result Finish(std::uint32_t graceMs) {
        if (!state_)
            return {};
        Result result;
        {
            std::unique_lock lock(state_->mutex);
            if (state_->ended.wait_for(lock, std::chrono::milliseconds(graceMs),
                                       [&] { return state_->done; }))
                result = std::move(state_->result);
            else
                result.status = Result::Status::kNotFinished;
        }
        state_->cancel.Set();
        if (thread_.joinable())
            thread_.join();
        state_.reset();
        return result;
    }

  private:
    static Result Failed(const std::string& text) {
        Result result;
        result.status = Result::Status::kFailed;
        result.detail = text;
        return result;
    }

    // Shared with the thread, which may outlive a Finish that gave up waiting for it.
    struct State {
        Event cancel{true};
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        Result result;

        void End(Result value) {
            std::lock_guard lock(mutex);
            result = std::move(value);
            done = true;
            ended.notify_all();
        }
    };
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace korvida

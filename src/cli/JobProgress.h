#pragma once

#include <functional>
#include <string>

#include "core/jobs/JobHandle.h"
#include "core/jobs/MessageQueue.h"

namespace korvida::cli {

// Draws what the progress window would show: the caption of the current item and the
// progress of its extraction or encoding (and of an encoding behind it), redrawn only when the
// shown figure changes.
class ProgressBar {
  public:
    // Off a terminal (a log file, a pipe) a redrawn line would pile up as thousands of
    // fragments: each caption is then written once, as a line of its own.
    explicit ProgressBar(bool quiet);

    void Caption(const std::string& caption);
    void Progress(long perMille);
    // The encoding that runs behind the stage shown, drawn after it on the same line.
    // What the reading is busy with beyond the bar (secure reads settling a sector), on a
    // terminal only: a damaged disc gives thousands. Until the next caption.
    void Step(const std::string& text);
    void Behind(const std::string& caption);
    void BehindProgress(long perMille);
    // Clears the bar so that a log line starts on a clean line.
    void Clear();
    void Finish();

  private:
    void Draw(long perMille);

    bool quiet_;
    bool terminal_;
    std::string caption_;
    std::string step_;
    long perMille_ = -1;
    std::string behind_;
    long behindPerMille_ = 0;
    bool drawn_ = false;
};

// Hands the queue's messages to `handle` on the calling thread until `ended()`, or until
// the job has `finished()` and its last messages are handled. Closes the queue when it
// returns, however it returns, so stopping the job afterwards never waits for a worker
// blocked in a send to this thread.
void DispatchUntilEnded(MessageQueue& queue, const MessageQueue::Handler& handle,
                        const std::function<bool()>& ended, const std::function<bool()>& finished);

// Handles a job's messages on the calling thread until the job ends: captions and
// progress on the bar, job-log lines on standard error, the output paths of the items on
// standard output when it is done. encodeMode: items are announced as encoded (encode
// and decode jobs), else as ripped (rips and normalise jobs). Messages it does not
// handle go to `other`. printOutputs false: the items name files the job only read, and
// nothing is printed for them. itemCaption: the words items are announced in (JobCaptions).
// Returns kExitOk for WM_JOB_DONE, kExitFailed for WM_JOB_FAILED,
// and kExitFailed with a message when the job's worker ended without either. Closes the
// queue when it returns, however it returns, so stopping the job afterwards never waits
// for a worker blocked in a send to this thread.
int PumpJobMessages(MessageQueue& queue, WorkerJob& job, int itemCount, bool quiet, bool encodeMode,
                    const std::function<void(const Message&)>& other = {}, bool printOutputs = true,
                    const char* itemCaption = nullptr);

}  // namespace korvida::cli

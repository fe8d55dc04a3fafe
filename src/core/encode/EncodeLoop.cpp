#include "core/encode/EncodeLoop.h"

#include <algorithm>
#include <new>

#include "core/audio/LoudnessMeter.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/TrackReplayGain.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/text/Translate.h"

namespace korvida {

EncodeLoop::EncodeLoop(JobContext& context, EncodeTask& task, EncodeFiles& files)
    : context_(context), task_(task), files_(files) {}

EncodeLoop::~EncodeLoop() = default;

bool EncodeLoop::Allocate(std::size_t blockBytes) {
    // 16-bit storage, so the samples are read straight into what the meter and the
    // encoders take; one more for an odd last byte.
    buffer_.reset(new (std::nothrow) std::int16_t[blockBytes / 2 + 1]);
    blockBytes_ = blockBytes;
    if (buffer_)
        return true;
    LogPlain(context_, Tr("错误: 内存不足！"));
    return false;
}

bool EncodeLoop::ReadBlock(std::size_t bytes) {
    const std::int64_t got = files_.input().Read(buffer_.get(), bytes);
    if (got != static_cast<std::int64_t>(bytes)) {
        if (got < 0)
            LogFileError(context_, files_.input());
        else  // the file shrank while we read it
            LogFormatted(context_, Tr("错误: 不能读取文件 ") + files_.inputPath() + Tr("！"));
        return false;
    }
    // The WAV's little-endian samples are the host's.
    if (task_.loudness)
        task_.loudness->Add(buffer_.get(), bytes / (2u * files_.wav().format.channels));
    return true;
}

EncodeLoopEnd EncodeLoop::Run(std::uint64_t total, std::uint32_t readsPerProgress,
                              const Encode& encode) {
    if (!StartTrackMeter(context_, task_, files_.wav().format))
        return EncodeLoopEnd::kFailed;
    startTick_ = TickCount();
    if (!files_.input().Seek(files_.wav().dataOffset)) {
        LogFileError(context_, files_.input());
        return EncodeLoopEnd::kFailed;
    }
    const std::uint64_t length = files_.dataLength();
    std::uint64_t done = 0;
    std::uint32_t reads = 0;
    while (done < total) {
        if (ConsumeCancelRequest(context_)) {
            if (FirstToReportCancel(context_))
                LogPlain(context_, Tr("用户取消操作。"));
            context_.aborted = true;
            return EncodeLoopEnd::kCancelled;
        }
        const auto bytes =
            static_cast<std::size_t>(std::min<std::uint64_t>(blockBytes_, total - done));
        if (!ReadBlock(bytes) || !encode(bytes))
            return EncodeLoopEnd::kFailed;
        done += bytes;
        if (++reads % readsPerProgress == 0 && context_.progressWindow)
            context_.progressWindow->post(WM_ENCODE_PROGRESS, PerMille(done, length),
                                          static_cast<std::intptr_t>(TickCount() - startTick_));
    }
    return EncodeLoopEnd::kDone;
}

int EncodeLoop::Finish(bool cancelled, TagFormat format) {
    if (!files_.output().Close() && !cancelled) {
        LogFileError(context_, files_.output());
        return 0;
    }
    if (!cancelled && !TagTrackReplayGain(context_, task_, files_, format))
        return 0;
    files_.input().Close();
    return files_.Finish(cancelled, startTick_) ? 1 : 0;
}

}  // namespace korvida

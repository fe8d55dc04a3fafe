#include "core/audio/Normalisation.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "core/audio/BinaryFile.h"
#include "core/audio/WavFile.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

std::int16_t LoadSample(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

void StoreSample(std::uint8_t* p, std::int16_t s) {
    const auto u = static_cast<std::uint16_t>(s);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}

enum class PassEnd { kDone, kCancelled, kReadFailed, kWriteFailed };

struct BlockPass {
    bool writeBack = false;
    unsigned progressEvery = 0;  // blocks between progress reports
    std::function<void(std::uint8_t* block, std::size_t bytes)> visit;
    std::function<void(std::intptr_t perMille)> progress;
};

// Walks the data chunk block by block. Reads stop at the end of the data chunk, not only
// at the end of the file, so chunks after the samples (LIST and the like) are neither
// measured nor rewritten.
PassEnd RunBlockPass(BinaryFile& file, const WavInfo& info, JobContext& context,
                     const BlockPass& pass) {
    std::uint8_t block[kNormaliseBlockBytes];
    const std::uint32_t total = info.dataSize;
    // Blocks the progress is counted against; per-mille is held at 1000 when the last,
    // partial block pushes the count past the whole blocks.
    const std::uint32_t wholeBlocks = total / kNormaliseBlockBytes;
    std::uint32_t processed = 0;
    std::uint32_t blocks = 0;
    while (processed < total) {
        if (ConsumeCancelRequest(context))
            return PassEnd::kCancelled;
        const std::size_t want =
            std::min<std::size_t>(kNormaliseBlockBytes, std::size_t{total - processed});
        const std::uint64_t offset = info.dataOffset + processed;
        const std::int64_t got = file.ReadAt(offset, block, want);
        if (got < 0)
            return PassEnd::kReadFailed;
        if (got == 0)
            break;
        const auto bytes = static_cast<std::size_t>(got);
        pass.visit(block, bytes);
        if (pass.writeBack && !file.WriteAt(offset, block, bytes))
            return PassEnd::kWriteFailed;
        if (bytes < want)
            break;
        ++blocks;
        processed += static_cast<std::uint32_t>(bytes);
        if (blocks % pass.progressEvery == 0 && wholeBlocks > 0)
            pass.progress(
                std::min<std::uint64_t>(1000, std::uint64_t{blocks} * 1000 / wholeBlocks));
    }
    return PassEnd::kDone;
}

// The log line for a pass that did not finish; a cancel also marks the job.
void ReportPassEnd(JobContext& context, PassEnd end, const std::string& path,
                   const BinaryFile& file) {
    switch (end) {
        case PassEnd::kDone:
            return;
        case PassEnd::kCancelled:
            if (FirstToReportCancel(context))
                LogPlain(context, Tr("用户取消操作。"));
            context.aborted = true;
            return;
        case PassEnd::kReadFailed:
            LogFormatted(context, Tr("错误: 不能读取文件 ") + path + Tr("！"));
            return;
        case PassEnd::kWriteFailed:
            LogFormatted(context,
                         Tr("错误: 文件操作错误，错误原因: ") + file.lastErrorText() + Tr("！"));
            return;
    }
}

bool UsableGain(double gain) {
    return std::isfinite(gain) && gain > 0;
}

// Scales every sample of the data chunk in place, then closes the file. A gain that is
// not a positive finite number (a silent file has none) leaves the samples as they are.
// False after the failure (or cancel) has been logged.
bool ScaleAndClose(BinaryFile& file, const WavInfo& info, JobContext& context,
                   const std::string& path, double gain, unsigned progressEvery,
                   const std::function<void(std::intptr_t)>& progress) {
    if (UsableGain(gain)) {
        BlockPass pass;
        pass.writeBack = true;
        pass.progressEvery = progressEvery;
        pass.visit = [gain](std::uint8_t* block, std::size_t bytes) {
            ScaleSamples(block, bytes, gain);
        };
        pass.progress = progress;
        const PassEnd end = RunBlockPass(file, info, context, pass);
        if (end != PassEnd::kDone) {
            ReportPassEnd(context, end, path, file);
            return false;
        }
    }
    if (!file.Close()) {
        ReportPassEnd(context, PassEnd::kWriteFailed, path, file);
        return false;
    }
    return true;
}

}  // namespace

void PeakMeter::Update(const std::uint8_t* pcm, std::size_t bytes) {
    std::int16_t lo = minimum_;
    std::int16_t hi = maximum_;
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        const std::int16_t s = LoadSample(pcm + i);
        lo = std::min(lo, s);
        hi = std::max(hi, s);
    }
    minimum_ = lo;
    maximum_ = hi;
}

int PeakMeter::Peak() const {
    return std::max<int>(maximum_, -int{minimum_});
}

std::optional<double> NormalizeGain(int normalizeRatio, int peak) {
    if (peak <= 0)
        return std::nullopt;
    return normalizeRatio * 0.01 * 32767 / peak;
}

std::int16_t ScaleSample(std::int16_t sample, double gain) {
    const double v = sample * gain + 0.5;
    // Written so that a NaN lands on a limit too instead of reaching the conversion.
    if (!(v < 32767.0))
        return 32767;
    if (!(v > -32768.0))
        return -32768;
    return static_cast<std::int16_t>(v);  // the conversion truncates toward zero
}

void ScaleSamples(std::uint8_t* pcm, std::size_t bytes, double gain) {
    for (std::size_t i = 0; i + 1 < bytes; i += 2)
        StoreSample(pcm + i, ScaleSample(LoadSample(pcm + i), gain));
}

bool ApplyGain(MessageTarget* progressWindow, const std::string& path, double gain,
               JobContext& context) {
    const std::uint32_t t0 = TickCount();
    const auto progress = [&](std::intptr_t perMille) {
        if (progressWindow)
            progressWindow->post(WM_EXTRACT_PROGRESS, perMille,
                                 static_cast<std::intptr_t>(TickCount() - t0));
    };

    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::kReadWrite)) {
        LogFormatted(context, Tr("错误: 不能断开文件 ") + path + Tr("！"));
        return false;
    }
    WavInfo info;
    if (ReadWavInfo(file, info) != WavReadResult::kOk) {
        LogFormatted(context, Tr("错误: 不能读取文件 ") + path + Tr("！"));
        return false;
    }
    if (!ScaleAndClose(file, info, context, path, gain, 26, progress))
        return false;
    progress(1000);
    return true;
}

bool NormaliseFile(const std::string& path, JobContext& context, int normalizeRatio) {
    std::uint32_t t0 = TickCount();
    const auto progress = [&](std::intptr_t perMille) {
        if (context.progressWindow)
            context.progressWindow->send(WM_EXTRACT_PROGRESS, perMille,
                                         static_cast<std::intptr_t>(TickCount() - t0));
    };
    const auto status = [&](std::intptr_t kind) {
        if (context.progressWindow)
            context.progressWindow->send(WM_ITEM_STATUS, kind, 0, path);
    };

    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::kReadWrite)) {
        LogFormatted(context, Tr("错误: 不能断开文件 ") + path + Tr("！"));
        return false;
    }
    WavInfo info;
    const WavReadResult read = ReadWavInfo(file, info);
    if (read == WavReadResult::kShort) {
        LogFormatted(context, Tr("错误: 不能读取文件 ") + path + Tr("！"));
        return false;
    }
    if (read != WavReadResult::kOk || !IsCdAudio(info.format)) {
        LogFormatted(context, Tr("错误: 不支持文件 ") + path + Tr(" 的 wave 格式！"));
        return false;
    }

    status(2);
    PeakMeter meter;
    BlockPass peakPass;
    peakPass.progressEvery = 50;
    peakPass.visit = [&meter](std::uint8_t* block, std::size_t bytes) {
        meter.Update(block, bytes);
    };
    peakPass.progress = progress;
    const PassEnd end = RunBlockPass(file, info, context, peakPass);
    if (end != PassEnd::kDone) {
        ReportPassEnd(context, end, path, file);
        return false;
    }

    const std::optional<double> gain = NormalizeGain(normalizeRatio, meter.Peak());
    status(1);
    t0 = TickCount();
    if (!ScaleAndClose(file, info, context, path, gain.value_or(0.0), 30, progress))
        return false;
    progress(1000);
    return true;
}

}  // namespace korvida

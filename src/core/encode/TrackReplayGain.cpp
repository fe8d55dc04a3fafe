#include "core/encode/TrackReplayGain.h"

#include "core/audio/WavFile.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/EncodeTask.h"
#include "core/jobs/JobLog.h"
#include "core/text/Translate.h"

namespace korvida {

bool StartTrackMeter(const JobContext& context, EncodeTask& task, const WavFormat& wav) {
    if (!task.loudness || task.loudness->Start(wav.channels, wav.sampleRate))
        return true;
    LogPlain(context, Tr("错误: 内存不足！"));
    return false;
}

bool TagTrackReplayGain(const JobContext& context, EncodeTask& task, const EncodeFiles& files,
                        TagFormat format) {
    const std::optional<ReplayGain> track = task.loudness ? task.loudness->Result() : std::nullopt;
    if (!track ||
        WriteReplayGainTags(files.writtenPath(), format, *track, std::nullopt, true, nullptr))
        return true;
    LogPlain(context, Tr("错误: 不能写入文件 ") + files.outputPath() + Tr(" 的 ReplayGain 标签！"));
    return false;
}

}  // namespace korvida

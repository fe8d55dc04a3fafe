#include "core/rip/TagAlbumReplayGain.h"

#include <optional>
#include <string>

#include "core/audio/LoudnessMeter.h"
#include "core/encode/WriteReplayGainTags.h"
#include "core/jobs/JobLog.h"
#include "core/rip/RipJob.h"

namespace korvida {

void TagAlbumReplayGain(RipJob& job, const std::vector<std::unique_ptr<LoudnessMeter>>& meters) {
    std::vector<LoudnessMeter*> measured;
    for (const auto& meter : meters)
        if (meter && meter->started())
            measured.push_back(meter.get());
    const std::optional<ReplayGain> album = AlbumReplayGain(measured);
    if (!album)
        return;
    for (std::size_t i = 0; i < meters.size() && i < job.items.size(); ++i) {
        const RipJobItem& item = job.items[i];
        const std::optional<ReplayGain> track = meters[i] ? meters[i]->Result() : std::nullopt;
        const std::optional<TagFormat> format = TagFormatOf(item.outputPath);
        if (!track || !format)
            continue;
        std::string error;
        if (!WriteReplayGainTags(item.outputPath, *format, *track, album, false, &error))
            LogPlain(job.context,
                     "错误: 不能写入文件 " + item.outputPath + " 的 ReplayGain 标签！");
    }
}

}  // namespace korvida

#include "core/rip/DeEmphasiseTrack.h"

#include "core/audio/DeEmphasis.h"
#include "core/cdrom/Toc.h"
#include "core/disc/DiscInfo.h"
#include "core/jobs/JobLog.h"
#include "core/rip/RipJob.h"
#include "core/text/FormatText.h"

namespace korvida {

bool HasPreEmphasis(const RipJob& job, int index) {
    if (!job.disc)
        return false;
    const TocView toc = ParseTocReply(job.disc->rawToc.data(), job.disc->rawToc.size());
    const std::size_t at = index < 0 ? 0 : static_cast<std::size_t>(index);
    return at + 1 < toc.descriptors.size() && !toc.descriptors[at].IsData() &&
           (toc.descriptors[at].adrControl & 0x01);
}

int DeEmphasiseTrack(RipJob& job) {
    if (job.context.aborted || !job.current || !HasPreEmphasis(job, job.current->index))
        return 1;
    const RipJobItem& item = *job.current;
    const int number = item.index + 1;
    if (!job.settings.DeEmphasis) {
        LogPlain(job.context, FormatText("音轨 %02d 带有预加重 (未去加重)", number));
        return 1;
    }
    const std::string& path = job.keepWav ? item.outputPath : job.tempWavPath;
    std::string error;
    if (!DeEmphasiseWavFile(path, error)) {
        LogPlain(job.context, "错误: 不能去加重 " + error + "！");
        return 0;
    }
    LogPlain(job.context, FormatText("音轨 %02d 带有预加重，已去加重 (50/15 µs)", number));
    return 1;
}

}  // namespace korvida

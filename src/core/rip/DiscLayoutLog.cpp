#include "core/rip/DiscLayoutLog.h"

#include "core/cdrom/Toc.h"
#include "core/disc/DiscInfo.h"
#include "core/rip/DeEmphasiseTrack.h"
#include "core/rip/DetectGaps.h"
#include "core/rip/RipJob.h"
#include "core/text/FormatText.h"

namespace korvida {

std::string DiscLayoutLogText(const RipJob& job) {
    if (!job.indexes.detected)
        return "音轨间隙: 未检测\n\n";
    std::string text = "音轨间隙 (从子通道检测)\n";
    if (!job.disc)
        return text + "\n";
    const TocView toc = ParseTocReply(job.disc->rawToc.data(), job.disc->rawToc.size());
    if (job.indexes.hiddenFrames > 0)
        text += "  隐藏音轨: " + GapLength(job.indexes.hiddenFrames) + "\n";
    for (const std::string& line : IndexLines(job.indexes, toc))
        text += "  " + line + "\n";
    for (int number : job.indexes.unreadable)
        text += FormatText("  音轨 %02d 的索引位置无法读取 (子通道损坏)\n", number);
    for (std::size_t i = 0; i + 1 < toc.descriptors.size(); ++i)
        if (HasPreEmphasis(job, static_cast<int>(i)))
            text += FormatText("  音轨 %02d: 带有预加重 (%s)\n", toc.descriptors[i].trackNumber,
                               job.settings.DeEmphasis ? "已去加重" : "未去加重");
    return text + "\n";
}

}  // namespace korvida

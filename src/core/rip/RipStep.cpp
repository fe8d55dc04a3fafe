#include "core/rip/RipStep.h"

#include "core/jobs/Messages.h"
#include "core/rip/RipJob.h"
#include "core/text/FormatText.h"

namespace korvida {

std::string RipStepText(RipStep step, int number) {
    switch (step) {
        case RipStep::kTestRead:
            return "正在抓取 CDDA: 测试读取";
        case RipStep::kCopyRead:
            return "正在抓取 CDDA: 复制读取";
        case RipStep::kReread:
            return FormatText("正在抓取 CDDA: 第 %d 次重新读取", number);
        case RipStep::kReadingDone:
            return "读取完成，正在编码余下的音轨";
        case RipStep::kAwaitAccurateRip:
            return "正在等待 AccurateRip 数据库的回复";
        case RipStep::kAlbumReplayGain:
            return "正在写入专辑的 ReplayGain 标签";
        case RipStep::kRipLog:
            return "正在写入抓取日志";
        case RipStep::kAwaitCtdb:
            return "正在等待 CTDB 数据库的回复";
        case RipStep::kDetectGaps:
            return FormatText("正在检测音轨间隙 (%02d/%02d)", number / 100, number % 100);
        case RipStep::kSecureReread:
            return FormatText("正在重读第 %d 个可疑扇区", number);
    }
    return {};
}

void PostRipStep(RipJob& job, RipStep step, int number) {
    if (job.context.progressWindow)
        job.context.progressWindow->post(WM_RIP_STEP, static_cast<std::intptr_t>(step), number);
}

}  // namespace korvida

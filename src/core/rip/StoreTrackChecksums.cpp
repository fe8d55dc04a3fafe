#include "core/rip/StoreTrackChecksums.h"

#include "core/jobs/JobLog.h"
#include "core/rip/RipJob.h"
#include "core/verify/TrackChecksumAccumulator.h"

namespace korvida {

void StoreTrackChecksums(RipJob& job, const TrackChecksumAccumulator& sums, TrackRange whole,
                         bool normalised) {
    RipJobItem& item = *job.current;
    TrackVerification& verification = item.verification;
    sums.Store(verification);
    verification.trimmed = item.start != whole.start || item.end != whole.end;
    verification.normalised = normalised;
    if (!verification.skippedSectors.empty()) {
        LogPlain(job.context, "注意: " + item.name + " 有无法读取的扇区被跳过，校验和不完整。");
    } else if (verification.trimmed || verification.normalised) {
        const char* change = !verification.normalised ? "已裁剪静音"
                             : !verification.trimmed  ? "已标准化"
                                                      : "已裁剪静音并标准化";
        LogPlain(job.context, "注意: " + item.name + " 的校验和取自光盘上的整首音轨，写入的文件" +
                                  change + "，与之不同。");
    }
}

}  // namespace korvida

#include "core/rip/RipLogText.h"

#include <cstdarg>
#include <cstdio>

#include "core/cdrom/Toc.h"
#include "core/disc/DiscInfo.h"
#include "core/encode/EncoderFormats.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/rip/DiscLayoutLog.h"
#include "core/rip/RipJob.h"
#include "core/verify/SuspiciousPositions.h"
#include "core/verify/VerificationText.h"

namespace korvida {
namespace {

// printf into a string; every line of the log is short.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// A length in frames as mm:ss:ff (no 150-frame lead-in, unlike an address).
std::string Duration(std::uint32_t frames) {
    return Format("%02u:%02u:%02u", frames / (60 * 75), frames / 75 % 60, frames % 75);
}

const char* OnOff(int value) {
    return value ? "开" : "关";
}

const char* FormatName(int outputFormat) {
    switch (outputFormat) {
        case kOutputWav:
            return "WAV";
        case kOutputOgg:
            return "Ogg Vorbis";
        case kOutputFlac:
            return "FLAC";
        case kOutputOpus:
            return "Opus";
        default:
            return "MP3";
    }
}

// The outcome in the words the completion page uses; ours only when the verification left
// its text empty.
std::string ResultText(const TrackVerification& v) {
    if (const std::string text = AccurateRipVerificationText(v); !text.empty())
        return text;
    switch (v.outcome) {
        case AccurateRipOutcome::kAccurate:
            return Format("accurately ripped (confidence %d, v%d)", v.confidence, v.version);
        case AccurateRipOutcome::kNotAccurate:
            return "not accurate";
        case AccurateRipOutcome::kNotInDatabase:
            return "not in the database";
        case AccurateRipOutcome::kSilent:
            return "digital silence, cannot be verified";
        case AccurateRipOutcome::kLookupFailed:
            return "lookup failed";
        case AccurateRipOutcome::kLookupNotFinished:
            return "lookup not finished";
        case AccurateRipOutcome::kReplyUnreadable:
            return "reply unreadable";
        case AccurateRipOutcome::kNotChecked:
            break;
    }
    return "未校验";
}

const char* CacheDefeatText(CacheDefeat how) {
    switch (how) {
        case CacheDefeat::kFua:
            return "FUA 读取 (光驱丢弃缓存)";
        case CacheDefeat::kFarRead:
            return "读取远处的音频 (光驱不支持 FUA)";
        case CacheDefeat::kNone:
            break;
    }
    return "未能避开";
}

TrackRange TocRange(const RipJob& job, const RipJobItem& item) {
    if (job.disc && item.index >= 0 && item.index < job.disc->trackCount)
        return job.disc->trackRanges[static_cast<std::size_t>(item.index)];
    return {item.start, item.end};
}

bool Trimmed(const RipJob& job, const RipJobItem& item) {
    const TrackRange toc = TocRange(job, item);
    return item.verification.trimmed || toc.start != item.start || toc.end != item.end;
}

bool Normalised(const RipJob& job, const RipJobItem& item) {
    return item.verification.normalised || job.settings.Normalize != 0;
}

// Why an item is not proven accurate; empty when it is.
std::string NotAccurateReason(const RipJobItem& item) {
    if (item.outputPath.empty())
        return "未完成";
    if (item.verification.suspicious)
        return "测试与复制的两次读取始终不一致，可疑";
    if (!item.verification.suspiciousSpans.empty() &&
        item.verification.outcome != AccurateRipOutcome::kAccurate)
        return "有可疑位置 (多次读取不一致)";
    // The hidden track: no database has it, its CRC is its whole check.
    if (item.index < 0)
        return {};
    if (item.verification.outcome != AccurateRipOutcome::kAccurate)
        return ResultText(item.verification);
    return {};
}

void AppendSettings(std::string& log, const Settings& s) {
    log += "影响音频的设置\n";
    log += Format("  读取偏移: %+d 个采样\n", s.ReadOffset);
    log += s.DeleteSilence ? Format("  自动删除静音: 开 (开始 %d 帧, 后续 %d 帧)\n", s.LeadingFrame,
                                    s.TrailingFrame)
                           : std::string("  自动删除静音: 关\n");
    log += s.Normalize ? Format("  规格化至: %d %%\n", s.NormalizeRatio)
                       : std::string("  规格化: 关\n");
    log += Format("  出现错误扇区时仍然继续抓取: %s (重试 %d 次)\n", OnOff(s.BoolSkipError),
                  s.RetryTimes);
    log += Format("  测试与复制: %s\n", OnOff(s.TestAndCopy));
    if (s.SecureMode > 0)
        log += Format(
            "  安全读取: %s, 每个扇区最多重读 %d 次\n",
            s.SecureMode == 1 ? "比较模式 (每个扇区读取两次)" : "C2 模式 (C2 错误指针，再比较)",
            s.SecureRereads);
    log += s.ReadSpeed > 0 ? Format("  读取速度: %d×\n", s.ReadSpeed)
                           : std::string("  读取速度: 光驱最快速度\n");
    log += Format("  AccurateRip 校验: %s, 查询: %s\n", OnOff(s.AccurateRipVerify),
                  OnOff(s.AccurateRipVerify && s.AccurateRipLookup));
    if (s.CtdbVerify && s.AccurateRipVerify)
        log += Format("  CTDB 校验: 开, 查询: %s\n", OnOff(s.CtdbLookup));
    log += Format("  输出格式: %s\n\n", FormatName(s.OutputFormat));
}

void AppendToc(std::string& log, const DiscInfo& disc) {
    const TocView toc = ParseTocReply(disc.rawToc.data(), disc.rawToc.size());
    log += "TOC\n";
    log += "  音轨  类型  开始 (MSF)  开始 (LBA)  长度 (MSF)  结束 (LBA)\n";
    for (std::size_t i = 0; i + 1 < toc.descriptors.size(); ++i) {
        const TocDescriptor& d = toc.descriptors[i];
        const std::uint32_t next = toc.descriptors[i + 1].lba;
        const std::uint32_t frames = next > d.lba ? next - d.lba : 0;
        log += Format("  %02u    %s  %s    %10u  %s    %10u\n", d.trackNumber,
                      d.IsData() ? "数据" : "音频", FormatMsf(d.lba).c_str(), d.lba,
                      Duration(frames).c_str(), frames ? next - 1 : d.lba);
    }
    if (!toc.descriptors.empty()) {
        const TocDescriptor& leadout = toc.descriptors.back();
        log += Format("  导出区      %s    %10u\n", FormatMsf(leadout.lba).c_str(), leadout.lba);
    }
    std::uint32_t freedbId = 0;
    if (FreedbDiscIdOfLbaToc(disc.rawToc, freedbId))
        log += Format("  freedb id: %08x\n", freedbId);
    log += "\n";
}

void AppendItem(std::string& log, const RipJob& job, const RipJobItem& item) {
    const TrackVerification& v = item.verification;
    log += Format("音轨 %02d  ", item.index + 1) + item.name + "\n";
    log += "  文件: " + (item.outputPath.empty() ? std::string("未完成") : item.outputPath) + "\n";
    const TrackRange toc = TocRange(job, item);
    log += Format("  范围: LBA %u - %u (%s)\n", toc.start,
                  toc.end > toc.start ? toc.end - 1 : toc.start,
                  Duration(toc.end - toc.start).c_str());
    const bool trimmed = Trimmed(job, item);
    if (trimmed && item.end > item.start) {
        log += Format("  写入的范围: LBA %u - %u (%s)\n", item.start, item.end - 1,
                      Duration(item.end - item.start).c_str());
    }
    if (v.checked) {
        log += Format("  峰值: %.1f %%\n", v.peak * 100.0 / 32767);
    } else {
        log += "  峰值: 未测量\n";
    }
    if (v.offsetZeroSamples)
        log += Format("  光盘以外补零: %u 个采样\n", v.offsetZeroSamples);
    if (v.skippedSectors.empty()) {
        log += "  跳过的扇区: 无\n";
    } else {
        log += Format("  跳过的扇区: %zu 处:", v.skippedSectors.size());
        for (std::uint32_t lba : v.skippedSectors)
            log += Format(" LBA %u (%s)", lba, FormatMsf(lba).c_str());
        log += "\n";
    }
    if (v.tested) {
        log += Format("  测试与复制: 测试 CRC %08x, 复制 CRC %08x, 重读 %d 次%s\n", v.testCrc,
                      v.copyCrc, v.rereads, v.suspicious ? ", 两次读取始终不一致，可疑" : "");
        log += std::string("  重读前避开光驱缓存: ") + CacheDefeatText(v.cacheDefeat) + "\n";
    } else {
        log += "  测试与复制: 未进行\n";
    }
    if (v.secureMode > 0) {
        log += Format("  安全读取: %s, C2 错误指针: %s, 重读的扇区: %d\n",
                      v.secureMode == 1 ? "比较模式" : "C2 模式", v.c2Used ? "已使用" : "未使用",
                      v.rereadSectors);
        for (const FrameSpan& span : v.suspiciousSpans)
            log += "  可疑位置 " + SpanText(span) + "\n";
    }
    if (v.checked) {
        log += Format("  CRC32: %08x\n  CRC32-nonull: %08x\n  ARv1: %08x\n  ARv2: %08x\n",
                      v.sums.crc32, v.sums.crc32NoNull, v.sums.arV1, v.sums.arV2);
    } else {
        log += "  CRC32, ARv1, ARv2: 未计算\n";
    }
    log += "  AccurateRip: " + ResultText(v) + "\n";
    if (!v.ctdbText.empty()) {
        log += v.sums.hasCtdb ? Format("  CTDB: %08x %s", v.sums.ctdb, v.ctdbText.c_str())
                              : "  CTDB: " + v.ctdbText;
        log += "\n";
    }
    if (trimmed || Normalised(job, item)) {
        log += Format("  写入的文件与校验的音频不同: %s\n", trimmed && Normalised(job, item)
                                                                ? "已删除静音并规格化"
                                                            : trimmed ? "已删除静音"
                                                                      : "已规格化");
    }
    log += "\n";
}

}  // namespace

bool AllTracksAccurate(const RipJob& job, RipEnd end) {
    if (end != RipEnd::kDone || job.items.empty())
        return false;
    for (const RipJobItem& item : job.items) {
        if (!NotAccurateReason(item).empty())
            return false;
    }
    return true;
}

std::string RipLogText(const RipJob& job, RipEnd end, const RipLogFacts& facts) {
    std::string log = facts.program + " 抓取日志\n";
    log += "日期: " + facts.writtenAt + "\n\n";
    if (!job.items.empty()) {
        const TrackInfo& album = job.items.front().track;
        if (!album.Artist.empty())
            log += "歌手: " + album.Artist + "\n";
        if (!album.Album.empty())
            log += "专辑: " + album.Album + "\n";
    }
    log += "驱动器: " + (facts.driveName.empty() ? std::string("未知") : facts.driveName) + "\n\n";
    AppendSettings(log, job.settings);
    log += DiscLayoutLogText(job);
    if (job.disc)
        AppendToc(log, *job.disc);
    for (const RipJobItem& item : job.items)
        AppendItem(log, job, item);

    log += "cue 表: " + facts.cueSheet + "\n\n";
    log += "结果\n";
    log += end == RipEnd::kDone        ? "  抓取完成\n"
           : end == RipEnd::kCancelled ? "  抓取已取消\n"
                                       : "  抓取失败\n";
    if (AllTracksAccurate(job, end)) {
        log += "  所有音轨均已准确抓取\n";
    } else {
        log += "  未能确认准确抓取的音轨:\n";
        for (const RipJobItem& item : job.items) {
            const std::string reason = NotAccurateReason(item);
            if (!reason.empty())
                log += Format("    %02d  ", item.index + 1) + reason + "\n";
        }
    }
    return log;
}

}  // namespace korvida

#include "core/verify/VerificationSummary.h"

#include "core/text/FormatText.h"
#include "core/verify/SuspiciousPositions.h"

namespace korvida {
namespace {

struct Counts {
    int total = 0;
    int accurate = 0;
    int notAccurate = 0;
    int notInDatabase = 0;
    int silent = 0;
    int noAnswer = 0;          // the lookup failed, was off, did not finish or did not parse
    int unreadable = 0;        // not checked because sectors could not be read
    int tested = 0;            // test and copy ran
    int suspicious = 0;        // its reads never agreed
    int secure = 0;            // read with secure reads
    std::string noAnswerText;  // the first such track's result, which says why
    // The CUETools database beside AccurateRip.
    int ctdbChecked = 0;
    int ctdbAccurate = 0;
    int ctdbDiffers = 0;
    int ctdbNotInDatabase = 0;
    std::string ctdbNoAnswerText;
    // Tracks one database or the other confirms.
    int confirmed = 0;

    int compared() const { return accurate + notAccurate + notInDatabase + silent + noAnswer; }
};

Counts CountResults(const std::vector<const TrackVerification*>& tracks) {
    Counts c;
    for (const TrackVerification* v : tracks) {
        if (!v)
            continue;
        ++c.total;
        switch (v->outcome) {
            case AccurateRipOutcome::kAccurate:
                ++c.accurate;
                break;
            case AccurateRipOutcome::kNotAccurate:
                ++c.notAccurate;
                break;
            case AccurateRipOutcome::kNotInDatabase:
                ++c.notInDatabase;
                break;
            case AccurateRipOutcome::kSilent:
                ++c.silent;
                break;
            case AccurateRipOutcome::kLookupFailed:
            case AccurateRipOutcome::kLookupNotFinished:
            case AccurateRipOutcome::kReplyUnreadable:
                if (c.noAnswer++ == 0)
                    c.noAnswerText = v->resultText;
                break;
            case AccurateRipOutcome::kNotChecked:
                if (!v->skippedSectors.empty())
                    ++c.unreadable;
                break;
        }
        switch (v->ctdbOutcome) {
            case CtdbOutcome::kNotChecked:
                break;
            case CtdbOutcome::kAccurate:
                ++c.ctdbAccurate;
                break;
            case CtdbOutcome::kDiffers:
                ++c.ctdbDiffers;
                break;
            case CtdbOutcome::kNotInDatabase:
                ++c.ctdbNotInDatabase;
                break;
            case CtdbOutcome::kLookupOff:
            case CtdbOutcome::kLookupFailed:
            case CtdbOutcome::kLookupNotFinished:
            case CtdbOutcome::kReplyUnreadable:
                if (c.ctdbNoAnswerText.empty())
                    c.ctdbNoAnswerText = v->ctdbText;
                break;
        }
        if (v->ctdbOutcome != CtdbOutcome::kNotChecked)
            ++c.ctdbChecked;
        if (v->outcome == AccurateRipOutcome::kAccurate || v->ctdbOutcome == CtdbOutcome::kAccurate)
            ++c.confirmed;
        if (v->tested)
            ++c.tested;
        if (v->secureMode > 0)
            ++c.secure;
        // Suspicious sectors count until the database shows the track right after all.
        if (v->suspicious ||
            (!v->suspiciousSpans.empty() && v->outcome != AccurateRipOutcome::kAccurate))
            ++c.suspicious;
    }
    return c;
}

// What the CUETools database adds, when it was asked.
void CtdbParts(const Counts& c, std::vector<std::string>& parts) {
    if (c.ctdbChecked == 0)
        return;
    if (c.ctdbAccurate == c.total) {
        parts.push_back(FormatText("CTDB 数据库确认了全部 %d 条", c.total));
    } else if (c.ctdbAccurate + c.ctdbDiffers > 0) {
        std::string part = FormatText("CTDB 数据库中 %d 条一致", c.ctdbAccurate);
        if (c.ctdbDiffers > 0)
            part += FormatText("，%d 条有差异", c.ctdbDiffers);
        parts.push_back(part);
    } else if (c.ctdbNotInDatabase == c.total) {
        parts.push_back("CTDB 数据库中没有这张光盘");
    } else if (!c.ctdbNoAnswerText.empty()) {
        parts.push_back("未能从 CTDB 数据库得到结果 (" + c.ctdbNoAnswerText + ")");
    }
}

std::vector<std::string> LineParts(const Counts& c) {
    std::vector<std::string> parts;
    if (c.compared() > 0) {
        if (c.accurate == c.total) {
            parts.push_back(
                FormatText("%d 条音轨全部与 AccurateRip 数据库中其他人的抓取一致", c.total));
        } else if (c.accurate + c.notAccurate > 0) {
            parts.push_back(FormatText("%d 条音轨中 %d 条与 AccurateRip 数据库中其他人的抓取一致",
                                       c.total, c.accurate));
            if (c.notAccurate > 0)
                parts.push_back(FormatText("%d 条不一致 — 可能是划痕或读取错误", c.notAccurate));
            if (c.notInDatabase > 0)
                parts.push_back(FormatText("%d 条在数据库中还没有记录", c.notInDatabase));
        } else if (c.notInDatabase == c.total) {
            parts.push_back("AccurateRip 数据库中还没有这张光盘，无法与其他人的抓取比较");
        } else if (c.notInDatabase > 0) {
            parts.push_back(
                FormatText("%d 条音轨在 AccurateRip 数据库中还没有记录，无法与其他人的抓取比较",
                           c.notInDatabase));
        }
        if (c.silent > 0)
            parts.push_back(FormatText("%d 条全为静音，无法校验", c.silent));
        if (c.noAnswer == c.total)
            parts.push_back("未能从 AccurateRip 数据库得到结果 (" + c.noAnswerText +
                            ")，无法与其他人的抓取比较");
        else if (c.noAnswer > 0)
            parts.push_back(
                FormatText("%d 条未能与数据库比较 (%s)", c.noAnswer, c.noAnswerText.c_str()));
    }
    CtdbParts(c, parts);
    if (c.unreadable > 0)
        parts.push_back(FormatText("%d 条有无法读取的扇区，未能校验", c.unreadable));
    if (c.suspicious > 0)
        parts.push_back(FormatText("%d 条音轨多次读取互不一致 — 文件可能有错误", c.suspicious));
    else if (c.tested == c.total && c.total > 0)
        parts.push_back("测试与复制: 每条音轨都有两次读取一致");
    else if (c.tested > 0)
        parts.push_back(FormatText("测试与复制: %d 条音轨两次读取一致", c.tested));
    return parts;
}

std::string Details(const Counts& c) {
    std::string text;
    auto paragraph = [&text](const char* p) {
        if (!text.empty())
            text += "\n\n";
        text += p;
    };
    if (c.compared() > 0)
        paragraph(
            "AccurateRip 是一个收集了许多人抓取结果的数据库。一条音轨的校验和与其他人的相同，"
            "说明双方都读出了光盘上的真实数据。");
    if (c.accurate > 0)
        paragraph(
            "“可信度”是与您的结果相同的提交次数，越大越可靠；v1 和 v2 是两种算法的校验和，"
            "任一种相同即可。");
    if (c.notAccurate > 0)
        paragraph(
            "“不准确”: 数据库中有这张光盘，但这条音轨与所有提交都不同 — 可能是光盘划痕或读取"
            "错误，也可能是另一个压制版本的光盘。可以清洁光盘后重新抓取，或在选项中开启"
            "“测试与复制”。");
    if (c.notInDatabase > 0)
        paragraph(
            "“不在数据库中”: AccurateRip 数据库中还没有人提交过这条音轨，无法比较；"
            "这并不表示抓取有误。");
    if (c.silent > 0)
        paragraph("“全为静音”: 静音的校验和为 0，与任何光盘都相同，证明不了什么。");
    if (c.ctdbChecked > 0)
        paragraph(
            "CTDB (CUETools 数据库) 是另一个收集抓取结果的数据库，两者互相独立；“有差异”表示"
            "数据库中有这张光盘，但这条音轨与所有记录都不同。");
    if (c.noAnswer > 0)
        paragraph("没有得到数据库的结果时，日志中写有原因 (例如没有联网)。");
    if (c.unreadable > 0)
        paragraph(
            "“有无法读取的扇区”: 这些部分没有写入文件 (选项中选择了出现错误扇区时仍然继续抓取)。");
    if (c.secure > 0)
        paragraph(
            "“安全读取”: 每个扇区读取两次 (或由光驱的 C2 错误指针检查)，不一致的扇区重新读取，"
            "直到某个结果出现两次；始终没有两次相同结果的扇区标为“可疑位置”，以音轨内的时间给出。");
    if (c.tested > 0)
        paragraph(
            "“测试与复制”: 每条音轨读取两次并比较 CRC32。两次相同说明读取稳定，但不能排除每次"
            "都相同的错误；不一致时重新读取，始终不一致的标为“可疑”。");
    return text;
}

std::string JoinParts(const std::vector<std::string>& parts) {
    std::string line;
    for (const std::string& part : parts)
        line += (line.empty() ? "" : "；") + part;
    return line.empty() ? line : line + "。";
}

}  // namespace

VerificationSummary SummariseVerification(const std::vector<const TrackVerification*>& tracks) {
    const Counts c = CountResults(tracks);
    VerificationSummary summary;
    summary.line = JoinParts(LineParts(c));
    if (summary.line.empty())
        return summary;
    summary.details = Details(c);
    using Level = VerificationSummary::Level;
    const bool noDatabase = c.compared() == 0 && c.ctdbChecked == 0;
    if (c.notAccurate > 0 || c.ctdbDiffers > 0 || c.suspicious > 0 || c.unreadable > 0)
        summary.level = Level::kProblem;
    else if (c.confirmed == c.total || (noDatabase && c.tested == c.total))
        summary.level = Level::kConfirmed;
    else
        summary.level = Level::kUnconfirmed;
    return summary;
}

std::string VerificationExplanation(const TrackVerification& v) {
    std::string text;
    switch (v.outcome) {
        case AccurateRipOutcome::kAccurate:
            text = FormatText("与 AccurateRip 数据库中 %d 次提交的抓取完全一致 (第 %d 版校验和)。",
                              v.confidence, v.version);
            break;
        case AccurateRipOutcome::kNotAccurate:
            text =
                "AccurateRip 数据库中有这张光盘，但这条音轨与所有提交都不同: 可能是划痕或读取"
                "错误，也可能是另一个压制版本。";
            break;
        case AccurateRipOutcome::kNotInDatabase:
            text = "AccurateRip 数据库中还没有这条音轨的记录，无法与其他人的抓取比较。";
            break;
        case AccurateRipOutcome::kSilent:
            text = "音轨全为静音: 静音的校验和为 0，与任何光盘都相同，无法校验。";
            break;
        case AccurateRipOutcome::kLookupFailed:
        case AccurateRipOutcome::kLookupNotFinished:
        case AccurateRipOutcome::kReplyUnreadable:
            text = "未能从 AccurateRip 数据库得到结果 (" + v.resultText + ")；原因见日志。";
            break;
        case AccurateRipOutcome::kNotChecked:
            text = v.skippedSectors.empty() ? "没有计算校验和 (校验已关闭，或音轨没有完整读取)。"
                                            : "有无法读取的扇区，这些部分没有写入文件，未能校验。";
            break;
    }
    switch (v.ctdbOutcome) {
        case CtdbOutcome::kNotChecked:
            break;
        case CtdbOutcome::kAccurate:
            text += FormatText(" CTDB 数据库中 %d 次提交 (共 %d 次) 与它一致。", v.ctdbConfidence,
                               v.ctdbTotal);
            break;
        case CtdbOutcome::kDiffers:
            text += " CTDB 数据库中有这张光盘，但这条音轨与所有记录都不同。";
            break;
        default:
            text += " CTDB: " + v.ctdbText + "。";
            break;
    }
    if (!v.suspiciousSpans.empty()) {
        text += " 安全读取: 有的扇区多次读取都没有两次相同的结果，可疑位置";
        for (const FrameSpan& span : v.suspiciousSpans)
            text += " " + SpanText(span);
        text += "。";
    }
    if (v.suspicious) {
        text += FormatText(" 测试与复制: %zu 次读取互不一致，文件保存的是最后一次读取。",
                           v.readCrcs.size());
    } else if (v.tested && v.rereads == 0) {
        text += FormatText(" 测试与复制: 两次读取一致 (CRC32 %08X)。", v.copyCrc);
    } else if (v.tested) {
        text += FormatText(" 测试与复制: 第 %zu 次读取与第 %d 次读取一致 (CRC32 %08X)。",
                           v.readCrcs.size(), v.agreedWith + 1, v.copyCrc);
    }
    return text;
}

}  // namespace korvida

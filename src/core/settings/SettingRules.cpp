#include "core/settings/SettingRules.h"

#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"
#include "core/text/Utf8.h"

namespace korvida {
namespace {

bool IsBlankText(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Trimmed, one trailing '/', created with its parents; empty when that fails.
std::string MadeFolder(std::string_view entry) {
    if (IsBlankText(entry))
        return {};
    std::string folder = NormalizedFolder(std::string(entry));
    return MakeSureDirectoryPathExists(folder) ? folder : std::string();
}

std::size_t MaxCharsOf(const char* section, const char* key) {
    Settings probe;
    return FindSetting(probe, section, key).textRule.maxChars;
}

}  // namespace

std::optional<std::string> CheckRange(int value, int lo, int hi) {
    if (value >= lo && value <= hi)
        return std::nullopt;
    return FormatText(Tr("请输入一个介于 %d 和 %d 之间的整数。"), lo, hi);
}

std::optional<std::string> CheckLength(std::string_view text, std::size_t maxChars) {
    if (maxChars == 0 || text.size() <= maxChars)
        return std::nullopt;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters)
        NextCodePoint(text, i);
    if (characters <= maxChars)
        return std::nullopt;
    return FormatText(Tr("请输入不超过 %zu 个字符。"), maxChars);
}

std::optional<std::string> CheckNamingRule(std::string_view rule) {
    for (const char* token : {"<title>", "<number>", "<artist>", "<album>", "<year>"})
        if (rule.find(token) != std::string_view::npos)
            return std::nullopt;
    return Tr("标准的命名字符串格式必须包括以下内容:\n<标题> <编号> <歌手> <专辑> <年份>");
}

NamingValidation ValidateNamingSettings(std::string_view folder, std::string_view rule) {
    NamingValidation v;
    v.folder = NormalizedFolder(std::string(folder));
    v.rule = rule.empty() ? std::string(kEmptyNamingRule) : std::string(rule);
    if (auto tooLong = CheckLength(folder, MaxCharsOf("General", "OutputFolder"))) {
        v.message = *tooLong;
        return v;
    }
    auto problem = CheckLength(rule, MaxCharsOf("Misc", "NamingRule"));
    if (!problem)
        problem = CheckNamingRule(v.rule);
    if (problem) {
        v.message = *problem;
        v.ruleRefused = true;
        return v;
    }
    // A blank entry would otherwise be taken as the root of the file system.
    if (MadeFolder(folder).empty()) {
        v.message = Tr("不能创建目录  ") + v.folder;
        return v;
    }
    v.accepted = true;
    return v;
}

TempFolderCommit CommitTempFolder(const std::string& entered, const std::string& previous) {
    TempFolderCommit result;
    result.folder = MadeFolder(entered);
    if (result.folder.empty() && !MadeFolder(previous).empty())
        result.folder = previous;
    result.accepted = !result.folder.empty();
    if (!result.accepted) {
        result.folder = previous;
        result.message = Tr("不能打开临时目录！");
    }
    return result;
}

TextSetting CheckTextSetting(const TextRule& rule, std::string_view value) {
    TextSetting result;
    if (auto tooLong = CheckLength(value, rule.maxChars)) {
        result.message = *tooLong;
        return result;
    }
    result.value = std::string(value);
    switch (rule.check) {
        case TextRule::Check::kNone:
            result.value = CutUtf8(value, rule.buffer - 1);
            break;
        case TextRule::Check::kNamingRule:
            if (result.value.empty())
                result.value = kEmptyNamingRule;
            if (auto problem = CheckNamingRule(result.value)) {
                result.message = *problem;
                return result;
            }
            break;
        case TextRule::Check::kOutputFolder:
            result.value = MadeFolder(value);
            if (result.value.empty()) {
                result.message = Tr("不能创建目录  ") + NormalizedFolder(std::string(value));
                return result;
            }
            break;
        case TextRule::Check::kTempFolder:
            result.value = MadeFolder(value);
            if (result.value.empty()) {
                result.message = Tr("不能打开临时目录！");
                return result;
            }
            break;
        case TextRule::Check::kLanguage:
            if (!ParseLanguage(value)) {
                result.message = Tr("语言只能是 zh、en 或 auto");
                return result;
            }
            break;
    }
    result.accepted = true;
    return result;
}

std::optional<std::string> LoadedTextSetting(const TextRule& rule, std::string value) {
    if (CheckLength(value, rule.maxChars))
        return std::nullopt;
    if (rule.check == TextRule::Check::kNamingRule) {
        if (value.empty())
            return std::string(kEmptyNamingRule);
        if (CheckNamingRule(value))
            return std::nullopt;
    }
    if (rule.check == TextRule::Check::kLanguage && !ParseLanguage(value))
        return std::nullopt;
    return value;
}

}  // namespace korvida

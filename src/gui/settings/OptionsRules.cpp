#include "gui/settings/OptionsRules.h"

#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"

namespace korvida::gui {
namespace {

bool IsBlankText(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// Trimmed, one trailing '/', created with its parents; empty when that fails.
std::string MadeFolder(const std::string& entry) {
    if (IsBlankText(entry))
        return {};
    std::string folder = NormalizedFolder(entry);
    return MakeSureDirectoryPathExists(folder) ? folder : std::string();
}

}  // namespace

std::optional<std::string> CheckRange(int value, int lo, int hi) {
    if (value >= lo && value <= hi)
        return std::nullopt;
    return FormatText("请输入一个介于 %d 和 %d 之间的整数。", lo, hi);
}

std::optional<std::string> CheckLength(std::size_t characters, std::size_t maxCharacters) {
    if (characters <= maxCharacters)
        return std::nullopt;
    return FormatText("请输入不超过 %zu 个字符。", maxCharacters);
}

TempFolderCommit CommitTempFolder(const std::string& entered, const std::string& previous) {
    TempFolderCommit result;
    result.folder = MadeFolder(entered);
    if (result.folder.empty() && !MadeFolder(previous).empty())
        result.folder = previous;
    result.accepted = !result.folder.empty();
    if (!result.accepted) {
        result.folder = previous;
        result.message = "不能打开临时目录！";
    }
    return result;
}

ProxyEnables ProxyEnablesFor(bool useProxy, bool authorise) {
    return ProxyEnables{useProxy, useProxy && authorise};
}

std::string FolderForDisplay(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string TrimTrailingWhiteSpace(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.pop_back();
    return text;
}

}  // namespace korvida::gui

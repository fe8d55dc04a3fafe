#pragma once

#include <optional>
#include <string>

namespace korvida::gui {

// The field checks of the pages: a number outside its range or a text longer than its
// field refuses leaving the page and OK, with these messages.
std::optional<std::string> CheckRange(int value, int lo, int hi);
std::optional<std::string> CheckLength(std::size_t characters, std::size_t maxCharacters);

// The temporary folder as Miscellaneous 2 commits it: the entry trimmed, with one
// trailing '/', created with its parents. When that fails the previous folder is kept if
// it exists or can be made; otherwise the page refuses with "不能打开临时目录！". A blank
// entry fails like a folder that cannot be made (it would name the root).
struct TempFolderCommit {
    bool accepted = false;
    std::string folder;   // what TEMPDIRECTORY becomes
    std::string message;  // when refused
};
TempFolderCommit CommitTempFolder(const std::string& entered, const std::string& previous);

// The Freedb page's proxy controls: server, port and the authorisation box while the
// proxy is used; name and password only while the proxy is used with authorisation.
struct ProxyEnables {
    bool server = false;
    bool credentials = false;
};
ProxyEnables ProxyEnablesFor(bool useProxy, bool authorise);

// A folder as its edit shows it: without the trailing '/' (the root stays "/").
std::string FolderForDisplay(std::string folder);

// Trailing blanks, tabs and line ends removed.
std::string TrimTrailingWhiteSpace(std::string text);

}  // namespace korvida::gui

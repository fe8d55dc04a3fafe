#pragma once

#include <string>

namespace korvida::gui {

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

#include "gui/settings/OptionsRules.h"

namespace korvida::gui {
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

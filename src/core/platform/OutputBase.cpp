#include "core/platform/OutputBase.h"

namespace korvida {

std::string OutputBase(std::string_view folder) {
    while (!folder.empty() && (folder.back() == ' ' || folder.back() == '\t'))
        folder.remove_suffix(1);
    // A blank folder would otherwise become the root of the file system. "/" itself is a
    // folder the user chose, so the test comes before the slashes are trimmed.
    if (folder.empty())
        return {};
    while (!folder.empty() && folder.back() == '/')
        folder.remove_suffix(1);
    return std::string(folder) + '/';
}

std::string PathWithinFolder(std::string_view path, std::string_view folder) {
    const std::string base = OutputBase(folder);
    if (base.empty() || path.size() <= base.size() || path.substr(0, base.size()) != base)
        return std::string(path);
    return std::string(path.substr(base.size()));
}

}  // namespace korvida

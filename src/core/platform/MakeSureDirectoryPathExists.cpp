#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/text/Translate.h"

#include <filesystem>
#include <system_error>

namespace korvida {

bool MakeSureDirectoryPathExists(const std::string& path, std::string* errorText) {
    if (path.empty()) {
        if (errorText)
            *errorText = Tr("路径为空");
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    // create_directories reports no error for an existing folder but also none for some
    // races; the folder's presence is what callers need.
    if (std::filesystem::is_directory(path, ec))
        return true;
    if (errorText)
        *errorText = ec ? ec.message() : std::string("not a folder");
    return false;
}

}  // namespace korvida

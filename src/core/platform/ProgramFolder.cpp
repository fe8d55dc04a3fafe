#include "core/platform/ProgramFolder.h"

#include <filesystem>
#include <system_error>

namespace korvida {

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string LocaleFolder() {
    return (std::filesystem::path(ProgramFolder()) / ".." / "share" / "locale")
        .lexically_normal()
        .string();
}

}  // namespace korvida

#include "support/TempHome.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace korvida::test {

TempDir::TempDir() {
    // Whatever a test rips (in this process or through korvida-cli), its AccurateRip
    // lookup stays on this machine, also when the binary is run outside ctest.
    ::setenv("KORVIDA_LOOPBACK_ONLY", "1", 0);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/korvida-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        // A link may point outside the folder (tests link to /dev/full): leave its target be.
        if (it->is_symlink(ec))
            continue;
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

TempHome::TempHome() {
    if (const char* prev = std::getenv("KORVIDA_HOME")) {
        previous_ = prev;
        hadPrevious_ = true;
    }
    ::setenv("KORVIDA_HOME", path().c_str(), 1);
}

TempHome::~TempHome() {
    if (hadPrevious_)
        ::setenv("KORVIDA_HOME", previous_.c_str(), 1);
    else
        ::unsetenv("KORVIDA_HOME");
}

void TempHome::KeepTemporaryFilesInside() const {
    std::filesystem::create_directories(*this / "tmp");
    WriteFile(*this / "Settings.ini", "[Misc]\nTEMPDIRECTORY=" + (*this / "tmp") + "\n");
}

std::vector<std::string> TemporaryFilesUnder(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("PW", 0) == 0)
            found.push_back(entry.path());
    }
    return found;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace korvida::test

#include "core/platform/RunDetached.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/platform/ErrorText.h"
#include "core/platform/UniqueFd.h"
#include "core/text/Translate.h"

namespace korvida {

bool RunDetached(const std::vector<std::string>& argv, std::string* errorText) {
    if (argv.empty() || argv[0].empty()) {
        if (errorText)
            *errorText = Tr("没有指定程序");
        return false;
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // The grandchild reports a failed exec through a close-on-exec pipe: a successful
    // exec closes the pipe with nothing written.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        if (errorText)
            *errorText = ErrorText(errno);
        return false;
    }
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    const pid_t child = ::fork();
    if (child < 0) {
        if (errorText)
            *errorText = ErrorText(errno);
        return false;
    }
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        readEnd.Reset();
        ::execvp(args[0], args.data());
        const int err = errno;
        [[maybe_unused]] ssize_t n = ::write(writeEnd.get(), &err, sizeof err);
        ::_exit(127);
    }
    writeEnd.Reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    ssize_t n;
    do {
        n = ::read(readEnd.get(), &execError, sizeof execError);
    } while (n < 0 && errno == EINTR);
    readEnd.Reset();
    if (n == static_cast<ssize_t>(sizeof execError)) {
        if (errorText)
            *errorText = argv[0] + ": " + ErrorText(execError);
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        if (errorText)
            *errorText = argv[0] + ": cannot start";
        return false;
    }
    return true;
}

bool OpenWithDesktop(const std::string& path, std::string* errorText) {
    const char* custom = std::getenv("KORVIDA_OPEN_COMMAND");
    const std::string opener = custom && *custom ? custom : "xdg-open";
    return RunDetached({opener, path}, errorText);
}

}  // namespace korvida

#include "core/platform/RunCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "core/platform/UniqueFd.h"

namespace korvida {

bool RunCommand(const std::vector<std::string>& argv, std::string* output, int timeoutMs) {
    if (argv.empty())
        return false;
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return false;
    UniqueFd readEnd(out[0]);
    UniqueFd writeEnd(out[1]);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::dup2(writeEnd.get(), STDOUT_FILENO);
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, STDIN_FILENO);
            ::dup2(devnull, STDERR_FILENO);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    writeEnd.Reset();  // the child's copy is the only writer left: EOF when it exits
    std::string text;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{readEnd.get(), POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (text.size() < (1u << 20))
            text.append(buffer, static_cast<std::size_t>(n));
    }
    readEnd.Reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (output)
        *output = std::move(text);
    return !timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace korvida

#include "core/jobs/WorkerThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace korvida {

int NormalizeThreadPriority(int& threadPriority) {
    if (threadPriority < 0 || threadPriority > 4)
        threadPriority = 2;
    return threadPriority;
}

int NiceForThreadPriority(int threadPriority) {
    static constexpr int kNice[] = {19, 10, 0, -5, -10};
    NormalizeThreadPriority(threadPriority);
    return kNice[threadPriority];
}

std::thread StartWorkerThread(std::function<void()> body, int threadPriority,
                              ThreadFailure onFailure) {
    const int nice = NiceForThreadPriority(threadPriority);
    return StartGuardedThread(
        [nice, body = std::move(body)] {
            // On Linux a nice value belongs to the thread (its tid), not to the process.
            const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
            if (::setpriority(PRIO_PROCESS, tid, nice) != 0) {
                // Raising priority needs privileges; the thread keeps the value it inherited.
            }
            body();
        },
        std::move(onFailure));
}

}  // namespace korvida

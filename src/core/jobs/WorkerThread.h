#pragma once

#include <functional>
#include <thread>

#include "core/platform/ThreadGuard.h"

namespace korvida {

// The nice value a worker runs at for a ThreadPriority setting: 0 lowest … 4 highest
// map to 19, 10, 0, -5, -10.
int NiceForThreadPriority(int threadPriority);

// Replaces a ThreadPriority outside 0..4 by 2 (normal), as every job start does with the
// setting itself, and returns the value.
int NormalizeThreadPriority(int& threadPriority);

// Starts `body` on a new thread that first sets its own nice value for `threadPriority`
// (a raise the system refuses is ignored: the thread then runs at the normal value).
// The body runs guarded: an exception leaving it goes to `onFailure` (RunGuarded).
// The caller joins or detaches the returned thread.
std::thread StartWorkerThread(std::function<void()> body, int threadPriority,
                              ThreadFailure onFailure);

}  // namespace korvida

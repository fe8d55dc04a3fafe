#pragma once

#include <functional>
#include <string>
#include <thread>

namespace korvida {

// The text a thread reports when its body threw: "错误: 意外错误，错误原因: <what>！".
std::string UnexpectedErrorText(const char* what);

// Hands the text above to the thread's own failure channel: its end message, its
// result, the status its owner reads. Called on the failing thread.
using ThreadFailure = std::function<void(const std::string& text)>;

// Runs `body`. An exception leaving it, which at a thread's top would end the whole
// program (std::terminate) and lose what the user had not saved, goes to `onFailure`
// instead; one thrown by `onFailure` itself is dropped. Every thread the program starts
// runs its body through here.
void RunGuarded(const std::function<void()>& body, const ThreadFailure& onFailure) noexcept;

// A new thread that runs RunGuarded(body, onFailure). The caller joins or detaches it.
std::thread StartGuardedThread(std::function<void()> body, ThreadFailure onFailure);

}  // namespace korvida

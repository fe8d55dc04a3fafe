#include "core/platform/ThreadGuard.h"
#include "core/text/Translate.h"

#include <exception>

namespace korvida {
namespace {

void Report(const ThreadFailure& onFailure, const char* what) noexcept {
    std::string text;
    try {
        text = UnexpectedErrorText(what);
    } catch (...) {
        // Out of memory for the text: the failure is still reported, without it.
    }
    try {
        if (onFailure)
            onFailure(text);
    } catch (...) {
        // The channel itself failed; the thread still ends without taking the program.
    }
}

}  // namespace

std::string UnexpectedErrorText(const char* what) {
    return std::string(Tr("错误: 意外错误，错误原因: ")) + what + Tr("！");
}

void RunGuarded(const std::function<void()>& body, const ThreadFailure& onFailure) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        Report(onFailure, error.what());
    } catch (...) {
        Report(onFailure, "unknown exception");
    }
}

std::thread StartGuardedThread(std::function<void()> body, ThreadFailure onFailure) {
    return std::thread([body = std::move(body), onFailure = std::move(onFailure)] {
        RunGuarded(body, onFailure);
    });
}

}  // namespace korvida

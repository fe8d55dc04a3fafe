#include "core/platform/EndingSignalHandler.h"

namespace korvida {

EndingSignalHandler::EndingSignalHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &previous_[i]);
}

EndingSignalHandler::~EndingSignalHandler() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
}

}  // namespace korvida

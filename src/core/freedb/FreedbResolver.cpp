#include "core/freedb/FreedbResolver.h"

#include <netdb.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "core/platform/ThreadGuard.h"

namespace korvida {

FreedbResolution ResolveWithSystem(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    FreedbResolution resolution;
    resolution.error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolution.error != 0) {
        resolution.systemError = errno;
        return resolution;
    }
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        FreedbAddress address;
        std::memcpy(&address.address, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        resolution.addresses.push_back(address);
    }
    ::freeaddrinfo(found);
    if (resolution.addresses.empty())
        resolution.error = EAI_NONAME;
    return resolution;
}

PendingResolution::PendingResolution(FreedbResolver resolver, std::string host, std::uint16_t port)
    : state_(std::make_shared<State>()) {
    if (!resolver)
        resolver = ResolveWithSystem;
    static constexpr auto publish = [](State& state, FreedbResolution result) {
        {
            std::lock_guard lock(state.mutex);
            state.result = std::move(result);
            state.done = true;
        }
        state.finished.notify_all();
    };
    try {
        // A resolver that throws reports a failure, so that the waiting side is not left
        // until its time-out.
        StartGuardedThread(
            [state = state_, resolver = std::move(resolver), host = std::move(host), port] {
                FreedbResolution result = resolver(host, port);
                publish(*state, std::move(result));
            },
            [state = state_](const std::string&) {
                FreedbResolution failed;
                failed.error = EAI_FAIL;
                publish(*state, std::move(failed));
            })
            .detach();
    } catch (const std::system_error& e) {
        state_->result.error = EAI_SYSTEM;
        state_->result.systemError = e.code().value();
        state_->done = true;
    }
}

bool PendingResolution::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(state_->mutex);
    return state_->finished.wait_for(lock, timeout, [&] { return state_->done; });
}

}  // namespace korvida

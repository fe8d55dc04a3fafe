#pragma once

#include <sys/socket.h>

#include <string>
#include <string_view>

namespace korvida {

// KORVIDA_LOOPBACK_ONLY set and not empty (the tests, benchmarks and scripts set it): no
// connection leaves this machine. Both network clients enforce it on every connection
// they make, proxies and redirects included, on the address actually connected.
bool LoopbackOnly();

// 127.0.0.0/8, ::1, and 127.0.0.0/8 mapped into IPv6.
bool IsLoopbackAddress(const sockaddr* address, socklen_t length);

// A host as a URL or a setting names it ("127.0.0.1", "[::1]", "::1", "localhost"): true
// when it means this machine without asking a name server. Any other name is refused
// before it is looked up, so a refused host is never even resolved.
bool IsLoopbackHost(std::string_view host);

// "只允许连接本机服务器: <what>"
std::string LoopbackOnlyText(const std::string& what);

}  // namespace korvida

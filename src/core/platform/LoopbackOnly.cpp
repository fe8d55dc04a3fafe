#include "core/platform/LoopbackOnly.h"
#include "core/text/Translate.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>

namespace korvida {
namespace {

bool IsLoopbackV6(const in6_addr& address) {
    if (IN6_IS_ADDR_LOOPBACK(&address))
        return true;
    return IN6_IS_ADDR_V4MAPPED(&address) && address.s6_addr[12] == 127;
}

}  // namespace

bool LoopbackOnly() {
    const char* only = std::getenv("KORVIDA_LOOPBACK_ONLY");
    return only != nullptr && *only != '\0';
}

bool IsLoopbackAddress(const sockaddr* address, socklen_t length) {
    if (address == nullptr)
        return false;
    if (address->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
        sockaddr_in v4{};
        std::memcpy(&v4, address, sizeof v4);
        return (ntohl(v4.sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6 && length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, address, sizeof v6);
        return IsLoopbackV6(v6.sin6_addr);
    }
    return false;
}

bool IsLoopbackHost(std::string_view host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    const std::string text(host);
    if (strcasecmp(text.c_str(), "localhost") == 0)
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) == 1)
        return IsLoopbackV6(v6);
    return false;
}

std::string LoopbackOnlyText(const std::string& what) {
    return Tr("只允许连接本机服务器: ") + what;
}

}  // namespace korvida

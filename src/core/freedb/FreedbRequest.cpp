#include "core/freedb/FreedbRequest.h"

#include <charconv>

#include "core/settings/Settings.h"

namespace korvida {

FreedbServerSettings FreedbServerSettingsFrom(const Settings& settings) {
    FreedbServerSettings s;
    s.Server = settings.Server;
    s.QueryScript = settings.QueryScript;
    s.SubmitScript = settings.SubmitScript;
    s.Email = settings.Email;
    s.bProxy = settings.bProxy;
    s.ProxyServer = settings.ProxyServer;
    s.ProxyPort = settings.ProxyPort;
    s.ProxyAuthorization = settings.ProxyAuthorization;
    s.ProxyUsername = settings.ProxyUsername;
    s.ProxyPassword = settings.ProxyPassword;
    return s;
}

namespace {

// The position of the ':' that starts a valid port at the end of `server`, or npos.
std::size_t PortColon(const std::string& server, std::uint16_t* port) {
    const std::size_t colon = server.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= server.size())
        return std::string::npos;
    unsigned value = 0;
    const char* first = server.data() + colon + 1;
    const char* last = server.data() + server.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || value == 0 || value > 65535)
        return std::string::npos;
    if (port)
        *port = static_cast<std::uint16_t>(value);
    return colon;
}

}  // namespace

std::uint16_t FreedbServerPort(const std::string& server) {
    std::uint16_t port = 80;
    PortColon(server, &port);
    return port;
}

std::string FreedbServerHost(const std::string& server) {
    std::string host = server.substr(0, PortColon(server, nullptr));
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return host;
}

std::shared_ptr<FreedbRequest> MakeFreedbRequest(const FreedbServerSettings& settings,
                                                 FreedbExchange exchange) {
    auto request = std::make_shared<FreedbRequest>();
    request->server = settings.Server;
    request->serverPort = FreedbServerPort(settings.Server);
    request->script =
        exchange == FreedbExchange::kSubmit ? settings.SubmitScript : settings.QueryScript;
    request->email = settings.Email;
    request->useProxy = settings.bProxy;
    request->proxyServer = settings.ProxyServer;
    request->proxyPort =
        static_cast<std::uint16_t>(settings.ProxyPort < 0       ? 0
                                   : settings.ProxyPort > 65535 ? 65535
                                                                : settings.ProxyPort);
    request->isRead = exchange == FreedbExchange::kRead ? 1 : 0;
    // A submission through a proxy carries no credentials.
    if (exchange != FreedbExchange::kSubmit) {
        request->useProxyAuth = settings.ProxyAuthorization;
        request->proxyUser = settings.ProxyUsername;
        request->proxyPassword = settings.ProxyPassword;
    }
    request->cancelEvent = std::make_shared<Event>(true, false);
    request->doneEvent = std::make_shared<Event>(true, true);
    return request;
}

}  // namespace korvida

#include "support/http/HttpTestServer.h"

#include <algorithm>
#include <cctype>

namespace korvida::test {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

}  // namespace

std::string HttpTestServer::Request::Header(const std::string& name) const {
    const std::string head = Lower(raw.substr(0, raw.find("\r\n\r\n")));
    const std::string key = "\r\n" + Lower(name) + ":";
    const std::size_t at = head.find(key);
    if (at == std::string::npos)
        return {};
    std::size_t start = at + key.size();
    while (start < raw.size() && raw[start] == ' ')
        ++start;
    return raw.substr(start, raw.find("\r\n", start) - start);
}

HttpTestServer::HttpTestServer() : server_([this](int fd) { Serve(fd); }) {}

std::string HttpTestServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port());
}

void HttpTestServer::SetRoute(const std::string& prefix, Route route) {
    std::lock_guard lock(mutex_);
    routes_[prefix] = std::move(route);
}

void HttpTestServer::Answer(const std::string& prefix, int status, std::string body,
                            const std::string& contentType) {
    Route route;
    route.status = status;
    route.headers = {"Content-Type: " + contentType};
    route.body = std::move(body);
    SetRoute(prefix, std::move(route));
}

void HttpTestServer::Redirect(const std::string& prefix, int status, const std::string& location) {
    Route route;
    route.status = status;
    route.headers = {"Location: " + location};
    SetRoute(prefix, std::move(route));
}

HttpTestServer::Route HttpTestServer::RouteFor(const std::string& target) const {
    std::lock_guard lock(mutex_);
    const Route* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [prefix, route] : routes_) {
        if (target.rfind(prefix, 0) == 0 && (!best || prefix.size() > bestLength)) {
            best = &route;
            bestLength = prefix.size();
        }
    }
    if (best)
        return *best;
    Route notFound;
    notFound.status = 404;
    return notFound;
}

void HttpTestServer::Serve(int fd) {
    // Each connection carries one request: the replies say "Connection: close".
    std::string raw;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.stopping() && raw.find("\r\n\r\n") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        if (!LoopbackServer::ReceiveSlice(fd, raw))
            return;
    }
    if (raw.find("\r\n\r\n") == std::string::npos)
        return;

    Request request;
    request.received = std::chrono::steady_clock::now();
    request.raw = raw;
    const std::string line = raw.substr(0, raw.find("\r\n"));
    const std::size_t space = line.find(' ');
    request.method = line.substr(0, space);
    if (space != std::string::npos)
        request.target = line.substr(space + 1, line.find(' ', space + 1) - space - 1);
    const Route route = RouteFor(request.target);

    if (route.mode == Mode::kCloseAtOnce)
        return;  // the request is not recorded: a real server that drops it never saw it
    requests_.Add(request);

    if (route.mode == Mode::kNeverAnswer &&
        !server_.SleepUntil(std::chrono::steady_clock::time_point::max()))
        return;
    if (route.mode == Mode::kDelay && !server_.SleepUntil(std::chrono::steady_clock::now() +
                                                          std::chrono::milliseconds(route.delayMs)))
        return;
    std::string reply =
        "HTTP/1.1 " + std::to_string(route.status) + " " + ReasonPhrase(route.status) + "\r\n";
    for (const std::string& header : route.headers)
        reply += header + "\r\n";
    reply += "Content-Length: " + std::to_string(route.body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    if (request.method != "HEAD")
        reply += route.body;
    LoopbackServer::SendAll(fd, reply);
}

}  // namespace korvida::test

#include "support/http/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace korvida::test {

namespace {

constexpr int kSliceMs = 20;

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

bool SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
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

HttpTestServer::HttpTestServer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("http test server: socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("http test server: bind/listen");
    }
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    acceptThread_.join();
    ::close(listenFd_);
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& worker : workers)
        worker.join();
}

std::string HttpTestServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
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

std::vector<HttpTestServer::Request> HttpTestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpTestServer::WaitForRequests(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return recorded_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return requests_.size() >= count; });
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

void HttpTestServer::AcceptLoop() {
    while (!stopping_) {
        pollfd entry{listenFd_, POLLIN, 0};
        if (::poll(&entry, 1, kSliceMs) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        std::lock_guard lock(mutex_);
        workers_.emplace_back([this, fd] {
            Serve(fd);
            ::close(fd);
        });
    }
}

void HttpTestServer::Serve(int fd) {
    // Each connection carries one request: the replies say "Connection: close".
    std::string raw;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!stopping_ && raw.find("\r\n\r\n") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, kSliceMs) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        raw.append(buffer, static_cast<std::size_t>(n));
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
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    recorded_.notify_all();

    if (route.mode == Mode::kNeverAnswer || route.mode == Mode::kDelay) {
        const auto until =
            std::chrono::steady_clock::now() +
            std::chrono::milliseconds(route.mode == Mode::kDelay ? route.delayMs : 0);
        while (!stopping_ &&
               (route.mode == Mode::kNeverAnswer || std::chrono::steady_clock::now() < until))
            std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
        if (stopping_)
            return;
    }
    std::string reply =
        "HTTP/1.1 " + std::to_string(route.status) + " " + ReasonPhrase(route.status) + "\r\n";
    for (const std::string& header : route.headers)
        reply += header + "\r\n";
    reply += "Content-Length: " + std::to_string(route.body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    if (request.method != "HEAD")
        reply += route.body;
    SendAll(fd, reply);
}

}  // namespace korvida::test

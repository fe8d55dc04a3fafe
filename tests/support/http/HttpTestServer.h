#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace korvida::test {

// An HTTP/1.1 server on 127.0.0.1 for the web-service tests. Replies come from a route
// table: the route whose prefix is the longest match of the request target (path and
// query as sent) answers; a target no route matches gets 404. Every request is recorded
// with its raw bytes (request line and headers) and the time it arrived.
class HttpTestServer {
  public:
    enum class Mode {
        kAnswer,       // send the reply at once
        kDelay,        // send the reply after delayMs
        kCloseAtOnce,  // read the request, record nothing, close without answering
        kNeverAnswer,  // read the request, then hold the connection open until stopped
    };

    struct Route {
        int status = 200;
        std::vector<std::string> headers;  // "Name: value" lines
        std::string body;
        Mode mode = Mode::kAnswer;
        int delayMs = 0;
    };

    struct Request {
        std::string raw;     // request line and headers (and a body, if any)
        std::string method;  // "GET"
        std::string target;  // "/ws/2/discid/…?inc=…"
        std::chrono::steady_clock::time_point received;
        // The value of header `name` (case-insensitive), empty when absent.
        std::string Header(const std::string& name) const;
    };

    // Listens on 127.0.0.1 (throws when that cannot be bound).
    HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    std::uint16_t port() const { return server_.port(); }
    // "http://127.0.0.1:<port>", without a closing slash.
    std::string BaseUrl() const;

    // Sets (or replaces) the route for targets starting with `prefix`.
    void SetRoute(const std::string& prefix, Route route);
    // Shorthands: a 200 (or `status`) with a body of the given type; a redirect.
    void Answer(const std::string& prefix, int status, std::string body,
                const std::string& contentType = "application/json");
    void Redirect(const std::string& prefix, int status, const std::string& location);

    std::vector<Request> Requests() const { return requests_.All(); }
    // Waits until `count` requests have been recorded; false after timeoutMs.
    bool WaitForRequests(std::size_t count, int timeoutMs) const {
        return requests_.WaitFor(count, timeoutMs);
    }
    // Connections accepted so far (a connection closed at once records no request).
    int Connections() const { return server_.Connections(); }

  private:
    void Serve(int fd);
    Route RouteFor(const std::string& target) const;

    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    RequestLog<Request> requests_;
    LoopbackServer server_;  // last: it stops before the state it serves goes away
};

}  // namespace korvida::test

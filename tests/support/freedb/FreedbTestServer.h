#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace korvida::test {

// A freedb server on 127.0.0.1 for the tests: it answers query, read (210, 401) and
// submit (200, 500) over HTTP/1.0 from a database of xmcd files laid out as
// <category>/<disc id> (tests/data/freedb), and records every request byte for byte.
// Queries are answered as today's servers do for the protocol level the command names:
// exact matches as a 210 list from level 4 on (one line per category holding the disc),
// below it 200 for one and 211 for several; entries of another id whose offsets lie
// within two seconds as a 211 list; 202 for none.
// It accepts the absolute-form request line of a proxy as well and can demand proxy
// credentials, so the same server stands in for an HTTP proxy. Misbehaviours for the
// failure paths are chosen with SetMode. Every request is also checked against the
// formats the client must send (RequestFormatProblem); a malformed one fails the test
// when the server goes away.
class FreedbTestServer {
  public:
    enum class Mode {
        kDatabase,     // answer from the database
        kCanned,       // send the canned reply bytes as they are, then close
        kCloseAtOnce,  // close the connection without reading or answering
        kNeverAnswer,  // read the request, then hold the connection open until stopped
        kTrickle,      // answer from the database one byte per trickle delay
    };

    static constexpr const char* kQueryScript = "/~cddb/cddb.cgi";
    static constexpr const char* kSubmitScript = "/~cddb/submit.cgi";

    enum class Loopback { kIpv4, kIpv6 };

    // Listens on 127.0.0.1 or ::1 (throws when that cannot be bound).
    explicit FreedbTestServer(std::string databaseDir = DefaultDatabaseDir(),
                              Loopback loopback = Loopback::kIpv4);
    ~FreedbTestServer();
    FreedbTestServer(const FreedbTestServer&) = delete;
    FreedbTestServer& operator=(const FreedbTestServer&) = delete;

    static std::string DefaultDatabaseDir();

    std::uint16_t port() const { return server_.port(); }
    // "127.0.0.1:<port>" or "[::1]:<port>", a Server setting that reaches this server.
    std::string address() const;

    void SetMode(Mode mode);
    void SetCannedReply(std::string reply);
    void SetTrickleDelayMs(int delayMs);
    // Non-empty: requests without "Proxy-Authorization: Basic <base64>" of exactly
    // this value get 407.
    void SetRequiredProxyCredentials(std::string base64);

    // Every request received so far, as the raw bytes read from the connection.
    std::vector<std::string> Requests() const { return requests_.All(); }
    // Waits until `count` requests have been recorded; false after timeoutMs.
    bool WaitForRequests(std::size_t count, int timeoutMs) const {
        return requests_.WaitFor(count, timeoutMs);
    }
    // Connections accepted so far (a connection closed at once records no request).
    int Connections() const { return server_.Connections(); }

    // The database answer for one request (no transport): the whole HTTP reply.
    std::string Answer(const std::string& request) const;

    // The entry of <category>/<discId> with CRLF line ends, or empty when missing.
    std::string Entry(const std::string& category, const std::string& discId) const;

  private:
    void Serve(int fd);
    std::string AnswerQuery(const std::vector<std::string>& words) const;
    std::string AnswerRead(const std::vector<std::string>& words) const;
    std::string AnswerSubmit(const std::string& headerAndBody) const;

    std::string databaseDir_;
    Loopback loopback_;

    mutable std::mutex mutex_;
    std::vector<std::string> problems_;  // requests that break the client's formats
    Mode mode_ = Mode::kDatabase;
    std::string canned_;
    int trickleDelayMs_ = 1000;
    std::string requiredCredentials_;
    RequestLog<std::string> requests_;
    LoopbackServer server_;  // last: it stops before the state it serves goes away
};

}  // namespace korvida::test

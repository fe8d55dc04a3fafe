#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/freedb/FreedbResolver.h"
#include "core/jobs/Event.h"
#include "core/jobs/MessageTarget.h"

namespace korvida {

// One line of a query reply. Every text keeps at most its size - 1 bytes (cut on a
// character boundary), as the list page and the read command expect short fields.
struct FreedbMatch {
    static constexpr std::size_t kLineSize = 1024;
    static constexpr std::size_t kCategorySize = 100;
    static constexpr std::size_t kArtistSize = 256;
    static constexpr std::size_t kTitleSize = 256;
    static constexpr std::size_t kDiscIdSize = 30;

    std::string line;      // the whole line, leading white space removed
    std::string category;  // first word
    std::string artist;    // DTITLE part before the first "/"
    std::string title;     // DTITLE part after the first "/"
    std::string discId;    // second word, as the server wrote it
};

struct FreedbTrackTitle {
    static constexpr std::size_t kTitleSize = 256;

    std::int32_t index = 0;  // 0-based track index
    std::string title;
};

// What a read reply yields, its kinds kept apart: the DTITLE value (all DTITLE lines
// joined), the category from the status line, and one title per index from 0 to the
// highest TTITLE index of the reply (none when it has no TTITLE line).
struct FreedbReadResult {
    static constexpr std::size_t kDiscTitleSize = 1024;

    bool hasDiscTitle = false;
    std::string discTitle;
    std::string category;
    std::vector<FreedbTrackTitle> titles;

    // True when nothing was read (any reply but 210, or a 210 entry with neither a DTITLE
    // nor a TTITLE line): the wizard shows its no-match page and nothing is stored.
    bool empty() const { return !hasDiscTitle && titles.empty(); }
};

// How long any phase of an exchange (name lookup, connect, send, waiting for the first
// byte, the rest of the reply) may go without progress before the transfer gives up: a
// server that accepts and never answers would otherwise hold a scripted query forever.
inline constexpr std::chrono::milliseconds kFreedbStallTimeout{30000};

// How long one exchange may take in all, from the name lookup to the reply's last byte:
// a server that drips a byte just inside the stall limit never stalls, and would
// otherwise hold a query for hours.
inline constexpr std::chrono::milliseconds kFreedbExchangeTimeout{120000};

// The record handed to a transport thread. The thread holds it through a shared_ptr,
// as do the starting dialog and the events' owners, so a dialog that gives up on a
// thread stuck in a socket call can go away without leaving it a dangling record.
struct FreedbRequest {
    // Sizes of the text fields: a value must leave room for a terminator, so at most
    // size - 1 bytes. The transport refuses a request whose fields do not fit.
    static constexpr std::size_t kTextSize = 256;
    static constexpr std::size_t kBodySize = 20480;
    // The reply is read into a buffer of this many bytes; the rest is never read.
    static constexpr std::size_t kReplySize = 10240;

    // The setting Server: a host name, optionally followed by ":port" (mirrors, and the
    // tests' loopback server). This text names the server in status texts, the request
    // line's absolute form and the Host line.
    std::string server;
    std::uint16_t serverPort = 80;  // unsigned: ports above 32767 exist
    std::string script;             // QueryScript for query and read, SubmitScript for submission
    std::string email;              // carried for the commands; the transport does not use it
    std::int32_t useProxy = 0;
    std::string proxyServer;
    std::uint16_t proxyPort = 0;
    // Query and read: the URL-encoded command. Submit: the remaining header lines, the
    // blank line and the xmcd text.
    std::string body;
    std::shared_ptr<MessageTarget> window;  // receives the progress messages
    std::int32_t statusCode = 0;            // freedb response code found by the parsers
    // Set by the parsers when the server refused the command (a 4xx or 5xx code): its
    // own status line, which the thread reports as the error instead of "no match".
    std::string serverError;
    std::vector<FreedbMatch> matches;    // query results
    FreedbReadResult readResult;         // read results
    std::int32_t isRead = 0;             // query thread: 0 query command, 1 read command
    std::shared_ptr<Event> cancelEvent;  // manual reset, created clear; set to cancel
    std::shared_ptr<Event> doneEvent;    // manual reset, created set; clear while running
    std::uint16_t revision = 0;          // read replies: "# Revision:" value
    std::uint16_t hasRevision = 0;       // read replies: 1 when that line was found
    std::int32_t useProxyAuth = 0;
    std::string proxyUser;
    std::string proxyPassword;  // plain text, as the settings store delivers it
    std::chrono::milliseconds stallTimeout = kFreedbStallTimeout;
    std::chrono::milliseconds exchangeTimeout = kFreedbExchangeTimeout;
    FreedbResolver resolver;  // the name lookup; empty: the system's
};

// The [CDDB] settings a freedb exchange needs, so that the front ends and the tests
// pass values instead of reaching for the process-wide settings.
struct FreedbServerSettings {
    std::string Server;
    std::string QueryScript;
    std::string SubmitScript;
    std::string Email;
    int bProxy = 0;
    std::string ProxyServer;
    int ProxyPort = 80;
    int ProxyAuthorization = 0;
    std::string ProxyUsername;
    std::string ProxyPassword;
};

struct Settings;
FreedbServerSettings FreedbServerSettingsFrom(const Settings& settings);

// A new request for a query or read (script QueryScript, with the proxy credentials) or
// for a submission (script SubmitScript; a submission sends no credentials). The
// events are created as the transport expects them: cancel clear, done set.
enum class FreedbExchange { kQuery, kRead, kSubmit };
std::shared_ptr<FreedbRequest> MakeFreedbRequest(const FreedbServerSettings& settings,
                                                 FreedbExchange exchange);

// The port a Server value names: the number after the last ':' when it is a valid port,
// else 80. Host name: the text before that ':', without the brackets of an IPv6
// address ("[::1]:8880").
std::uint16_t FreedbServerPort(const std::string& server);
std::string FreedbServerHost(const std::string& server);

}  // namespace korvida

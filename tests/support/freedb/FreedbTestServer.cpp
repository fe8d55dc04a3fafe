#include "support/freedb/FreedbTestServer.h"

#include <gtest/gtest.h>

#include "support/freedb/FreedbRequestFormat.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace korvida::test {

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string WithCrlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// The value of header `name` (case-sensitive, as we send them) or empty.
std::string Header(const std::string& head, const std::string& name) {
    const std::string key = "\r\n" + name + ": ";
    const std::size_t at = head.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size();
    return head.substr(start, head.find("\r\n", start) - start);
}

std::string Http(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + body;
}

// DTITLE of an entry: its DTITLE lines joined, for query match lines.
std::string DiscTitle(const std::string& entry) {
    std::string title;
    std::istringstream in(entry);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("DTITLE=", 0) == 0)
            title += line.substr(7);
    }
    return title;
}

// The level a command asks for ("proto=6"); servers assume 1 when it names none.
int ProtocolLevel(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word.rfind("proto=", 0) == 0 && word.size() > 6)
            return std::atoi(word.c_str() + 6);
    }
    return 1;
}

// The frame offsets and the length in seconds an entry's comment block records.
std::vector<long> EntryToc(const std::string& entry) {
    std::vector<long> toc;
    std::istringstream in(entry);
    bool inOffsets = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("# Disc length: ", 0) == 0) {
            toc.push_back(std::stol(line.substr(15)));
            break;
        }
        const std::size_t digit = line.find_first_not_of("#\t ");
        if (inOffsets && digit != std::string::npos &&
            std::isdigit(static_cast<unsigned char>(line[digit])))
            toc.push_back(std::stol(line.substr(digit)));
        else
            inOffsets = line.rfind("# Track frame offsets:", 0) == 0;
    }
    return toc;
}

// Inexact matching: the same track count, every offset within two seconds and the
// length within two seconds, as a pressing with a slightly different lead-in reads.
bool NearToc(const std::vector<long>& entry, const std::vector<long>& query) {
    if (entry.size() != query.size() || entry.empty())
        return false;
    for (std::size_t i = 0; i + 1 < entry.size(); ++i) {
        if (std::labs(entry[i] - query[i]) > 150)
            return false;
    }
    return std::labs(entry.back() - query.back()) <= 2;
}

}  // namespace

std::string FreedbTestServer::DefaultDatabaseDir() {
    return std::string(KORVIDA_TEST_DATA_DIR) + "/freedb";
}

FreedbTestServer::FreedbTestServer(std::string databaseDir, Loopback loopback)
    : databaseDir_(std::move(databaseDir)),
      loopback_(loopback),
      server_([this](int fd) { Serve(fd); }, loopback == Loopback::kIpv6
                                                 ? LoopbackServer::Family::kIpv6
                                                 : LoopbackServer::Family::kIpv4) {}

FreedbTestServer::~FreedbTestServer() {
    server_.Stop();
    for (const std::string& problem : problems_)
        ADD_FAILURE() << "the client sent a malformed request: " << problem;
}

std::string FreedbTestServer::address() const {
    return (loopback_ == Loopback::kIpv6 ? "[::1]:" : "127.0.0.1:") + std::to_string(port());
}

void FreedbTestServer::SetMode(Mode mode) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
}

void FreedbTestServer::SetCannedReply(std::string reply) {
    std::lock_guard lock(mutex_);
    canned_ = std::move(reply);
    mode_ = Mode::kCanned;
}

void FreedbTestServer::SetTrickleDelayMs(int delayMs) {
    std::lock_guard lock(mutex_);
    trickleDelayMs_ = delayMs;
}

void FreedbTestServer::SetRequiredProxyCredentials(std::string base64) {
    std::lock_guard lock(mutex_);
    requiredCredentials_ = std::move(base64);
}

void FreedbTestServer::Serve(int fd) {
    Mode mode;
    std::string canned;
    int trickleDelayMs;
    {
        std::lock_guard lock(mutex_);
        mode = mode_;
        canned = canned_;
        trickleDelayMs = trickleDelayMs_;
    }
    if (mode == Mode::kCloseAtOnce)
        return;

    // Read the head, then Content-Length bytes, then whatever else arrives at once: the
    // record must hold every byte the client sent, also bytes past the declared length.
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::size_t expected = std::string::npos;
    int quietSlices = 0;
    while (!server_.stopping() && std::chrono::steady_clock::now() < deadline) {
        if (expected == std::string::npos) {
            const std::size_t blank = request.find("\r\n\r\n");
            if (blank != std::string::npos) {
                const std::string length = Header(request.substr(0, blank + 2), "Content-Length");
                expected = blank + 4 + (length.empty() ? 0 : std::stoul(length));
            }
        }
        // Once the declared bytes are in, wait two quiet slices for any extra bytes.
        if (expected != std::string::npos && request.size() >= expected && quietSlices >= 2)
            break;
        const std::size_t before = request.size();
        if (!LoopbackServer::ReceiveSlice(fd, request))
            break;
        quietSlices = request.size() == before ? quietSlices + 1 : 0;
    }
    const std::string problem = RequestFormatProblem(request, address());
    if (!problem.empty()) {
        std::lock_guard lock(mutex_);
        problems_.push_back(problem + " in:\n" + request);
    }
    requests_.Add(request);

    switch (mode) {
        case Mode::kCanned:
            LoopbackServer::SendAll(fd, canned);
            return;
        case Mode::kNeverAnswer:
            server_.SleepUntil(std::chrono::steady_clock::time_point::max());
            return;
        case Mode::kTrickle: {
            const std::string reply = Answer(request);
            for (char c : reply) {
                if (server_.stopping() || !LoopbackServer::SendAll(fd, std::string(1, c)))
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(trickleDelayMs));
            }
            return;
        }
        default:
            LoopbackServer::SendAll(fd, Answer(request));
    }
}

std::string FreedbTestServer::Answer(const std::string& request) const {
    const std::size_t blank = request.find("\r\n\r\n");
    const std::size_t lineEnd = request.find("\r\n");
    if (blank == std::string::npos || lineEnd == std::string::npos)
        return Http("400 Bad Request", "");
    const std::vector<std::string> requestLine = Words(request.substr(0, lineEnd));
    if (requestLine.size() != 3 || requestLine[0] != "POST" || requestLine[2] != "HTTP/1.0")
        return Http("400 Bad Request", "");

    std::string path = requestLine[1];
    if (path.rfind("http://", 0) == 0) {
        // Absolute form: we are the proxy. Check the credentials a proxy would.
        std::string required;
        {
            std::lock_guard lock(mutex_);
            required = requiredCredentials_;
        }
        const std::string head = request.substr(0, blank + 2);
        if (!required.empty() && Header(head, "Proxy-Authorization") != "Basic " + required)
            return Http("407 Proxy Authentication Required", "");
        const std::size_t slash = path.find('/', 7);
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }

    if (path == kSubmitScript)
        return AnswerSubmit(request.substr(lineEnd + 2));
    if (path != kQueryScript)
        return Http("404 Not Found", "");

    std::string body = request.substr(blank + 4);
    for (char& c : body) {
        if (c == '+')
            c = ' ';
        if (c == '&')
            c = ' ';
    }
    const std::vector<std::string> words = Words(body);
    if (words.size() >= 2 && words[0] == "cmd=cddb" && words[1] == "query")
        return Http("200 OK", AnswerQuery(words));
    if (words.size() >= 2 && words[0] == "cmd=cddb" && words[1] == "read")
        return Http("200 OK", AnswerRead(words));
    return Http("200 OK", "500 Command syntax error.\r\n");
}

std::string FreedbTestServer::Entry(const std::string& category, const std::string& discId) const {
    // Only plain words: a request must not walk out of the database folder.
    for (const std::string* part : {&category, &discId}) {
        if (part->empty() || part->find_first_of("./\\") != std::string::npos)
            return {};
    }
    return WithCrlf(ReadWholeFile(databaseDir_ + "/" + category + "/" + discId));
}

std::string FreedbTestServer::AnswerQuery(const std::vector<std::string>& words) const {
    // cmd=cddb query <id> <n> <offsets…> <seconds> hello=… proto=…
    if (words.size() < 5)
        return "500 Command syntax error.\r\n";
    const std::string& discId = words[2];
    std::vector<long> toc;  // the offsets, then the disc length in seconds
    for (std::size_t i = 4;
         i < words.size() && std::isdigit(static_cast<unsigned char>(words[i][0])); ++i)
        toc.push_back(std::stol(words[i]));
    if (words[3].find_first_not_of("0123456789") != std::string::npos ||
        toc.size() != std::stoul(words[3]) + 1)
        return "500 Command syntax error.\r\n";

    std::vector<std::string> exact;
    std::vector<std::string> inexact;
    std::error_code error;
    for (const auto& dir : std::filesystem::directory_iterator(databaseDir_, error)) {
        if (!dir.is_directory())
            continue;
        const std::string category = dir.path().filename().string();
        for (const auto& file : std::filesystem::directory_iterator(dir.path(), error)) {
            const std::string id = file.path().filename().string();
            const std::string entry = Entry(category, id);
            if (entry.empty())
                continue;
            const std::string line = category + " " + id + " " + DiscTitle(entry);
            if (id == discId)
                exact.push_back(line);
            else if (NearToc(EntryToc(entry), toc))
                inexact.push_back(line);
        }
    }
    std::sort(exact.begin(), exact.end());
    std::sort(inexact.begin(), inexact.end());
    const auto list = [](const char* status, const std::vector<std::string>& lines) {
        std::string reply = std::string(status) + ", list follows (until terminating `.')\r\n";
        for (const std::string& line : lines)
            reply += line + "\r\n";
        return reply + ".\r\n";
    };
    // From level 4 on every exact answer is a list, also of one line; below it one
    // exact match comes on the status line and several are listed as inexact.
    if (!exact.empty() && ProtocolLevel(words) >= 4)
        return list("210 Found exact matches", exact);
    if (exact.size() == 1)
        return "200 " + exact[0] + "\r\n";
    if (!exact.empty())
        return list("211 Found inexact matches", exact);
    if (!inexact.empty())
        return list("211 Found inexact matches", inexact);
    return "202 No match for disc ID " + discId + ".\r\n";
}

std::string FreedbTestServer::AnswerRead(const std::vector<std::string>& words) const {
    // cmd=cddb read <category> <id> hello=…
    if (words.size() < 4)
        return "500 Command syntax error.\r\n";
    const std::string entry = Entry(words[2], words[3]);
    if (entry.empty())
        return "401 " + words[2] + " " + words[3] + " No such CD entry in database.\r\n";
    return "210 " + words[2] + " " + words[3] +
           " CD database entry follows (until terminating `.')\r\n" + entry + ".\r\n";
}

std::string FreedbTestServer::AnswerSubmit(const std::string& headerAndBody) const {
    const std::string head = "\r\n" + headerAndBody;
    const std::string category = Header(head, "Category");
    const std::string discId = Header(head, "Discid");
    bool knownCategory = false;
    for (const char* c : {"blues", "classical", "country", "data", "folk", "jazz", "misc", "newage",
                          "reggae", "rock", "soundtrack"}) {
        knownCategory = knownCategory || category == c;
    }
    const bool ok = knownCategory && discId.size() == 8 &&
                    Header(head, "Submit-Mode") == "submit" &&
                    headerAndBody.find("# xmcd\r\n") != std::string::npos &&
                    headerAndBody.find("DISCID=" + discId + "\r\n") != std::string::npos;
    return Http("200 OK", ok ? "200 OK, submission has been sent.\r\n"
                             : "500 Invalid header or xmcd entry.\r\n");
}

}  // namespace korvida::test

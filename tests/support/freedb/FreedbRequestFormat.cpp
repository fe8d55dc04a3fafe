#include "support/freedb/FreedbRequestFormat.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace korvida::test {

namespace {

bool AllOf(std::string_view text, int (*predicate)(int)) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (!predicate(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

int IsLowerHex(int c) {
    return std::isdigit(c) || (c >= 'a' && c <= 'f');
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at; (at = text.find(separator)) != std::string_view::npos;) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    parts.push_back(text);
    return parts;
}

// Takes "<prefix><value>\r\n" off the front of `rest`; false when it is not there.
bool TakeLine(std::string_view& rest, std::string_view prefix, std::string_view* value) {
    if (rest.substr(0, prefix.size()) != prefix)
        return false;
    const std::size_t end = rest.find("\r\n");
    if (end == std::string_view::npos)
        return false;
    if (value)
        *value = rest.substr(prefix.size(), end - prefix.size());
    else if (end != prefix.size())
        return false;
    rest.remove_prefix(end + 2);
    return true;
}

std::string CommandProblem(std::string_view body) {
    if (body.size() < 2 || body.substr(body.size() - 2) != "\r\n")
        return "body without CRLF";
    body.remove_suffix(2);
    const std::vector<std::string_view> fields = Split(body, '&');
    if (fields.size() != 3)
        return "body does not have cmd, hello and proto";
    const std::vector<std::string_view> cmd = Split(fields[0], '+');
    if (cmd.size() < 2 || cmd[0] != "cmd=cddb")
        return "not a cddb command";
    if (cmd[1] == "query") {
        // query <id> <n> <n offsets> <seconds>
        if (cmd.size() < 5 || cmd[2].size() != 8 || !AllOf(cmd[2], IsLowerHex))
            return "query without an eight-digit id";
        for (std::size_t i = 3; i < cmd.size(); ++i) {
            if (!AllOf(cmd[i], std::isdigit))
                return "query with a non-number";
        }
        if (std::stoul(std::string(cmd[3])) + 5 != cmd.size())
            return "query count mismatch";
    } else if (cmd[1] == "read") {
        if (cmd.size() != 4 || cmd[2].empty() || cmd[3].empty())
            return "read without words";
    } else {
        return "unknown command";
    }
    const std::string_view hello = fields[1];
    constexpr std::string_view kClient = "+Korvida+3.0";
    if (hello.substr(0, 6) != "hello=" || hello.size() <= 6 + kClient.size() ||
        hello.substr(hello.size() - kClient.size()) != kClient)
        return "hello field wrong";
    if (hello.find_first_of(" @") != std::string_view::npos)
        return "hello not plus-encoded";
    if (fields[2] != "proto=6")
        return "protocol level not 6";
    return {};
}

// The Content-Length line, the blank line and a body of that length; what is left of
// `rest` is the body.
std::string BodyProblem(std::string_view& rest, const char* mismatch) {
    std::string_view value;
    if (!TakeLine(rest, "Content-Length: ", &value) || !AllOf(value, std::isdigit))
        return "no Content-Length line";
    const std::size_t length = std::stoul(std::string(value));
    if (!TakeLine(rest, "", nullptr))
        return "no blank line after the headers";
    if (rest.size() != length)
        return mismatch;
    return {};
}

std::string SubmitProblem(std::string_view rest) {
    std::string_view value;
    if (!TakeLine(rest, "Category: ", &value) || value.empty())
        return "no Category line";
    if (!TakeLine(rest, "Discid: ", &value) || value.size() != 8 || !AllOf(value, IsLowerHex))
        return "no Discid line";
    if (!TakeLine(rest, "User-Email: ", &value))
        return "no User-Email line";
    if (!TakeLine(rest, "Submit-Mode: submit", nullptr))
        return "no Submit-Mode line";
    if (!TakeLine(rest, "Charset: UTF-8", nullptr))
        return "no Charset: UTF-8 line";
    if (!TakeLine(rest, "X-Cddbd-Note: Sent by Korvida CD Ripper ", &value))
        return "no X-Cddbd-Note line";
    if (std::string problem = BodyProblem(rest, "Content-Length does not count the body");
        !problem.empty())
        return problem;
    if (rest.substr(0, 10) != "\r\n# xmcd\r\n")
        return "xmcd text does not follow an empty line";
    constexpr std::string_view kEnd = "PLAYORDER=\r\n\r\n";
    if (rest.size() < kEnd.size() || rest.substr(rest.size() - kEnd.size()) != kEnd)
        return "xmcd text does not end with PLAYORDER and a line break";
    return {};
}

}  // namespace

std::string RequestFormatProblem(const std::string& request, const std::string& host) {
    std::string_view rest = request;
    std::string_view target;
    if (!TakeLine(rest, "POST ", &target))
        return "no POST request line";
    constexpr std::string_view kVersion = " HTTP/1.0";
    if (target.size() <= kVersion.size() ||
        target.substr(target.size() - kVersion.size()) != kVersion)
        return "request line without HTTP/1.0";
    target.remove_suffix(kVersion.size());
    std::string expectedHost = host;
    if (target.substr(0, 7) == "http://") {
        const std::size_t slash = target.find('/', 7);
        if (slash == std::string_view::npos)
            return "absolute form without a path";
        expectedHost = std::string(target.substr(7, slash - 7));
        target.remove_prefix(slash);
    }
    if (target.empty() || target[0] != '/')
        return "request target is not a path";
    std::string_view value;
    if (!TakeLine(rest, "Host: ", &value) || value != expectedHost)
        return "Host line missing or not naming " + expectedHost;

    if (target.find("submit") != std::string_view::npos)
        return SubmitProblem(rest);

    if (!TakeLine(rest, "Content-Type: application/x-www-form-urlencoded", nullptr))
        return "no Content-Type line";
    if (!TakeLine(rest, "User-Agent: Korvida 3.0", nullptr))
        return "no User-Agent line";
    if (TakeLine(rest, "Proxy-Authorization: Basic ", &value) && value.empty())
        return "empty credentials";
    if (std::string problem = BodyProblem(rest, "Content-Length does not match the body");
        !problem.empty())
        return problem;
    return CommandProblem(rest);
}

}  // namespace korvida::test

#include "core/freedb/FreedbReplies.h"

#include <array>
#include <cctype>
#include <climits>

#include "core/freedb/FreedbText.h"

namespace korvida {

namespace {

// Lines end at "\n"; a "\r" before it belongs to the line ending. Servers end their
// lines with "\r\n", but a bare "\n" inside a title would otherwise reach the local
// database as a line break of its own.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    bool Next(std::string_view& line) {
        if (done_)
            return false;
        const std::size_t end = rest_.find('\n');
        if (end == std::string_view::npos) {
            line = rest_;
            done_ = true;
        } else {
            line = rest_.substr(0, end);
            rest_.remove_prefix(end + 1);
        }
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    }

  private:
    std::string_view rest_;
    bool done_ = false;
};

// A value as a field holds it: UTF-8, no control bytes, at most size - 1 bytes.
std::string FieldText(std::string_view value, std::size_t size) {
    return CutUtf8(WithoutControlBytes(value), size - 1);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The value of "KEYWORD=value" when "=" stands after the first character.
bool KeywordValue(std::string_view line, std::string_view& value) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return false;
    value = Trim(line.substr(eq + 1));
    return true;
}

bool IsRefusal(long long code) {
    return code >= 400 && code <= 599;
}

// The first line of `text`, as a message shows it.
std::string StatusLineText(std::string_view text) {
    std::string_view line;
    LineReader(text).Next(line);
    const std::string decoded = WithoutControlBytes(ReplyLineToUtf8(line));
    return CutUtf8(Trim(decoded), FreedbMatch::kLineSize - 1);
}

}  // namespace

bool FrameFreedbReply(std::string_view reply, int& statusCode, std::string_view& text) {
    reply = TrimLeft(reply);
    if (reply.size() < 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        if (std::toupper(static_cast<unsigned char>(reply[i])) != "HTTP"[i])
            return false;
    }
    const std::size_t blank = reply.find("\r\n\r\n");
    if (blank == std::string_view::npos)
        return false;
    text = TrimLeft(reply.substr(blank + 4));
    long long code = 0;
    if (!ReadFreedbInt(text.substr(0, 3), code))
        code = 0;
    statusCode = static_cast<int>(code);
    return true;
}

FreedbMatch MakeFreedbMatch(std::string_view rawLine, ReplyCharset charset) {
    const std::string decoded = WithoutControlBytes(ReplyLineToUtf8(TrimLeft(rawLine), charset));
    const std::string_view line = TrimLeft(decoded);
    FreedbMatch match;
    match.line = CutUtf8(line, FreedbMatch::kLineSize - 1);

    std::string_view rest;
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos && space > 0) {
        match.category = CutUtf8(line.substr(0, space), FreedbMatch::kCategorySize - 1);
        rest = TrimLeft(line.substr(space + 1));
    } else {
        match.category = CutUtf8(line, FreedbMatch::kCategorySize - 1);
    }

    std::string_view remainder;
    const std::size_t idEnd = rest.find(' ');
    match.discId = CutUtf8(rest.substr(0, idEnd), FreedbMatch::kDiscIdSize - 1);
    if (idEnd != std::string_view::npos)
        remainder = TrimLeft(rest.substr(idEnd + 1));

    const std::size_t slash = remainder.find('/');
    if (slash != std::string_view::npos && slash > 0) {
        match.artist = CutUtf8(Trim(remainder.substr(0, slash)), FreedbMatch::kArtistSize - 1);
        match.title = CutUtf8(Trim(remainder.substr(slash + 1)), FreedbMatch::kTitleSize - 1);
    } else {
        match.artist = CutUtf8(TrimRight(remainder), FreedbMatch::kArtistSize - 1);
        match.title = CutUtf8(TrimRight(remainder), FreedbMatch::kTitleSize - 1);
    }
    return match;
}

std::string ServerErrorLine(std::string_view reply) {
    int code = 0;
    std::string_view text;
    if (!FrameFreedbReply(reply, code, text))
        return {};
    if (IsRefusal(code))
        return StatusLineText(text);
    long long ownCode = 0;
    if (ReadFreedbInt(text.substr(0, 3), ownCode))
        return {};
    // "HTTP/1.0 407 Proxy Authentication Required": the code is the second word.
    const std::string_view httpLine = TrimLeft(reply);
    const std::size_t space = httpLine.find(' ');
    long long httpCode = 0;
    if (space != std::string_view::npos && space < httpLine.find('\n') &&
        ReadFreedbInt(httpLine.substr(space + 1, 3), httpCode) && IsRefusal(httpCode))
        return StatusLineText(httpLine);
    return {};
}

void ParseQueryReply(std::string_view reply, FreedbRequest& request) {
    request.serverError = ServerErrorLine(reply);
    int code = 0;
    std::string_view text;
    if (!FrameFreedbReply(reply, code, text))
        return;
    request.statusCode = code;
    request.matches.clear();
    const ReplyCharset charset = DetectReplyCharset(text);

    LineReader lines(text);
    std::string_view line;
    if (code == 200) {
        // "200 category discid artist / title": one exact match on the status line.
        if (lines.Next(line) && line.size() > 4)
            request.matches.push_back(MakeFreedbMatch(line.substr(4), charset));
    } else if (code == 210 || code == 211) {
        lines.Next(line);  // the status line
        while (lines.Next(line)) {
            if (StartsWith(line, "."))
                break;
            // A blank line is no match: reading it would send an empty category.
            if (TrimLeft(line).empty())
                continue;
            request.matches.push_back(MakeFreedbMatch(line, charset));
        }
    }
}

namespace {

// "210 rock 7a0b5c09 …": the category is the first word after the code.
std::string ReplyCategory(std::string_view status) {
    std::string_view afterCode = TrimLeft(status.substr(status.size() < 3 ? status.size() : 3));
    afterCode = TrimRight(afterCode.substr(0, afterCode.find(' ')));
    return FieldText(afterCode, FreedbReadResult::kDiscTitleSize);
}

// A comment line "# Revision: n" gives the entry's revision.
void ReadRevision(std::string_view comment, FreedbRequest& request) {
    constexpr std::string_view kRevision = "# Revision: ";
    const std::size_t at = comment.find(kRevision);
    long long number = 0;
    if (at != std::string_view::npos &&
        ReadFreedbInt(comment.substr(at + kRevision.size()), number)) {
        // The revision travels in 16 bits of the completion message.
        request.revision = static_cast<std::uint16_t>(number < 0        ? 0
                                                      : number > 0xFFFF ? 0xFFFF
                                                                        : number);
        request.hasRevision = 1;
    }
}

}  // namespace

void ParseReadReply(std::string_view reply, FreedbRequest& request) {
    request.hasRevision = 0;
    request.serverError = ServerErrorLine(reply);
    int code = 0;
    std::string_view text;
    if (!FrameFreedbReply(reply, code, text))
        return;
    request.statusCode = code;
    request.readResult = FreedbReadResult{};
    if (code != 210)
        return;
    const ReplyCharset charset = DetectReplyCharset(text);

    LineReader lines(text);
    std::string_view line;
    lines.Next(line);
    request.readResult.category = ReplyCategory(ReplyLineToUtf8(line, charset));

    std::array<std::string, TITLE_SLOTS> titles;
    int highest = -1;  // no TTITLE line yet
    std::string discTitle;
    bool hasDiscTitle = false;
    while (lines.Next(line)) {
        if (line.empty())
            continue;
        if (line.front() == '.')
            break;
        const std::string decoded = ReplyLineToUtf8(line, charset);
        const std::string_view entry = decoded;
        std::string_view value;
        if (entry.empty())  // a line cut inside its only character
            continue;
        if (entry.front() == '#') {
            ReadRevision(entry, request);
        } else if (StartsWith(entry, "DTITLE")) {
            // A DTITLE continued over several lines is joined like a title.
            if (KeywordValue(entry, value) && discTitle.size() < FreedbReadResult::kDiscTitleSize) {
                discTitle += value;
                hasDiscTitle = true;
            }
        } else if (StartsWith(entry, "TTITLE")) {
            long long index = -1;
            if (!ReadFreedbInt(entry.substr(6), index) || index < 0 || index >= TITLE_SLOTS)
                continue;
            std::string& title = titles[static_cast<std::size_t>(index)];
            if (KeywordValue(entry, value) && title.size() < FreedbTrackTitle::kTitleSize)
                title += value;
            if (index > highest)
                highest = static_cast<int>(index);
        }
    }

    // A reply without TTITLE lines gets no titles: an empty title 0 made up for it
    // would wipe the first track's title and make an empty entry look like a result.
    FreedbReadResult& result = request.readResult;
    result.hasDiscTitle = hasDiscTitle;
    result.discTitle = FieldText(discTitle, FreedbReadResult::kDiscTitleSize);
    for (int i = 0; i <= highest; ++i) {
        result.titles.push_back(
            {i, FieldText(titles[static_cast<std::size_t>(i)], FreedbTrackTitle::kTitleSize)});
    }
}

std::string SubmitReplyCode(std::string_view reply) {
    const std::size_t blank = reply.find("\r\n\r\n");
    if (blank == std::string_view::npos)
        return {};
    return WithoutControlBytes(ReplyLineToUtf8(reply.substr(blank + 4, 3)));
}

std::string SubmitReplyStatusLine(std::string_view reply) {
    const std::size_t blank = reply.find("\r\n\r\n");
    if (blank == std::string_view::npos)
        return {};
    return StatusLineText(reply.substr(blank + 4));
}

}  // namespace korvida

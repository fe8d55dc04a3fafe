#include "core/ini/ProfileFile.h"

#include <algorithm>
#include <climits>

#include "core/ini/ReadRegularFile.h"
#include "core/ini/WriteFileAtomically.h"
#include "core/text/Utf8.h"

namespace korvida {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The text stored for a value. Line breaks would start new keys when the file is read
// again, so they become blanks. Reading trims blanks and removes one pair of enclosing
// quotes, so a value that has either gets a pair of quotes of its own to come back whole.
std::string StoredValue(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    const bool blankAtEdge = !out.empty() && (IsBlank(out.front()) || IsBlank(out.back()));
    const bool quoted =
        out.size() >= 2 && (out.front() == '"' || out.front() == '\'') && out.back() == out.front();
    if (blankAtEdge || quoted)
        out = '"' + out + '"';
    return out;
}

}  // namespace

bool ParseLeadingInt(std::string_view text, int* value) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digitsStart = i;
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (v <= static_cast<long long>(INT_MAX) + 1)
            v = v * 10 + (text[i] - '0');
    }
    if (i == digitsStart)
        return false;
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    *value = static_cast<int>(v);
    return true;
}

ProfileFile::Line ProfileFile::Classify(std::string text, const std::string& currentSection) {
    Line line;
    const std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::kSection;
            line.section = Lower(Trim(t.substr(1, close - 1)));
        }
    } else if (!t.empty() && t.front() != ';') {
        const auto eq = t.find('=');
        if (eq != std::string_view::npos && eq > 0) {
            line.kind = Kind::kKey;
            line.key = Lower(Trim(t.substr(0, eq)));
        }
    }
    if (line.kind != Kind::kSection)
        line.section = currentSection;
    line.text = std::move(text);
    return line;
}

bool ProfileFile::Load(const std::string& path, std::string* errorText) {
    lines_.clear();
    crlf_ = false;
    bom_ = false;
    RegularFileText file = ReadRegularFile(path, kMaxProfileBytes);
    if (file.status == RegularFileText::Status::kRefused) {
        if (errorText)
            *errorText = path + ": " + file.reason;
        return false;
    }
    Parse(file.bytes);
    return true;
}

void ProfileFile::Parse(std::string_view text) {
    lines_.clear();
    crlf_ = false;
    // Editors that save UTF-8 with a byte order mark would otherwise hide the first
    // section header behind it, and its keys with it. The mark is written back as found.
    bom_ = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom_)
        text.remove_prefix(3);
    std::string current;
    bool first = true;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view raw = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            if (first)
                crlf_ = true;
        }
        first = false;
        Line line = Classify(std::string(raw), current);
        if (line.kind == Kind::kSection)
            current = line.section;
        lines_.push_back(std::move(line));
    }
}

std::string ProfileFile::Text() const {
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (const auto& line : lines_) {
        out += line.text;
        out += eol;
    }
    return out;
}

bool ProfileFile::Save(const std::string& path, std::string* errorText) const {
    return WriteFileAtomically(path, Text(), errorText);
}

int ProfileFile::FindKey(std::string_view section, std::string_view key) const {
    const std::string s = Lower(Trim(section));
    const std::string k = Lower(Trim(key));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::kKey && line.key == k && line.section == s)
            return static_cast<int>(i);
    }
    return -1;
}

std::string ProfileFile::ValueAt(int index) const {
    std::string_view t = Trim(lines_[static_cast<std::size_t>(index)].text);
    t = Trim(t.substr(t.find('=') + 1));
    if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front())
        t = t.substr(1, t.size() - 2);
    return std::string(t);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, std::size_t bufferSize) const {
    const int index = FindKey(section, key);
    std::string value = index >= 0 ? ValueAt(index) : std::string(defaultValue);
    if (bufferSize > 0)
        return CutUtf8(value, bufferSize - 1);
    return value;
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const int index = FindKey(section, key);
    if (index < 0)
        return defaultValue;
    int value = defaultValue;
    return ParseLeadingInt(ValueAt(index), &value) ? value : defaultValue;
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
    return FindKey(section, key) >= 0;
}

bool ProfileFile::HasSection(std::string_view section) const {
    const std::string s = Lower(Trim(section));
    for (const auto& line : lines_)
        if (line.kind == Kind::kSection && line.section == s)
            return true;
    return false;
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::string s = Lower(Trim(section));
    const std::string newText = std::string(Trim(key)) + "=" + StoredValue(value);
    const int index = FindKey(section, key);
    if (index >= 0) {
        // Keep the stored spelling of the key and any indentation before it.
        Line& line = lines_[static_cast<std::size_t>(index)];
        const auto eq = line.text.find('=');
        std::string_view stored = line.text;
        stored = stored.substr(0, eq);
        while (!stored.empty() && IsBlank(stored.back()))
            stored.remove_suffix(1);
        line.text = std::string(stored) + "=" + StoredValue(value);
        return;
    }
    // Append after the last key or header line of the first copy of the section, so
    // trailing blank lines and comments stay below it.
    int header = -1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::kSection && lines_[i].section == s) {
            header = static_cast<int>(i);
            break;
        }
    }
    if (header < 0) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty())
            lines_.push_back(Classify("", lines_.back().section));
        lines_.push_back(Classify("[" + std::string(Trim(section)) + "]", ""));
        lines_.push_back(Classify(newText, s));
        return;
    }
    std::size_t insertAt = static_cast<std::size_t>(header) + 1;
    for (std::size_t i = insertAt; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i) {
        if (lines_[i].kind == Kind::kKey)
            insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Classify(newText, s));
}

void ProfileFile::SetInt(std::string_view section, std::string_view key, long value) {
    SetString(section, key, std::to_string(value));
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
    bool found = false;
    for (int index; (index = FindKey(section, key)) >= 0; found = true)
        lines_.erase(lines_.begin() + index);
    return found;
}

bool ProfileFile::DeleteSection(std::string_view section) {
    const std::string s = Lower(Trim(section));
    if (!HasSection(section))
        return false;
    const auto before = lines_.size();
    // Every line belongs to the section above it, so this takes the header, its keys and
    // the comments and blank lines below them.
    std::erase_if(lines_, [&](const Line& line) { return line.section == s; });
    return lines_.size() != before;
}

std::vector<std::string> ProfileFile::Sections() const {
    std::vector<std::string> names;
    std::vector<std::string> seen;
    for (const auto& line : lines_) {
        if (line.kind != Kind::kSection)
            continue;
        if (std::find(seen.begin(), seen.end(), line.section) != seen.end())
            continue;
        seen.push_back(line.section);
        std::string_view t = Trim(line.text);
        names.emplace_back(Trim(t.substr(1, t.find(']') - 1)));
    }
    return names;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
    const std::string s = Lower(Trim(section));
    std::vector<std::string> names;
    std::vector<std::string> seen;
    for (const auto& line : lines_) {
        if (line.kind != Kind::kKey || line.section != s)
            continue;
        if (std::find(seen.begin(), seen.end(), line.key) != seen.end())
            continue;
        seen.push_back(line.key);
        std::string_view t = Trim(line.text);
        names.emplace_back(Trim(t.substr(0, t.find('='))));
    }
    return names;
}

}  // namespace korvida

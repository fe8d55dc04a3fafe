#include "core/platform/ExecLine.h"

#include <string_view>

namespace korvida {

std::optional<std::vector<std::string>> SplitExecLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // "" is a word of its own
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size() &&
                       std::string_view("\"`$\\").find(line[i + 1]) != std::string_view::npos) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::vector<std::string> ExpandFieldCodes(const std::vector<std::string>& words,
                                          const std::string& file) {
    std::vector<std::string> out;
    bool placed = false;
    for (const std::string& word : words) {
        std::string expanded;
        bool hadCode = false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 == word.size()) {
                if (word[i] == '%')
                    hadCode = true;  // a lone '%' at the end is no character of ours
                else
                    expanded += word[i];
                continue;
            }
            const char code = word[++i];
            if (code == '%') {
                expanded += '%';
                continue;
            }
            hadCode = true;
            if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                // One file per start: the list codes hold just this one. A local path
                // is a valid URL argument too.
                expanded += file;
                placed = true;
            }
        }
        if (hadCode && expanded.empty())
            continue;
        out.push_back(std::move(expanded));
    }
    if (!placed && !file.empty())
        out.push_back(file);
    return out;
}

std::string UnescapeDesktopValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                // Not an escape of the string level: the Exec quoting reads it.
                out += '\\';
                out += value[i];
        }
    }
    return out;
}

}  // namespace korvida

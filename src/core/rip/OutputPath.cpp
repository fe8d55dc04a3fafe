#include "core/rip/OutputPath.h"

#include <cstdio>

#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "core/text/ControlCharacters.h"
#include "core/text/Utf8.h"

namespace korvida {
namespace {

constexpr char kReplacedCharacters[10] = {'*', ':', '?', '"', '|', '/', '\\', '<', '>', ' '};

// Replaces every occurrence of `token` in `text` in one pass; the inserted value is not
// searched again, so a value containing its own token is not expanded twice.
void ReplaceAll(std::string& text, std::string_view token, std::string_view value) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(token, from)) != std::string::npos;
         from = at + token.size()) {
        out.append(text, from, at - from);
        out += value;
    }
    if (from == 0)
        return;
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// One folder level or the file name, made safe to put between two '/'.
std::string SafeComponent(std::string_view component) {
    std::string safe(component);
    for (char& c : safe) {
        if (c != '.')
            break;
        c = '_';
    }
    return safe;
}

// `relative` (levels between '/', none of them empty) + `extension`, with every level
// cut to kMaxNameBytes: a longer name cannot be created, and the track would fail only
// after it had been read and encoded.
std::string FitNameLengths(std::string_view relative, std::string_view extension) {
    std::string fitted;
    for (;;) {
        const std::size_t slash = relative.find('/');
        if (slash == std::string_view::npos)
            break;
        fitted += CutUtf8(relative.substr(0, slash), kMaxNameBytes);
        fitted += '/';
        relative.remove_prefix(slash + 1);
    }
    const std::size_t room =
        extension.size() < kMaxNameBytes ? kMaxNameBytes - extension.size() : 1;
    fitted += CutUtf8(relative, room);
    fitted += extension;
    return fitted;
}

}  // namespace

NamingFields NamingFieldsOf(const RipJobItem& item) {
    NamingFields f;
    f.index = item.index;
    f.title = item.name;
    f.artist = item.track.Artist;
    f.album = item.track.Album;
    f.year = item.track.Year;
    f.disc = item.discCount > 1 ? item.discNumber : 0;
    return f;
}

std::string ReplaceCharacters(std::string_view text, const ReplaceStrings& replaceStr) {
    std::string out(text);
    for (std::size_t i = 0; i < 10; ++i) {
        std::string_view with = replaceStr[i];
        if (i == 9 && with.empty())
            with = " ";  // blanks are never removed
        const char from[2] = {kReplacedCharacters[i], '\0'};
        ReplaceAll(out, from, with);
    }
    return out;
}

std::string NamedRelativePath(const NamingFields& fields, std::string_view rule,
                              const ReplaceStrings& replaceStr) {
    // The path goes to the system as a C string: a NUL from a name would end it there, and
    // tracks whose names differ only after it would all be written to one file. The
    // spaces that stand for control characters are then blanks like any other.
    const auto value = [&](const std::string& v, const char* whenEmpty) {
        return ReplaceCharacters(
            ReplaceControlCharacters(v.empty() ? std::string_view(whenEmpty) : v), replaceStr);
    };
    char number[16];
    std::snprintf(number, sizeof number, "%02d", fields.index + 1);

    std::string name = ReplaceControlCharacters(rule);
    ReplaceAll(name, "<artist>", value(fields.artist, "Artist"));
    ReplaceAll(name, "<album>", value(fields.album, "Album"));
    ReplaceAll(name, "<title>",
               ReplaceCharacters(ReplaceControlCharacters(fields.title), replaceStr));
    ReplaceAll(name, "<number>", number);
    ReplaceAll(name, "<year>", value(fields.year, "Year"));
    ReplaceAll(name, "<disc>", fields.disc > 0 ? std::to_string(fields.disc) : std::string());

    // Rebuild the name level by level. A doubled separator means one, as the system reads
    // paths anyway; only the last level, the file name, must not end up empty.
    std::string path;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = begin;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        const std::string_view component = std::string_view(name).substr(begin, end - begin);
        const bool last = end == name.size();
        if (last) {
            path += component.empty() ? std::string("_") : SafeComponent(component);
            return path;
        }
        if (!component.empty()) {
            path += SafeComponent(component);
            path += '/';
        }
        begin = end + 1;
    }
}

std::string PlannedOutputPath(const NamingFields& fields, std::string_view folder,
                              std::string_view extension, std::string_view rule,
                              const ReplaceStrings& replaceStr) {
    const std::string base = OutputBase(folder);
    // A folder the system would read shorter than it is names another folder: none.
    if (base.empty() || base.find('\0') != std::string::npos)
        return {};
    return base + FitNameLengths(NamedRelativePath(fields, rule, replaceStr), extension);
}

std::string PlannedOutputPath(const RipJobItem& item, std::string_view folder,
                              std::string_view extension, const Settings& settings) {
    return PlannedOutputPath(NamingFieldsOf(item), folder, extension, settings.NamingRule,
                             settings.ReplaceStr);
}

std::string OutputPath(const NamingFields& fields, std::string_view folder,
                       std::string_view extension, std::string_view rule,
                       const ReplaceStrings& replaceStr) {
    const std::string path = PlannedOutputPath(fields, folder, extension, rule, replaceStr);
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        MakeSureDirectoryPathExists(path.substr(0, slash));
    return path;
}

std::string OutputPath(const RipJobItem& item, std::string_view folder, std::string_view extension,
                       const Settings& settings) {
    return OutputPath(NamingFieldsOf(item), folder, extension, settings.NamingRule,
                      settings.ReplaceStr);
}

}  // namespace korvida

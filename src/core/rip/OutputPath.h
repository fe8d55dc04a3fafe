#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/OutputBase.h"

namespace korvida {

struct RipJobItem;
struct Settings;

// The ten replacement strings ReplaceStr01..ReplaceStr10, for * : ? " | / \ < > and blank.
using ReplaceStrings = std::array<std::string, 10>;

// What a naming rule can put into a name.
struct NamingFields {
    std::int32_t index = 0;  // 0-based track index; <number> is index + 1
    std::string title;       // the track list's Title column text
    std::string artist;
    std::string album;
    std::string year;
    std::int32_t disc = 0;  // the disc's number in a set; 0 (no text) for a disc of one
};

// Title from the item's name (the text the user saw in the list), the rest from its
// description record.
NamingFields NamingFieldsOf(const RipJobItem& item);

// Replaces every * : ? " | / \ < > and blank by its replacement string, one character
// after the other in that order. An empty replacement removes the character, except the
// blank's: an empty ReplaceStr10 keeps blanks.
std::string ReplaceCharacters(std::string_view text, const ReplaceStrings& replaceStr);

// The name the rule gives, relative to the output folder, without extension and with '/'
// between folders. "<artist>", "<album>", "<title>", "<number>", "<year>" and "<disc>"
// are substituted in that order ("<disc>" by nothing for a disc of one, so a folder of
// it alone is left out); both '/' and '\' written in the rule make folders.
// Whatever the rule and the values hold, the result stays below the output folder and
// names nothing hidden: empty folder levels are dropped, leading dots of every level
// become '_' (so "." and ".." cannot climb or vanish), and an empty file name becomes "_".
// Control characters (a NUL above all) become spaces, so the name is the one the file
// system will see.
std::string NamedRelativePath(const NamingFields& fields, std::string_view rule,
                              const ReplaceStrings& replaceStr);

// Longest file or folder name, in bytes, that the file systems we write to accept.
inline constexpr std::size_t kMaxNameBytes = 255;

// Full path of an output file: OutputBase(folder) + NamedRelativePath(...) + extension
// (".WAV", ".MP3", ".ogg", appended as given), creating nothing. Every level the rule
// made is cut to kMaxNameBytes, the file name with its extension included: the cut falls
// between UTF-8 characters and takes the end of the name, so what the rule puts first
// (the track number of "<number>-<title>") and the extension stay. Empty for an empty
// folder and for a folder holding a NUL.
std::string PlannedOutputPath(const NamingFields& fields, std::string_view folder,
                              std::string_view extension, std::string_view rule,
                              const ReplaceStrings& replaceStr);
std::string PlannedOutputPath(const RipJobItem& item, std::string_view folder,
                              std::string_view extension, const Settings& settings);

// PlannedOutputPath, after creating the folders the path needs; when that fails,
// opening the file fails and the caller reports it.
std::string OutputPath(const NamingFields& fields, std::string_view folder,
                       std::string_view extension, std::string_view rule,
                       const ReplaceStrings& replaceStr);
std::string OutputPath(const RipJobItem& item, std::string_view folder, std::string_view extension,
                       const Settings& settings);

}  // namespace korvida

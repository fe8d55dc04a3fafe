#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvida {

// An INI ("profile") file with the semantics Settings.ini, the local disc database and
// cdplayer.ini have always been read and written with:
//  - section and key names match without regard to ASCII case;
//  - a missing file, section or key reads as the caller's default;
//  - values are trimmed of blanks, and one pair of enclosing quotes is removed;
//  - integers read as the leading decimal number, the default when there is none;
//  - setting a key rewrites its line in place, appends a new key to the end of its
//    section and a new section to the end of the file; every other line, comment and
//    the order of everything are kept;
//  - lines starting with ';' are comments.
// Duplicate sections behave as one section (the first line of a key wins, reads and
// writes alike). Text is bytes: nothing is converted.
//
// The file is read once (Load) and written once, whole (Save): a save of many keys is
// one write, and a crash never leaves half a file.
class ProfileFile {
  public:
    ProfileFile() = default;

    // The largest file Load reads: a cdplayer.ini of many thousand discs fits.
    static constexpr std::size_t kMaxProfileBytes = std::size_t{16} << 20;

    // Reads `path`. A missing file gives an empty profile (and true); false when the file
    // exists but cannot be read, is not a regular file or is over kMaxProfileBytes
    // (*errorText says why), leaving the profile empty.
    bool Load(const std::string& path, std::string* errorText = nullptr);
    // Parses text as if it were a file's contents.
    void Parse(std::string_view text);

    // Writes the whole file through a temporary file and a rename.
    bool Save(const std::string& path, std::string* errorText = nullptr) const;
    // The file's text as Save would write it.
    std::string Text() const;

    // The value, or `defaultValue` when the key is missing; cut to bufferSize - 1 bytes
    // like a read into a buffer of that many characters (0 = no limit). A cut never
    // leaves half of a UTF-8 character at the end.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize = 0) const;
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Line breaks in a value are written as blanks; a value with blanks at either end or
    // with enclosing quotes is stored in quotes so it reads back unchanged.
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    void SetInt(std::string_view section, std::string_view key, long value);
    // Removes every line of the key; false when there was none.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes every copy of the section with its keys and comments.
    bool DeleteSection(std::string_view section);

    // Section names in file order (first spelling, duplicates once).
    std::vector<std::string> Sections() const;
    // Key names of a section in file order (first spelling, duplicates once).
    std::vector<std::string> Keys(std::string_view section) const;

  private:
    enum class Kind { kOther, kSection, kKey };
    struct Line {
        std::string text;  // the line as stored, without its line break
        Kind kind = Kind::kOther;
        std::string section;  // lower-case name of the section the line belongs to
        std::string key;      // lower-case key name (kKey only)
    };

    static Line Classify(std::string text, const std::string& currentSection);
    int FindKey(std::string_view section, std::string_view key) const;
    std::string ValueAt(int index) const;

    std::vector<Line> lines_;
    bool crlf_ = false;  // a file written with CR LF keeps them
    bool bom_ = false;   // a file that starts with a UTF-8 byte order mark keeps it
};

// Reads an integer the way profile files do: optional blanks, an optional sign, then
// decimal digits; false when there are no digits. Saturates at the int range.
bool ParseLeadingInt(std::string_view text, int* value);

}  // namespace korvida

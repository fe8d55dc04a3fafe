#pragma once

#include <climits>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvida {

// The values a setting accepts. One set of rules serves the options sheet (its field
// checks and commits), `korvida-cli settings --set` and `rip --output/--rule`, which
// refuse a value with the sheet's own text, and Settings.ini, where a value the rules
// refuse is read as the key's default.

// Replaces a value read from Settings.ini that is out of range; identity when none.
using Clamp = int (*)(int);

// An integer key: the load clamp, and the range the sheet and `settings --set` accept.
// A value read from the file that the clamp leaves outside the range reads as the
// default. Keys the sheet does not edit (window geometry, column widths) have no range:
// a value set for them goes through the clamp.
struct IntRule {
    Clamp clamp = nullptr;
    int lo = INT_MIN;
    int hi = INT_MAX;
    bool Ranged() const { return lo != INT_MIN || hi != INT_MAX; }
    bool Accepts(int value) const { return value >= lo && value <= hi; }
};

// A text key: the read buffer (terminator included), the most characters the sheet's
// field takes (0: no limit), and the check of the value itself.
struct TextRule {
    enum class Check { kNone, kNamingRule, kOutputFolder, kTempFolder, kLanguage };
    std::size_t buffer = 0;
    std::size_t maxChars = 0;
    Check check = Check::kNone;
};

// The sheet's field-check texts: a number out of its range, a text longer than its field
// (counted in characters, not bytes).
std::optional<std::string> CheckRange(int value, int lo, int hi);
std::optional<std::string> CheckLength(std::string_view text, std::size_t maxChars);

// A naming rule must name at least one of the five fields; the text says so when not.
std::optional<std::string> CheckNamingRule(std::string_view rule);
// What an empty rule stands for.
inline constexpr const char* kEmptyNamingRule = "<title>";

// The Output page's check of its folder and rule, in the order the sheet meets them:
// the two lengths, the rule's fields, then the folder, which is created with its parents.
struct NamingValidation {
    bool accepted = false;
    std::string folder;        // trimmed, with exactly one trailing '/'
    std::string rule;          // kEmptyNamingRule for an empty rule
    std::string message;       // why it was refused, for the message box
    bool ruleRefused = false;  // the page puts the focus on the rule's edit box
};
NamingValidation ValidateNamingSettings(std::string_view folder, std::string_view rule);

// The temporary folder as Miscellaneous 2 commits it: the entry trimmed, with one
// trailing '/', created with its parents. When that fails the previous folder is kept if
// it exists or can be made; otherwise the page refuses with "不能打开临时目录！". A blank
// entry fails like a folder that cannot be made (it would name the root).
struct TempFolderCommit {
    bool accepted = false;
    std::string folder;   // what TEMPDIRECTORY becomes
    std::string message;  // when refused
};
TempFolderCommit CommitTempFolder(const std::string& entered, const std::string& previous);

// A value given for a text key by name (`settings --set`): accepted as the sheet would
// store it (folders normalised and created, an empty rule as kEmptyNamingRule), or
// refused with the sheet's text. Unlike the sheet's temporary folder, which silently
// keeps the previous one, a folder that cannot be made is refused: the command line
// would otherwise report a value it did not store as set.
struct TextSetting {
    bool accepted = false;
    std::string value;
    std::string message;
};
TextSetting CheckTextSetting(const TextRule& rule, std::string_view value);

// A value read from Settings.ini for a text key, or nullopt when the rules refuse it
// (then the default stays). Folders are not created here: see PrepareFolders.
std::optional<std::string> LoadedTextSetting(const TextRule& rule, std::string value);

}  // namespace korvida

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/cdrom/CdTextPack.h"
#include "core/disc/CdText.h"
#include "core/platform/ByteOrder.h"
#include "core/text/ConvertCharset.h"
#include "core/text/Utf8.h"

namespace korvida {

namespace {

// Database values come back cut to this; names from the disc are no longer.
constexpr std::size_t kMaxText = 253;

int Block(const std::uint8_t* pack) {
    return (pack[3] >> 4) & 0x7;
}

// The raw strings of one pack type by track, only those read whole. Packs of a type
// follow each other by sequence number; where one is missing the string it was part of
// is lost, and the next pack starting inside a string (a character position above 0)
// gives nothing until that string's end.
std::map<int, std::string> RawStrings(const std::vector<const std::uint8_t*>& packs,
                                      std::uint8_t type, bool doubleByte) {
    std::map<int, std::string> strings;
    int track = 0;
    std::string current;
    bool reading = false;   // `current` holds a string begun in an unbroken run of packs
    bool skipZero = false;  // double-byte: the terminator's second zero is still to come
    int lastSequence = -2;
    for (const std::uint8_t* pack : packs) {
        if (pack[0] != type)
            continue;
        const int sequence = pack[2];
        const bool runsOn =
            reading && sequence == ((lastSequence + 1) & 0xFF) && (pack[1] & 0x7F) == track;
        lastSequence = sequence;
        const std::uint8_t* text = pack + kCdTextPayloadOffset;
        std::size_t i = 0;
        if (!runsOn) {
            current.clear();
            skipZero = false;
            reading = true;
            track = pack[1] & 0x7F;
            if ((pack[3] & 0x0F) != 0) {
                // The beginning of this string was in a pack that did not arrive.
                while (i < kCdTextPayload && text[i] != 0)
                    ++i;
                if (i == kCdTextPayload) {
                    reading = false;
                    continue;
                }
                ++i;
                ++track;
                skipZero = doubleByte;
            }
        }
        for (; i < kCdTextPayload; ++i) {
            if (std::exchange(skipZero, false) && text[i] == 0)
                continue;
            if (text[i] != 0) {
                current += static_cast<char>(text[i]);
                continue;
            }
            if (track <= 99)
                strings.emplace(track, current);
            current.clear();
            ++track;
            skipZero = doubleByte;
        }
    }
    return strings;
}

std::string WithoutControls(const std::string& text, bool latin1) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x20 || b == 0x7F || (latin1 && b >= 0x80 && b < 0xA0))
            continue;
        out += c;
    }
    return out;
}

}  // namespace

CdText ParseCdText(const std::uint8_t* reply, std::size_t length) {
    CdText result;
    if (reply == nullptr || length < 4)
        return result;
    const std::size_t announced = std::size_t{Be16(reply)} + 2;
    const std::size_t end = std::min(length, announced);
    std::vector<const std::uint8_t*> packs;
    for (std::size_t at = 4; at + kCdTextPackSize <= end; at += kCdTextPackSize) {
        const std::uint8_t* pack = reply + at;
        if (Block(pack) == 0 && CdTextPackIntact(pack))
            packs.push_back(pack);
    }

    // The character code is the size information's; without it only single-byte packs
    // can be read, as ISO-8859-1 (ASCII is its lower half).
    std::optional<std::uint8_t> code;
    bool anyDoubleByte = false;
    for (const std::uint8_t* pack : packs) {
        if (pack[0] == cdtext::kSizeInfo && pack[1] == 0)
            code = pack[kCdTextPayloadOffset];
        anyDoubleByte = anyDoubleByte || (pack[3] & 0x80);
    }
    if (!code)
        code = anyDoubleByte ? std::optional<std::uint8_t>() : cdtext::kIso8859_1;
    if (!code ||
        (*code != cdtext::kIso8859_1 && *code != cdtext::kAscii && *code != cdtext::kMsJis))
        return result;
    const bool doubleByte = *code == cdtext::kMsJis;

    constexpr std::pair<std::uint8_t, std::string CdTextEntry::*> kTypes[] = {
        {cdtext::kTitle, &CdTextEntry::title},
        {cdtext::kPerformer, &CdTextEntry::performer},
        {cdtext::kSongwriter, &CdTextEntry::songwriter}};
    for (const auto& [type, field] : kTypes) {
        std::optional<std::string> previous;  // the converted string of track - 1
        int previousTrack = -2;
        for (const auto& [track, raw] : RawStrings(packs, type, doubleByte)) {
            std::optional<std::string> text;
            if (raw == (doubleByte ? "\t\t" : "\t")) {
                // "Same as the track before": only when that one was read.
                if (previousTrack == track - 1 && track >= 1)
                    text = previous;
            } else if (doubleByte) {
                text = ConvertCharset(raw, "CP932", "UTF-8");
                if (!text)
                    return CdText{};  // not MS-JIS after all: no names rather than garbage
                text = WithoutControls(*text, false);
            } else {
                text = Latin1ToUtf8(WithoutControls(raw, true));
            }
            previous = text;
            previousTrack = track;
            if (text)
                result.entries[static_cast<std::size_t>(track)].*field = CutUtf8(*text, kMaxText);
        }
    }
    return result;
}

}  // namespace korvida

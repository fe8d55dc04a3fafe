#include "core/disc/ParseCdText.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "core/cdrom/CdTextPack.h"
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

// The iconv set of a double-byte character code; nullptr for any other code.
const char* DoubleByteCharset(std::uint8_t code) {
    switch (code) {
        case cdtext::kMsJis:
            return "CP932";
        case cdtext::kKorean:
            return "CP949";  // KS C 5601 and the syllables its extension adds
        case cdtext::kMandarin:
            return "GBK";  // GB 2312 and the characters its extension adds
        default:
            return nullptr;
    }
}

// The names one block gives, from its packs (all intact, in reply order).
CdText ParseBlock(const std::vector<const std::uint8_t*>& packs) {
    CdText result;
    // The character code is the size information's; without it only single-byte packs
    // can be read, as ISO-8859-1 (ASCII is its lower half).
    std::optional<std::uint8_t> code;
    bool anyDoubleByte = false;
    for (const std::uint8_t* pack : packs) {
        if (pack[0] == cdtext::kSizeInfo && pack[1] == 0)
            code = pack[kCdTextPayloadOffset];
        anyDoubleByte = anyDoubleByte || (pack[3] & 0x80);
    }
    if (!code && !anyDoubleByte)
        code = cdtext::kIso8859_1;
    if (!code)
        return result;
    const bool singleByte = *code == cdtext::kIso8859_1 || *code == cdtext::kAscii;
    const char* charset = DoubleByteCharset(*code);
    if (!singleByte && charset == nullptr)
        return result;
    const bool doubleByte = !singleByte;

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
                // A string that is not in the block's set is lost alone: the others
                // were written by the same hand and stand on their own.
                text = ConvertCharset(raw, charset, "UTF-8");
                if (text)
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

}  // namespace

CdText ParseCdText(const std::uint8_t* reply, std::size_t length, std::uint8_t language) {
    if (reply == nullptr || length < 4)
        return {};
    const std::size_t announced = std::size_t{Be16(reply)} + 2;
    const std::size_t end = std::min(length, announced);
    std::array<std::vector<const std::uint8_t*>, 8> blocks;
    for (std::size_t at = 4; at + kCdTextPackSize <= end; at += kCdTextPackSize) {
        const std::uint8_t* pack = reply + at;
        if (CdTextPackIntact(pack))
            blocks[static_cast<std::size_t>(Block(pack))].push_back(pack);
    }

    // Every block's size information names the language of all eight blocks (bytes
    // 4-11 of its third pack's text); the first block in the language asked for that
    // has packs is read first, then block 0, which every disc with CD-Text has.
    int preferred = -1;
    for (const auto& block : blocks) {
        for (const std::uint8_t* pack : block) {
            if (preferred >= 0 || pack[0] != cdtext::kSizeInfo || pack[1] != 2)
                continue;
            for (std::size_t b = 0; b < blocks.size() && preferred < 0; ++b) {
                if (pack[kCdTextPayloadOffset + 4 + b] == language && !blocks[b].empty())
                    preferred = static_cast<int>(b);
            }
        }
    }
    if (preferred > 0) {
        CdText text = ParseBlock(blocks[static_cast<std::size_t>(preferred)]);
        if (!text.Empty())
            return text;
    }
    return ParseBlock(blocks[0]);
}

}  // namespace korvida

#include "core/cdrom/BuildCdTextPacks.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "core/cdrom/CdTextPack.h"
#include "core/cdrom/DiscImage.h"
#include "core/text/ConvertCharset.h"

namespace korvida {

namespace {

struct PackType {
    std::uint8_t type;
    std::string ImageText::*field;
};
constexpr PackType kTypes[] = {{cdtext::kTitle, &ImageText::title},
                               {cdtext::kPerformer, &ImageText::performer},
                               {cdtext::kSongwriter, &ImageText::songwriter}};

// The character sets a block can be written in, tried in this order: Latin text stays
// ISO-8859-1 and Japanese MS-JIS, as before; GBK and CP949 are the supersets of GB 2312
// and KS C 5601 that carry the traditional characters and every Hangul syllable a
// sheet may hold (the reader decodes with the same sets).
struct Charset {
    const char* iconvName;
    std::uint8_t characterCode;
    std::uint8_t language;
    bool doubleByte;
};
constexpr Charset kCharsets[] = {
    {"ISO-8859-1", cdtext::kIso8859_1, cdtext::kLanguageEnglish, false},
    {"CP932", cdtext::kMsJis, cdtext::kLanguageJapanese, true},
    {"GBK", cdtext::kMandarin, cdtext::kLanguageChinese, true},
    {"CP949", cdtext::kKorean, cdtext::kLanguageKorean, true},
};

// The block's strings, already in the disc's character set: [type][0 = disc, then tracks].
// A string the set has no characters for is left empty and counted in `lost`.
struct EncodedText {
    const Charset* charset = nullptr;
    std::size_t lost = 0;
    std::array<std::vector<std::string>, 3> strings;
};

EncodedText Encode(const DiscImage& image, const Charset& charset) {
    EncodedText out;
    out.charset = &charset;
    for (std::size_t t = 0; t < std::size(kTypes); ++t) {
        const auto add = [&](const ImageText& text) {
            std::optional<std::string> bytes =
                ConvertCharset(text.*kTypes[t].field, "UTF-8", charset.iconvName);
            out.lost += bytes ? 0 : 1;
            out.strings[t].push_back(bytes ? std::move(*bytes) : std::string());
        };
        add(image.text);
        for (const ImageTrack& track : image.tracks)
            add(track.text);
    }
    return out;
}

// The first set that carries every string; when none does, the one that loses fewest,
// so one title in a script no set has costs that title, not every name of the image.
EncodedText EncodeInBestCharset(const DiscImage& image) {
    EncodedText best = Encode(image, kCharsets[0]);
    for (std::size_t k = 1; k < std::size(kCharsets) && best.lost > 0; ++k) {
        EncodedText next = Encode(image, kCharsets[k]);
        if (next.lost < best.lost)
            best = std::move(next);
    }
    return best;
}

class PackWriter {
  public:
    explicit PackWriter(bool doubleByte) : doubleByte_(doubleByte) {}

    // The packs of one type: its strings run on from pack to pack, each pack naming the
    // track of its first character and how far into that string it starts.
    void Text(std::uint8_t type, int firstTrack, const std::vector<std::string>& strings) {
        const std::size_t unit = doubleByte_ ? 2 : 1;
        std::vector<std::uint8_t> stream;
        std::vector<int> trackOf;         // per byte of the stream
        std::vector<std::size_t> charOf;  // per byte: characters of its string before it
        for (std::size_t k = 0; k < strings.size(); ++k) {
            std::string s = strings[k];
            if (k >= 2 && !s.empty() && s == strings[k - 1])
                s.assign(unit, '\t');  // "same as the track before"
            s.append(unit, '\0');
            for (std::size_t i = 0; i < s.size(); ++i) {
                stream.push_back(static_cast<std::uint8_t>(s[i]));
                trackOf.push_back(k == 0 ? 0 : firstTrack + static_cast<int>(k) - 1);
                charOf.push_back(i / unit);
            }
        }
        for (std::size_t at = 0; at < stream.size(); at += kCdTextPayload) {
            std::array<std::uint8_t, kCdTextPackSize> pack{};
            pack[0] = type;
            pack[1] = static_cast<std::uint8_t>(trackOf[at]);
            pack[3] = static_cast<std::uint8_t>((doubleByte_ ? 0x80 : 0) |
                                                std::min<std::size_t>(charOf[at], 15));
            const std::size_t n = std::min(kCdTextPayload, stream.size() - at);
            std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), n,
                        pack.begin() + kCdTextPayloadOffset);
            Add(pack);
        }
    }

    void SizeInfo(std::uint8_t characterCode, std::uint8_t language, int firstTrack,
                  int lastTrack) {
        std::array<std::uint8_t, 3 * kCdTextPayload> info{};
        info[0] = characterCode;
        info[1] = static_cast<std::uint8_t>(firstTrack);
        info[2] = static_cast<std::uint8_t>(lastTrack);
        for (const auto& pack : packs_)
            ++info[4 + (pack[0] & 0x0F)];
        info[4 + (cdtext::kSizeInfo & 0x0F)] = 3;
        info[20] = static_cast<std::uint8_t>(packs_.size() + 2);  // last sequence number, block 0
        info[28] = language;                                      // of block 0, the only one
        for (std::uint8_t k = 0; k < 3; ++k) {
            std::array<std::uint8_t, kCdTextPackSize> pack{};
            pack[0] = cdtext::kSizeInfo;
            pack[1] = k;
            std::copy_n(info.begin() + k * kCdTextPayload, kCdTextPayload,
                        pack.begin() + kCdTextPayloadOffset);
            Add(pack);
        }
    }

    std::size_t Count() const { return packs_.size(); }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        for (const auto& pack : packs_)
            out.insert(out.end(), pack.begin(), pack.end());
        return out;
    }

  private:
    void Add(std::array<std::uint8_t, kCdTextPackSize>& pack) {
        pack[2] = static_cast<std::uint8_t>(packs_.size());
        const std::uint16_t crc = CdTextPackCrc(pack.data());
        pack[16] = static_cast<std::uint8_t>(crc >> 8);
        pack[17] = static_cast<std::uint8_t>(crc);
        packs_.push_back(pack);
    }

    bool doubleByte_;
    std::vector<std::array<std::uint8_t, kCdTextPackSize>> packs_;
};

}  // namespace

std::vector<std::uint8_t> BuildCdTextPacks(const DiscImage& image) {
    if (!image.cdTextPacks.empty())
        return image.cdTextPacks;
    if (image.tracks.empty())
        return {};
    const EncodedText text = EncodeInBestCharset(image);
    const int first = image.tracks.front().number;
    const int last = image.tracks.back().number;
    PackWriter writer(text.charset->doubleByte);
    bool any = false;
    for (std::size_t t = 0; t < std::size(kTypes); ++t) {
        const auto& strings = text.strings[t];
        if (std::none_of(strings.begin(), strings.end(),
                         [](const std::string& s) { return !s.empty(); }))
            continue;
        writer.Text(kTypes[t].type, first, strings);
        any = true;
    }
    if (!any)
        return {};
    writer.SizeInfo(text.charset->characterCode, text.charset->language, first, last);
    // Sequence numbers are one byte: a block holds at most 256 packs, and a sheet with
    // more text than that could not have been mastered.
    if (writer.Count() > 256)
        return {};
    return writer.Bytes();
}

}  // namespace korvida

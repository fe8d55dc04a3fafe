#include "core/encode/Id3Tag.h"

#include <id3.h>
#include <id3/tag.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/encode/CoverPicture.h"
#include "core/encode/EncodeItem.h"
#include "core/text/Utf8.h"

namespace korvida {

const std::array<const char*, kId3GenreCount> ID3GenreNames = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk/Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "Acapella",
    "Euro-House",
    "Dance Hall",
};

namespace {

constexpr int kGenreOther = 12;

void CopyField(Id3v1Record& record, std::size_t offset, std::size_t width,
               const std::string& text) {
    std::memcpy(record.data() + offset, text.data(), std::min(width, text.size()));
}

// id3lib's UTF-16 setter writes a little-endian byte-order mark and then each code unit
// big-endian, so every reader would see the two bytes of each unit swapped. Swapping them
// beforehand makes the stored text agree with its mark.
std::u16string Id3libUnicodeText(std::string_view utf8) {
    const auto unit = [](char32_t u) {
        return static_cast<char16_t>(((u & 0xFF) << 8) | ((u >> 8) & 0xFF));
    };
    std::u16string out;
    out.reserve(utf8.size() + 1);
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {  // a surrogate pair
            out += unit(0xD800 + ((cp - 0x10000) >> 10));
            out += unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += unit(cp);
        }
    }
    return out;  // c_str() supplies the terminating zero
}

// An ID3v2 URL field holds ISO-8859-1; the non-ASCII bytes of a UTF-8 address are
// percent-encoded, which is how a browser would send them.
std::string UrlText(std::string_view url) {
    std::string out;
    for (const char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", b);
            out += escaped;
        }
    }
    return out;
}

struct TagDeleter {
    void operator()(ID3Tag* tag) const { ID3Tag_Delete(tag); }
};

// Sets the frame's one field. Plain ASCII stays single-byte text; anything else goes in
// as UTF-16, because single-byte ID3v2 text is ISO-8859-1 and would show UTF-8 bytes as
// garbage in every player.
void SetFrameText(ID3Frame* frame, ID3_FieldID fieldId, const std::string& text) {
    ID3Field* field = ID3Frame_GetField(frame, fieldId);
    if (!field)
        return;
    if (fieldId == ID3FN_URL) {
        ID3Field_SetASCII(field, UrlText(text).c_str());
        return;
    }
    const bool ascii = IsAscii(text);
    const ID3_TextEnc encoding = ascii ? ID3TE_ISO8859_1 : ID3TE_UTF16;
    if (ID3Field* textEncoding = ID3Frame_GetField(frame, ID3FN_TEXTENC))
        ID3Field_SetINT(textEncoding, static_cast<uint32>(encoding));
    ID3Field_SetEncoding(field, encoding);
    if (ascii) {
        ID3Field_SetASCII(field, text.c_str());
    } else {
        const std::u16string units = Id3libUnicodeText(text);
        ID3Field_SetUNICODE(field, reinterpret_cast<const unicode_t*>(units.c_str()));
    }
}

struct FrameRow {
    ID3_FrameID id;
    ID3_FieldID field;
    std::string text;
};

// The frames in the order they are written, each only when its source is set.
std::vector<FrameRow> Id3v2Frames(const EncodeItem& item) {
    const TrackInfo& t = item.track;
    std::vector<FrameRow> rows;
    const auto add = [&](ID3_FrameID id, ID3_FieldID field, const std::string& text) {
        if (!text.empty())
            rows.push_back({id, field, text});
    };
    add(ID3FID_TITLE, ID3FN_TEXT, t.Title);
    add(ID3FID_LEADARTIST, ID3FN_TEXT, t.Artist);
    add(ID3FID_ALBUM, ID3FN_TEXT, t.Album);
    add(ID3FID_YEAR, ID3FN_TEXT, t.Year);
    add(ID3FID_COMMENT, ID3FN_TEXT, t.Comment);
    add(ID3FID_COMPOSER, ID3FN_TEXT, t.Composer);
    add(ID3FID_ORIGARTIST, ID3FN_TEXT, t.OrigArtist);
    add(ID3FID_COPYRIGHT, ID3FN_TEXT, t.Copyright);
    add(ID3FID_WWWUSER, ID3FN_URL, t.URL);
    add(ID3FID_ENCODEDBY, ID3FN_TEXT, t.EncodedBy);
    if (item.index >= 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", item.index + 1);
        add(ID3FID_TRACKNUM, ID3FN_TEXT, number);
    }
    if (!t.GenreName.empty())
        add(ID3FID_CONTENTTYPE, ID3FN_TEXT,
            "(" + std::to_string(LookupGenreIndex(t.GenreName)) + ")" + t.GenreName);
    add(ID3FID_ISRC, ID3FN_TEXT, item.isrc);
    if (item.discCount > 1)
        add(ID3FID_PARTINSET, ID3FN_TEXT,
            std::to_string(item.discNumber) + "/" + std::to_string(item.discCount));
    return rows;
}

// The front cover as an APIC frame, in place of one the file had.
bool AttachCover(ID3Tag* tag, const std::vector<std::uint8_t>& bytes, const CoverPicture& picture) {
    if (ID3Frame* existing = ID3Tag_FindFrameWithID(tag, ID3FID_PICTURE))
        ID3Frame_Delete(ID3Tag_RemoveFrame(tag, existing));
    ID3Frame* frame = ID3Frame_NewID(ID3FID_PICTURE);
    if (!frame)
        return false;
    if (ID3Field* field = ID3Frame_GetField(frame, ID3FN_TEXTENC))
        ID3Field_SetINT(field, ID3TE_ISO8859_1);
    if (ID3Field* field = ID3Frame_GetField(frame, ID3FN_MIMETYPE))
        ID3Field_SetASCII(field, picture.mimeType.c_str());
    if (ID3Field* field = ID3Frame_GetField(frame, ID3FN_PICTURETYPE))
        ID3Field_SetINT(field, 3);  // front cover
    if (ID3Field* field = ID3Frame_GetField(frame, ID3FN_DESCRIPTION))
        ID3Field_SetASCII(field, "");
    if (ID3Field* field = ID3Frame_GetField(frame, ID3FN_DATA))
        ID3Field_SetBINARY(field, bytes.data(), bytes.size());
    ID3Tag_AttachFrame(tag, frame);  // owned by the tag from here on
    return true;
}

// A file as its ID3v2 tag divides it.
struct TaggedLayout {
    std::uint64_t tagBytes = 0;  // 0: no tag
    std::uint64_t behind = 0;    // the audio and whatever follows it
};

std::optional<TaggedLayout> LayoutOf(const std::string& path) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::kRead))
        return std::nullopt;
    const std::int64_t size = file.Size();
    const std::uint64_t tag = Id3v2TagBytes(file);
    if (size < 0 || static_cast<std::uint64_t>(size) < tag)
        return std::nullopt;
    return TaggedLayout{tag, static_cast<std::uint64_t>(size) - tag};
}

}  // namespace

int LookupGenreIndex(std::string_view name) {
    for (std::size_t i = 0; i < ID3GenreNames.size(); ++i)
        if (name == ID3GenreNames[i])
            return static_cast<int>(i);
    return kGenreOther;
}

Id3v1Record BuildId3v1(const EncodeItem& item) {
    Id3v1Record record{};
    const TrackInfo& t = item.track;
    std::memcpy(record.data(), "TAG", 3);
    CopyField(record, 3, 30, t.Title);
    CopyField(record, 33, 30, t.Artist);
    CopyField(record, 63, 30, t.Album);
    CopyField(record, 93, 4, t.Year);
    if (item.index >= 0) {
        CopyField(record, 97, 28, t.Comment);  // byte 125 stays 0: the v1.1 separator
        record[126] = static_cast<std::uint8_t>(item.index + 1);
    } else {
        CopyField(record, 97, 30, t.Comment);
    }
    record[127] = static_cast<std::uint8_t>(LookupGenreIndex(t.GenreName));
    return record;
}

bool WriteId3v1(BinaryFile& output, const EncodeItem& item) {
    const Id3v1Record record = BuildId3v1(item);
    return output.Write(record.data(), record.size());
}

bool WriteId3v2(const std::string& path, const EncodeItem& item,
                const std::vector<std::uint8_t>* cover) {
    const std::optional<TaggedLayout> before = LayoutOf(path);
    std::unique_ptr<ID3Tag, TagDeleter> tag(ID3Tag_New());
    if (!before || !tag)
        return false;
    const std::vector<FrameRow> rows = Id3v2Frames(item);
    const std::optional<CoverPicture> picture =
        cover ? DescribeCover(*cover) : std::optional<CoverPicture>();
    // Only an ID3v2 tag already in the file is read. Linking every tag type would turn
    // the ID3v1 record just appended into frames of its own (a TCON "(12)" for an unset
    // genre, the 30-byte cut of a longer title), and those would be written too.
    ID3Tag_LinkWithFlags(tag.get(), path.c_str(), ID3TT_ID3V2);
    for (const FrameRow& row : rows) {
        if (ID3Frame* existing = ID3Tag_FindFrameWithID(tag.get(), row.id)) {
            SetFrameText(existing, row.field, row.text);
            continue;
        }
        ID3Frame* frame = ID3Frame_NewID(row.id);
        if (!frame)
            return false;
        SetFrameText(frame, row.field, row.text);
        // The tag copies nothing: it owns the frame from here on.
        ID3Tag_AttachFrame(tag.get(), frame);
    }
    if (picture && !AttachCover(tag.get(), *cover, *picture))
        return false;
    ID3Tag_SetPadding(tag.get(), true);
    if (ID3Tag_UpdateByTagType(tag.get(), ID3TT_ID3V2) != ID3E_NoError)
        return false;
    // The library's answer is no proof (the C interface never reports an error, and the
    // library counts a rewrite that a full disk cut short as done): the file must now
    // hold a tag with something in it, and the audio behind it must have come through
    // whole.
    const std::optional<TaggedLayout> after = LayoutOf(path);
    return after && after->behind == before->behind &&
           ((rows.empty() && !picture) || after->tagBytes > 0);
}

std::uint64_t Id3v2TagBytes(BinaryFile& file) {
    std::uint8_t header[ID3_TAGHEADERSIZE];
    if (file.ReadAt(0, header, sizeof header) != static_cast<std::int64_t>(sizeof header))
        return 0;
    const std::int32_t body = ID3_IsTagHeader(header);
    if (body < 0)
        return 0;
    // An ID3v2.4 tag may end in a 10-byte footer that the size does not count.
    const bool footer = header[3] == 4 && (header[5] & 0x10) != 0;
    return std::uint64_t(body) + ID3_TAGHEADERSIZE + (footer ? ID3_TAGHEADERSIZE : 0);
}

}  // namespace korvida

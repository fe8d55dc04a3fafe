#include "core/encode/Id3UserTexts.h"

#include <id3.h>

#include <memory>
#include <optional>

#include "core/audio/BinaryFile.h"
#include "core/encode/Id3Tag.h"

namespace korvida {
namespace {

struct TagDeleter {
    void operator()(ID3Tag* tag) const { ID3Tag_Delete(tag); }
};

// The bytes behind the tag: the audio, and the ID3v1 record after it.
std::optional<std::uint64_t> BytesBehindTag(const std::string& path) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::kRead))
        return std::nullopt;
    const std::int64_t size = file.Size();
    const std::uint64_t tag = Id3v2TagBytes(file);
    if (size < 0 || static_cast<std::uint64_t>(size) < tag)
        return std::nullopt;
    return static_cast<std::uint64_t>(size) - tag;
}

bool SetAscii(ID3Frame* frame, ID3_FieldID id, const std::string& text) {
    ID3Field* field = ID3Frame_GetField(frame, id);
    if (!field)
        return false;
    ID3Field_SetASCII(field, text.c_str());
    return true;
}

}  // namespace

bool WriteId3UserTexts(const std::string& path, const TagFields& fields) {
    const std::optional<std::uint64_t> before = BytesBehindTag(path);
    std::unique_ptr<ID3Tag, TagDeleter> tag(ID3Tag_New());
    if (!before || !tag)
        return false;
    // As for the other frames: the ID3v1 record must not be read in as frames.
    ID3Tag_LinkWithFlags(tag.get(), path.c_str(), ID3TT_ID3V2);
    for (const TagField& field : fields) {
        while (ID3Frame* old = ID3Tag_FindFrameWithASCII(tag.get(), ID3FID_USERTEXT,
                                                         ID3FN_DESCRIPTION, field.first.c_str()))
            ID3Frame_Delete(ID3Tag_RemoveFrame(tag.get(), old));
        ID3Frame* frame = ID3Frame_NewID(ID3FID_USERTEXT);
        if (!frame)
            return false;
        if (ID3Field* encoding = ID3Frame_GetField(frame, ID3FN_TEXTENC))
            ID3Field_SetINT(encoding, ID3TE_ISO8859_1);
        const bool set = SetAscii(frame, ID3FN_DESCRIPTION, field.first) &&
                         SetAscii(frame, ID3FN_TEXT, field.second);
        ID3Tag_AttachFrame(tag.get(), frame);  // owned by the tag from here on
        if (!set)
            return false;
    }
    ID3Tag_SetPadding(tag.get(), true);
    if (ID3Tag_UpdateByTagType(tag.get(), ID3TT_ID3V2) != ID3E_NoError)
        return false;
    // The library's success is no proof (see WriteId3v2): check the audio came through.
    const std::optional<std::uint64_t> after = BytesBehindTag(path);
    return after && *after == *before;
}

}  // namespace korvida

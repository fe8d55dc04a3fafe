#include "core/encode/AddFlacComments.h"

#include "core/encode/FlacMetadataChain.h"

namespace korvida {
namespace {

bool SetComments(FLAC__Metadata_Chain* chain, const std::vector<std::string>& comments) {
    FlacIterator it(FLAC__metadata_iterator_new());
    if (!it)
        return false;
    FLAC__metadata_iterator_init(it.get(), chain);
    FLAC__StreamMetadata* tags = nullptr;
    do {
        if (FLAC__metadata_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_VORBIS_COMMENT)
            tags = FLAC__metadata_iterator_get_block(it.get());
    } while (!tags && FLAC__metadata_iterator_next(it.get()));
    if (!tags) {
        // A file without the block gets one after the last.
        tags = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
        if (!tags || !FLAC__metadata_iterator_insert_block_after(it.get(), tags)) {
            FLAC__metadata_object_delete(tags);
            return false;
        }
    }
    for (const std::string& comment : comments) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        entry.length = static_cast<FLAC__uint32>(comment.size());
        entry.entry = reinterpret_cast<FLAC__byte*>(const_cast<char*>(comment.data()));
        if (!FLAC__metadata_object_vorbiscomment_replace_comment(tags, entry, true, true))
            return false;
    }
    return true;
}

}  // namespace

bool AddFlacComments(const std::string& path, const std::vector<std::string>& comments,
                     std::string* errorText) {
    return EditFlacMetadataOnCopy(
        path, "",
        [&](FLAC__Metadata_Chain* chain, std::string&) { return SetComments(chain, comments); },
        errorText);
}

}  // namespace korvida

#include "core/encode/FlacCommentUpdate.h"

#include <cstdlib>

#include "core/encode/FlacMetadataChain.h"

namespace korvida {
namespace {

// The chain's comment block, added after STREAMINFO when there is none.
FLAC__StreamMetadata* CommentBlock(FLAC__Metadata_Chain* chain) {
    FlacIterator it(FLAC__metadata_iterator_new());
    if (!it)
        return nullptr;
    FLAC__metadata_iterator_init(it.get(), chain);
    do {
        if (FLAC__metadata_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_VORBIS_COMMENT)
            return FLAC__metadata_iterator_get_block(it.get());
    } while (FLAC__metadata_iterator_next(it.get()));
    FLAC__metadata_iterator_init(it.get(), chain);
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (block && !FLAC__metadata_iterator_insert_block_after(it.get(), block)) {
        FLAC__metadata_object_delete(block);
        return nullptr;
    }
    return block;  // owned by the chain
}

}  // namespace

bool UpdateFlacComments(const std::string& path, const TagFields& fields, std::string* errorText) {
    FlacChain chain(FLAC__metadata_chain_new());
    const auto fail = [&](const char* why) {
        if (errorText)
            *errorText = path + ": " + why;
        return false;
    };
    if (!chain)
        return fail("out of memory");
    if (!FLAC__metadata_chain_read(chain.get(), path.c_str()))
        return fail(FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())]);
    FLAC__StreamMetadata* block = CommentBlock(chain.get());
    if (!block)
        return fail("out of memory");
    for (const TagField& field : fields) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        if (FLAC__metadata_object_vorbiscomment_remove_entries_matching(block,
                                                                        field.first.c_str()) < 0 ||
            !FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(
                &entry, field.first.c_str(), field.second.c_str()))
            return fail("out of memory");
        // The block takes the entry's storage over.
        if (!FLAC__metadata_object_vorbiscomment_append_comment(block, entry, false)) {
            std::free(entry.entry);
            return fail("out of memory");
        }
    }
    // With the padding: a comment that fits there leaves the audio alone.
    if (!FLAC__metadata_chain_write(chain.get(), true, false))
        return fail(FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())]);
    return true;
}

}  // namespace korvida

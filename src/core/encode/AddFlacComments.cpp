#include "core/encode/AddFlacComments.h"

#include <FLAC/metadata.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "core/platform/TemporaryFile.h"

namespace korvida {
namespace {

struct ChainDeleter {
    void operator()(FLAC__Metadata_Chain* c) const { FLAC__metadata_chain_delete(c); }
};
struct IteratorDeleter {
    void operator()(FLAC__Metadata_Iterator* i) const { FLAC__metadata_iterator_delete(i); }
};

bool SetComments(FLAC__Metadata_Chain* chain, const std::vector<std::string>& comments) {
    std::unique_ptr<FLAC__Metadata_Iterator, IteratorDeleter> it(FLAC__metadata_iterator_new());
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
    const auto fail = [&](const std::string& why) {
        if (errorText)
            *errorText = why;
        return false;
    };
    TemporaryFile copy = TemporaryFile::CreateBeside(path, errorText);
    if (!copy.owned())
        return false;
    std::error_code error;
    std::filesystem::copy_file(path, copy.path(), std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error)
        return fail(error.message());
    std::unique_ptr<FLAC__Metadata_Chain, ChainDeleter> chain(FLAC__metadata_chain_new());
    if (!chain)
        return fail("out of memory");
    if (!FLAC__metadata_chain_read(chain.get(), copy.path().c_str()) ||
        !SetComments(chain.get(), comments) ||
        !FLAC__metadata_chain_write(chain.get(), /*use_padding=*/true,
                                    /*preserve_file_stats=*/false))
        return fail(FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())]);
    chain.reset();
    return copy.MoveTo(path, errorText);
}

}  // namespace korvida

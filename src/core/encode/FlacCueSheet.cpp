#include "core/encode/FlacCueSheet.h"

#include <cstring>
#include <memory>

#include "core/encode/FlacMetadataChain.h"

namespace korvida {
namespace {

constexpr FLAC__uint64 kSamplesPerFrame = 588;

struct ObjectDeleter {
    void operator()(FLAC__StreamMetadata* o) const { FLAC__metadata_object_delete(o); }
};

std::unique_ptr<FLAC__StreamMetadata, ObjectDeleter> BuildBlock(const FlacCueLayout& layout,
                                                                std::string& why) {
    std::unique_ptr<FLAC__StreamMetadata, ObjectDeleter> block(
        FLAC__metadata_object_new(FLAC__METADATA_TYPE_CUESHEET));
    if (!block) {
        why = "out of memory";
        return nullptr;
    }
    FLAC__StreamMetadata_CueSheet& sheet = block->data.cue_sheet;
    std::strncpy(sheet.media_catalog_number, layout.catalog.c_str(),
                 sizeof sheet.media_catalog_number - 1);
    sheet.lead_in = 2 * 44100;  // the two seconds before LBA 0
    sheet.is_cd = true;
    unsigned at = 0;
    const auto addTrack = [&](FLAC__byte number, FLAC__uint64 offset) {
        if (!FLAC__metadata_object_cuesheet_insert_blank_track(block.get(), at))
            return false;
        sheet.tracks[at].number = number;
        sheet.tracks[at].offset = offset;
        ++at;
        return true;
    };
    for (const FlacCueTrack& track : layout.tracks) {
        if (track.indexes.empty())
            continue;
        const std::uint32_t first = track.indexes.front().second;
        if (!addTrack(static_cast<FLAC__byte>(track.number), first * kSamplesPerFrame)) {
            why = "out of memory";
            return nullptr;
        }
        FLAC__StreamMetadata_CueSheet_Track& added = sheet.tracks[at - 1];
        added.type = 0;  // audio
        added.pre_emphasis = track.preEmphasis;
        std::strncpy(added.isrc, track.isrc.c_str(), sizeof added.isrc - 1);
        for (unsigned k = 0; k < track.indexes.size(); ++k) {
            if (!FLAC__metadata_object_cuesheet_track_insert_blank_index(block.get(), at - 1, k)) {
                why = "out of memory";
                return nullptr;
            }
            // Index offsets count from the track's own offset.
            added.indices[k].number = static_cast<FLAC__byte>(track.indexes[k].first);
            added.indices[k].offset = (track.indexes[k].second - first) * kSamplesPerFrame;
        }
    }
    if (!addTrack(170, layout.frames * kSamplesPerFrame)) {  // the lead-out
        why = "out of memory";
        return nullptr;
    }
    const char* violation = nullptr;
    if (!FLAC__metadata_object_cuesheet_is_legal(block.get(), true, &violation)) {
        why = std::string("CUESHEET: ") + (violation ? violation : "illegal");
        return nullptr;
    }
    return block;
}

}  // namespace

bool AddFlacCueSheet(const std::string& path, const FlacCueLayout& layout, std::string* errorText) {
    std::string why;
    auto block = BuildBlock(layout, why);
    if (!block) {
        if (errorText)
            *errorText = path + ": " + why;
        return false;
    }
    const auto insert = [&](FLAC__Metadata_Chain* chain, std::string& problem) {
        FlacIterator it(FLAC__metadata_iterator_new());
        if (!it) {
            problem = "out of memory";
            return false;
        }
        FLAC__metadata_iterator_init(it.get(), chain);
        // After STREAMINFO, which comes first; the chain owns the block once it is in.
        if (!FLAC__metadata_iterator_insert_block_after(it.get(), block.get())) {
            problem = "out of memory";
            return false;
        }
        block.release();
        FLAC__metadata_chain_sort_padding(chain);
        return true;
    };
    return EditFlacMetadataOnCopy(path, path + ": ", insert, errorText);
}

}  // namespace korvida

#pragma once

#include <FLAC/metadata.h>

#include <functional>
#include <memory>
#include <string>

namespace korvida {

struct FlacChainDeleter {
    void operator()(FLAC__Metadata_Chain* c) const { FLAC__metadata_chain_delete(c); }
};
struct FlacIteratorDeleter {
    void operator()(FLAC__Metadata_Iterator* i) const { FLAC__metadata_iterator_delete(i); }
};
using FlacChain = std::unique_ptr<FLAC__Metadata_Chain, FlacChainDeleter>;
using FlacIterator = std::unique_ptr<FLAC__Metadata_Iterator, FlacIteratorDeleter>;

// Changes a FLAC file's metadata on a copy beside it, which takes the file's place only
// once the whole chain is written: a failure never leaves the file half rewritten.
// `edit` changes the chain read from the copy; false fails, with its reason in `why` (the
// chain's status when it leaves `why` empty). On failure *errorText says why: a file
// error as the copy gives it, a metadata error after `prefix`.
bool EditFlacMetadataOnCopy(
    const std::string& path, const std::string& prefix,
    const std::function<bool(FLAC__Metadata_Chain*, std::string& why)>& edit,
    std::string* errorText);

}  // namespace korvida

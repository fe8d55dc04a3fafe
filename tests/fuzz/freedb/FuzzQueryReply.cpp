#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/freedb/FreedbReplies.h"
#include "tests/fuzz/freedb/FuzzInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvida;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    FreedbRequest request;
    ParseQueryReply(reply, request);
    for (const FreedbMatch& m : request.matches) {
        fuzz::CheckField(m.line, FreedbMatch::kLineSize);
        fuzz::CheckField(m.category, FreedbMatch::kCategorySize);
        fuzz::CheckField(m.artist, FreedbMatch::kArtistSize);
        fuzz::CheckField(m.title, FreedbMatch::kTitleSize);
        fuzz::CheckField(m.discId, FreedbMatch::kDiscIdSize);
    }
    // A match per line at most.
    if (request.matches.size() > size / 2 + 1)
        __builtin_trap();
    return 0;
}

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbReplies.h"
#include "tests/fuzz/freedb/FuzzInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvida;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    FreedbRequest request;
    ParseReadReply(reply, request);
    const FreedbReadResult& r = request.readResult;
    fuzz::CheckField(r.discTitle, FreedbReadResult::kDiscTitleSize);
    fuzz::CheckField(r.category, FreedbReadResult::kDiscTitleSize);
    if (r.titles.size() > static_cast<std::size_t>(TITLE_SLOTS))
        __builtin_trap();
    for (std::size_t i = 0; i < r.titles.size(); ++i) {
        if (r.titles[i].index != static_cast<int>(i))
            __builtin_trap();
        fuzz::CheckField(r.titles[i].title, FreedbTrackTitle::kTitleSize);
    }
    if (request.hasRevision > 1)
        __builtin_trap();

    static DiscInfo disc;
    disc.trackCount = 99;
    FreedbReadResult copy = r;
    ApplyReadResult(copy, std::uint32_t{request.revision} << 16 | request.hasRevision, disc);
    return 0;
}

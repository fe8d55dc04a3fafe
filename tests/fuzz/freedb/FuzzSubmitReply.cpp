#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/freedb/FreedbReplies.h"
#include "core/freedb/FreedbText.h"

// The submit reply's code is shown to the user inside the error text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvida;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::string code = SubmitReplyCode(reply);
    // Three bytes become at most three characters of two UTF-8 bytes (Latin-1) or a
    // GB18030 character of up to four.
    if (code.size() > 6 || !IsValidUtf8(code))
        __builtin_trap();
    const std::string line = ReplyLineToUtf8(reply, DetectReplyCharset(reply));
    if (!IsValidUtf8(line))
        __builtin_trap();
    return 0;
}

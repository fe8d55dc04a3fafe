#include "core/encode/FlacMetadataChain.h"

#include <filesystem>
#include <system_error>

#include "core/platform/TemporaryFile.h"

namespace korvida {

bool EditFlacMetadataOnCopy(
    const std::string& path, const std::string& prefix,
    const std::function<bool(FLAC__Metadata_Chain*, std::string& why)>& edit,
    std::string* errorText) {
    const auto fail = [&](const std::string& why) {
        if (errorText)
            *errorText = prefix + why;
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
    FlacChain chain(FLAC__metadata_chain_new());
    if (!chain)
        return fail("out of memory");
    const auto status = [&] {
        return std::string(
            FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())]);
    };
    if (!FLAC__metadata_chain_read(chain.get(), copy.path().c_str()))
        return fail(status());
    std::string why;
    if (!edit(chain.get(), why))
        return fail(why.empty() ? status() : why);
    if (!FLAC__metadata_chain_write(chain.get(), /*use_padding=*/true,
                                    /*preserve_file_stats=*/false))
        return fail(status());
    chain.reset();
    return copy.MoveTo(path, errorText);
}

}  // namespace korvida

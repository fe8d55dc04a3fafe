#include "core/replaygain/WriteReplayGainTags.h"

#include <strings.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/encode/Id3UserTexts.h"
#include "core/encode/OggCommentRewrite.h"
#include "core/platform/TemporaryFile.h"
#include "core/replaygain/ReplayGainFields.h"

namespace korvida {
namespace {

// The rip names MP3 files .MP3, the batch keeps whatever case it is given.
bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           ::strncasecmp(text.data() + text.size() - end.size(), end.data(), end.size()) == 0;
}

// id3lib rewrites a file in place, so it works on a copy that replaces the file.
bool RewriteMp3(const std::string& path, const TagFields& fields, std::string* errorText) {
    std::string error;
    TemporaryFile copy = TemporaryFile::CreateBeside(path, &error);
    std::error_code copyError;
    if (copy.owned())
        std::filesystem::copy_file(path, copy.path(),
                                   std::filesystem::copy_options::overwrite_existing, copyError);
    if (!copy.owned() || copyError) {
        if (errorText)
            *errorText = path + ": " + (copyError ? copyError.message() : error);
        return false;
    }
    if (!WriteId3UserTexts(copy.path(), fields)) {
        if (errorText)
            *errorText = path + ": cannot write the ID3v2 tag";
        return false;
    }
    if (!copy.MoveTo(path, &error)) {
        if (errorText)
            *errorText = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace

bool WriteReplayGainTags(const std::string& path, const ReplayGain& track,
                         const std::optional<ReplayGain>& album, std::string* errorText) {
    const TagFields fields = ReplayGainFields(track, album);
    if (EndsWith(path, ".mp3"))
        return RewriteMp3(path, fields, errorText);
    if (EndsWith(path, ".ogg"))
        return RewriteOggComments(
            path, [&](std::vector<std::string>& comments) { ReplaceComments(comments, fields); },
            errorText);
    if (errorText)
        *errorText = path + ": no ReplayGain tags for this format";
    return false;
}

}  // namespace korvida

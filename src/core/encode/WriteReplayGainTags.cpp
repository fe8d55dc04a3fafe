#include "core/encode/WriteReplayGainTags.h"

#include <strings.h>

#include <filesystem>
#include <functional>
#include <system_error>

#include "core/audio/ReplayGainFields.h"
#include "core/encode/FlacCommentUpdate.h"
#include "core/encode/Id3UserTexts.h"
#include "core/encode/OggCommentRewrite.h"
#include "core/platform/TemporaryFile.h"

namespace korvida {
namespace {

// The rip names MP3 files .MP3, the batch keeps whatever case it is given.
bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           ::strncasecmp(text.data() + text.size() - end.size(), end.data(), end.size()) == 0;
}

bool Fail(std::string* errorText, const std::string& text) {
    if (errorText)
        *errorText = text;
    return false;
}

// The tag libraries change files where they lie: on a copy that replaces the file when
// it is complete, unless the file is nobody's yet.
bool UpdateCopy(const std::string& path, bool inPlace, std::string* errorText,
                const std::function<bool(const std::string&, std::string*)>& update) {
    if (inPlace)
        return update(path, errorText);
    std::string error;
    TemporaryFile copy = TemporaryFile::CreateBeside(path, &error);
    std::error_code copyError;
    if (copy.owned())
        std::filesystem::copy_file(path, copy.path(),
                                   std::filesystem::copy_options::overwrite_existing, copyError);
    if (!copy.owned() || copyError)
        return Fail(errorText, path + ": " + (copyError ? copyError.message() : error));
    if (!update(copy.path(), errorText))
        return false;
    return copy.MoveTo(path, &error) || Fail(errorText, path + ": " + error);
}

bool RewriteComments(const std::string& path, const TagFields& fields, std::string* errorText) {
    return RewriteOggComments(
        path, [&](std::vector<std::string>& comments) { ReplaceComments(comments, fields); },
        errorText);
}

}  // namespace

std::optional<TagFormat> TagFormatOf(std::string_view path) {
    if (EndsWith(path, ".mp3"))
        return TagFormat::kId3v2;
    if (EndsWith(path, ".ogg"))
        return TagFormat::kOggVorbis;
    if (EndsWith(path, ".flac"))
        return TagFormat::kFlac;
    if (EndsWith(path, ".opus"))
        return TagFormat::kOggOpus;
    return std::nullopt;
}

bool WriteReplayGainTags(const std::string& path, TagFormat format, const ReplayGain& track,
                         const std::optional<ReplayGain>& album, bool inPlace,
                         std::string* errorText) {
    switch (format) {
        case TagFormat::kId3v2: {
            const TagFields fields = ReplayGainFields(track, album);
            return UpdateCopy(path, inPlace, errorText,
                              [&](const std::string& file, std::string* e) {
                                  return WriteId3UserTexts(file, fields) ||
                                         Fail(e, path + ": cannot write the ID3v2 tag");
                              });
        }
        case TagFormat::kFlac: {
            const TagFields fields = ReplayGainFields(track, album);
            return UpdateCopy(path, inPlace, errorText,
                              [&](const std::string& file, std::string* e) {
                                  return UpdateFlacComments(file, fields, e);
                              });
        }
        // The rewriter always writes a new file and renames it.
        case TagFormat::kOggVorbis:
            return RewriteComments(path, ReplayGainFields(track, album), errorText);
        case TagFormat::kOggOpus:
            return RewriteComments(path, R128Fields(track, album), errorText);
    }
    return Fail(errorText, path + ": no ReplayGain tags for this format");
}

}  // namespace korvida

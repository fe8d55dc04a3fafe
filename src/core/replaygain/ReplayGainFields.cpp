#include "core/replaygain/ReplayGainFields.h"

#include <strings.h>
#include <algorithm>
#include <cstdio>

namespace korvida {
namespace {

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void AddPair(TagFields& fields, const char* scope, const ReplayGain& values) {
    const std::string prefix = std::string("REPLAYGAIN_") + scope;
    fields.emplace_back(prefix + "_GAIN", Formatted("%.2f dB", values.gain));
    fields.emplace_back(prefix + "_PEAK", Formatted("%.6f", values.peak));
}

}  // namespace

TagFields ReplayGainFields(const ReplayGain& track, const std::optional<ReplayGain>& album) {
    TagFields fields;
    AddPair(fields, "TRACK", track);
    if (album)
        AddPair(fields, "ALBUM", *album);
    return fields;
}

void ReplaceComments(std::vector<std::string>& comments, const TagFields& fields) {
    const auto replaced = [&](const std::string& comment) {
        const std::size_t equals = comment.find('=');
        const std::string key = comment.substr(0, equals);
        return std::any_of(fields.begin(), fields.end(), [&](const TagField& field) {
            return ::strcasecmp(field.first.c_str(), key.c_str()) == 0;
        });
    };
    comments.erase(std::remove_if(comments.begin(), comments.end(), replaced), comments.end());
    for (const TagField& field : fields)
        comments.push_back(field.first + "=" + field.second);
}

}  // namespace korvida

#include "core/audio/ReplayGainFields.h"

#include <strings.h>
#include <algorithm>
#include <cmath>
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

// The gain towards -23 LUFS in 1/256 dB, as far as the 16-bit field reaches.
std::string Q78(const ReplayGain& values) {
    constexpr double kOpusReference = -23.0;
    const double gain = values.gain + (kOpusReference - kReplayGainReference);
    return std::to_string(std::clamp(std::lround(gain * 256), -32768L, 32767L));
}

}  // namespace

TagFields R128Fields(const ReplayGain& track, const std::optional<ReplayGain>& album) {
    TagFields fields = {{"R128_TRACK_GAIN", Q78(track)}};
    if (album)
        fields.emplace_back("R128_ALBUM_GAIN", Q78(*album));
    return fields;
}

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

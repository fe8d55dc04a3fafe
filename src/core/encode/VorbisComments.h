#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvida {

struct EncodeTask;
struct OggVorbisSettings;
struct EncodeItem;

// The item's Vorbis comments, "KEY=value", in the order they are added, each when its
// switch is on and its source is set: TITLE, ARTIST, ALBUM, YEAR, GENRE, COMMENT,
// COMPOSER, ORIGARTIST, Copyright, URL, "ENCODED BY", TRACKNUMBER (two digits); then ISRC whenever
// the item has one. Values are the stored UTF-8. Ogg Vorbis, FLAC and Opus files all carry this
// list; a stage that knows more (a loudness measurement) appends to it with AddVorbisComment.
std::vector<std::string> VorbisComments(const EncodeItem& item, const OggVorbisSettings& switches);

// What the FLAC and Opus stages tag a task's file with: the item's VorbisComments, then
// the task's extraComments.
std::vector<std::string> TaskComments(const EncodeTask& task, const OggVorbisSettings& switches);

// Appends "KEY=value" unless the value is empty.
void AddVorbisComment(std::vector<std::string>& comments, std::string_view key,
                      std::string_view value);

}  // namespace korvida

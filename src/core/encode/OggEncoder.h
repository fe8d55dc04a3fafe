#pragma once

#include <string>
#include <vector>

namespace korvida {

struct EncodeEnvironment;
struct OggVorbisSettings;
struct RipJob;
struct RipJobItem;

// The Vorbis quality for the Quality setting (1 to 100 → 0.01 to 1.0); any other value
// counts as 60.
float OggQuality(int quality);

// The item's Vorbis comments in the order they are added, each when its switch is on and
// its source is set: TITLE, ARTIST, ALBUM, YEAR, GENRE, COMMENT, COMPOSER, ORIGARTIST,
// Copyright, URL, "ENCODED BY", TRACKNUMBER (two digits). Values are the stored UTF-8.
std::vector<std::string> OggComments(const RipJobItem& item, const OggVorbisSettings& ogg);

// Encodes the job's current item, a 44100 Hz 16-bit stereo WAV file, to Ogg Vorbis with
// comments: a file job reads the item's own path and writes <output folder>/<name>.ogg;
// a rip reads tempWavPath and names the file by the naming rule, then deletes
// tempWavPath unless keepWav. Other WAV formats are refused. Fills the item's
// outputPath and outputFolder and turns its startTick into elapsed milliseconds.
//
// Returns 1 when the file was encoded or the user cancelled (then job.aborted is set),
// 0 after an error, which it has logged (every library call that can fail is checked).
// The output appears under its name only when it is finished; a cancel or an error
// leaves none, and a rip's tempWavPath is deleted whichever way the encode ends. Log lines
// go to job.mainWindow; WM_ENCODE_STATUS (1) and WM_ENCODE_PROGRESS are posted to
// job.progressWindow. Runs on the job's worker thread.
int EncodeWavToOgg(RipJob& job, const EncodeEnvironment& env);
// With the process-wide settings and output folder.
int EncodeWavToOgg(RipJob& job);

}  // namespace korvida

#pragma once

#include <string>
#include <thread>
#include <vector>

namespace korvida {

class MessageTarget;
struct RipJob;
struct Settings;

// The file jobs, numbered as WM_START_JOB's lParam starts them.
enum class FileJobKind {
    kDecodeMp3 = 1,     // MP3 to WAV, into the output folder
    kNormaliseWav = 2,  // WAV files normalised in place
    kEncodeOgg = 3,     // WAV to Ogg Vorbis
    kEncodeMp3 = 4,     // WAV to MP3
};

// Replaces the file job's items by one per path, in the given order: name = the path,
// index -1 (no track number is tagged), every description field empty.
void SetFileJobItems(RipJob& job, const std::vector<std::string>& paths);

// Starts the file job's worker on the items already in place, as the main window does on
// WM_START_JOB (1, kind): the settings' OutputFolder is the working output folder, the
// Normalize settings are read now, and the thread runs at ThreadPriority (a value outside
// 0..4 is set back to 2 in `settings`). Resets the cancel event first. The caller joins or
// detaches the thread; `job` must outlive it. MP3 encoding needs the process-wide encoder
// binding (BindEncoderAtStartUp); without it every file fails with the encoder's line.
std::thread StartFileJob(RipJob& job, FileJobKind kind, MessageTarget* progressWindow,
                         Settings& settings);

}  // namespace korvida

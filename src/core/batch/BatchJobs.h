#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/encode/EncoderFormats.h"
#include "core/rip/RipJobHandle.h"

namespace korvida {

struct JobParties;
struct RipJob;
struct Settings;

// The file jobs, numbered as WM_START_JOB's lParam starts them.
enum class FileJobKind {
    kDecodeMp3 = 1,     // MP3 to WAV, into the output folder
    kNormaliseWav = 2,  // WAV files normalised in place
    kEncodeOgg = 3,     // WAV to Ogg Vorbis
    kEncodeMp3 = 4,     // WAV to MP3
    kEncodeFlac = 5,    // WAV to FLAC
    kEncodeOpus = 6,    // WAV to Ogg Opus
    kDecodeFlac = 7,    // FLAC to WAV: the decode job, which takes MP3 and FLAC alike
    kVerifyRip = 8,     // a rip on disk checked against the databases (RecheckRipThread)
};

// The OutputFormat value of an encode job's format; MP3 for the other kinds.
int EncodeFormatOf(FileJobKind kind);

// Replaces the file job's items by one per path, in the given order: name = the path,
// index -1 (no track number is tagged), every description field empty.
void SetFileJobItems(RipJob& job, const std::vector<std::string>& paths);

// Starts the file job's worker on the items already in `job`, as the main window does on
// WM_START_JOB (1, kind): keepWav and fileJob set, the encoder by `kind` (EncodeFormatOf), the
// settings copied into the job (OutputFolder is the working output folder), and the
// thread at ThreadPriority (a value outside 0..4 is set back to 2 in `settings`). The
// handle owns the job; its items carry the results once the job has ended. MP3 encoding
// needs the process-wide encoder binding (BindEncoderAtStartUp); without it every file
// fails with the encoder's line. The encode jobs take their stage from `encoders`.
RipJobHandle StartFileJob(std::unique_ptr<RipJob> job, FileJobKind kind, const JobParties& parties,
                          Settings& settings, EncoderFormats encoders = BuiltInEncoders());

}  // namespace korvida

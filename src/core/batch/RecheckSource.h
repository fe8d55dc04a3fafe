#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/TemporaryFile.h"

namespace korvida {

struct JobContext;

// A rip on disk made ready to be opened as a CD image (LoadCueImage): a cue sheet over WAV
// files, with FLAC files decoded into temporary WAV files first, and a sheet of our own
// where the rip came with a log or with no sheet at all.
struct RecheckSource {
    std::string cuePath;  // the sheet to open: the user's own, or one made here
    // The folder the rip's files are named relative to (completion page, CLI).
    std::string folder;
    // No TOC came with the files: it is assumed from their lengths, tracks back to back
    // from LBA 0 (the usual 2-second pregap before it).
    bool tocAssumed = false;
    // From a rip log: the TOC the files must give back (starts in TOC order, then the
    // lead-out); empty otherwise.
    std::vector<std::uint32_t> expectedToc;
    std::vector<TemporaryFile> temporaries;
    // Temporary paths and the files they stand for, for every text shown to the user.
    std::vector<std::pair<std::string, std::string>> standIns;

    // The user's file a path of the image stands for.
    std::string OriginalOf(const std::string& path) const;
    // `text` with every temporary path replaced by the file it stands for.
    std::string Explain(std::string text) const;
};

// Resolves PATH: a cue sheet (per-track files or one file), a rip log of ours with the
// files beside it, or a folder of WAV/FLAC tracks (its cue sheet when it holds exactly
// one). Lossy files are refused by name: their decoded lengths are not the tracks'. False
// with `problem` set when nothing can be checked; FLAC decoding logs through `context`
// and stops on its cancel (context.aborted then set).
bool PrepareRecheckSource(const std::string& path, JobContext& context, RecheckSource& source,
                          std::string& problem);

// The audio tracks PATH is likely to give, from a glance at its text or its folder (no
// file is decoded): for the progress window's count before the job knows it. 1 when it
// cannot tell.
int ExpectedRecheckTracks(const std::string& path);

}  // namespace korvida

#pragma once

#include <functional>
#include <string>

#include "core/platform/FreeDiskSpace.h"

namespace korvida {

struct EncoderEntryPoints;
struct RipJob;
struct Settings;

// What an encoder stage needs besides the job: the settings it reads, the working output
// folder, the bound MP3 encoder and the free-space query. The stages take it as an
// argument so that tests run them without the process-wide values.
struct EncodeEnvironment {
    // MP3 and Ogg Vorbis sections, NamingRule and ReplaceStr01..10.
    const Settings* settings = nullptr;
    // The working output folder: rips name their files below it by the naming rule,
    // file jobs put folder/<source name>.MP3 or .ogg there.
    std::string outputFolder;
    // The MP3 encoder binding; null or unbound fails every MP3 file at the stream's
    // initialisation.
    const EncoderEntryPoints* encoder = nullptr;
    // Free space of the file system holding a path; unset means FreeBytes.
    std::function<FreeDiskSpace(const std::string& path)> freeSpace;
};

// The job's settings snapshot, its OutputFolder and the process-wide encoder binding;
// the job's own free-space question when it has one.
EncodeEnvironment DefaultEncodeEnvironment(const RipJob& job);

}  // namespace korvida

#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvida {

// The desktop's volume programs, in the order they are tried: PulseAudio's volume
// control, GNOME's sound settings, then alsamixer in the desktop's terminal. The last
// is offered only when alsamixer is on PATH, since the terminal would start anyway and
// show nothing but an error.
std::vector<std::vector<std::string>> VolumeProgramCandidates();

// Starts the first candidate that starts. `run` starts one command line (RunDetached
// when not given). False when none could be started.
bool StartVolumeProgram(const std::function<bool(const std::vector<std::string>&)>& run = {});

// True when `program` names an executable file on PATH.
bool IsOnPath(const std::string& program);

}  // namespace korvida

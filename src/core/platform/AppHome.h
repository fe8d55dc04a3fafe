#pragma once

#include <string>

namespace korvida {

// The app home plays the part of the program folder: Settings.ini, db/, registry.ini,
// cdplayer.ini and cddb.txt live here. $KORVIDA_HOME selects portable mode (every test
// uses it); otherwise $XDG_CONFIG_HOME/korvida/, default ~/.config/korvida/.
// The result always ends in '/'.
std::string AppHome();

// True when $KORVIDA_HOME is set and not empty.
bool IsPortableMode();

// Default OutputFolder: app home + "output" in portable mode, else the XDG music
// folder + "/Korvida". No trailing '/'.
std::string DefaultOutputFolder();

// The system's temporary folder ($TMPDIR or /tmp), ending in '/'.
std::string SystemTempFolder();

}  // namespace korvida

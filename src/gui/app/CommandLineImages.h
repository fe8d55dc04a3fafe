#pragma once

#include "core/cdrom/CSCSIDriverNative.h"

namespace korvida::gui {

// The CD images named by "--image FILE" on the command line, the last one selected. The
// names are taken from argv as the shell passed them: decoded into a QString, a name that
// is not UTF-8 would no longer open.
DriveSources CommandLineImages(int argc, char** argv);

}  // namespace korvida::gui

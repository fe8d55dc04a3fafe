#pragma once

#include <string>

namespace korvida {

// What the user is told when a CD-ROM device exists but does not open: the device, the
// system's reason and, for a refused access, how to get it (the cdrom group, or a
// desktop session, which is given access to the drives by the system).
std::string DriveAccessMessage(const std::string& devicePath, int errorNumber);

// True for the errors that mean "no permission" rather than "no device".
bool IsAccessError(int errorNumber);

}  // namespace korvida

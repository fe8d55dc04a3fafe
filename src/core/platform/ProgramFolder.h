#pragma once

#include <string>

namespace korvida {

// The folder of the running executable (empty when /proc cannot say): what the program
// ships beside itself (the encoder module, the catalogues) is found relative to it, so an
// installed tree can move and the build tree works as it is.
std::string ProgramFolder();

// <program folder>/../share/locale, where the message catalogues are.
std::string LocaleFolder();

}  // namespace korvida

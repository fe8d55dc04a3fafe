#pragma once

#include <string>

namespace korvida {

// The system's text for an errno value, as shown in job-log lines.
std::string ErrorText(int errorNumber);

}  // namespace korvida

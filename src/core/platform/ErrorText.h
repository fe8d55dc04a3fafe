#pragma once

#include <string>

namespace korvida {

// The reason an errno value gives, as shown in job-log lines and messages: Chinese for
// the common file errors, the system's text for the rest.
std::string ErrorText(int errorNumber);

}  // namespace korvida

#include "core/platform/ErrorText.h"

#include <cstring>

namespace korvida {

std::string ErrorText(int errorNumber) {
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = ::strerror_r(errorNumber, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("error ") + std::to_string(errorNumber);
}

}  // namespace korvida

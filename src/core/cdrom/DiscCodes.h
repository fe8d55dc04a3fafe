#pragma once

#include <string_view>

namespace korvida {

// An ISRC as the Q sub-channel carries it: 12 characters, the country (2 letters), the
// registrant (3 letters or digits), the year (2 digits) and the recording (5 digits).
// Drives that found none often return zeros or spaces, which this refuses.
bool IsIsrc(std::string_view text);

// A catalogue number (MCN, the disc's UPC/EAN): 13 digits, not all zero (what drives
// return for a disc without one).
bool IsCatalogNumber(std::string_view text);

}  // namespace korvida

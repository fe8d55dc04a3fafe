#pragma once

#include <string>

namespace korvida::test {

// The demo disc's CUE file in a folder every test of a run shares, read only. Under ctest
// a fixture writes it once before the tests; a test binary run by hand makes it when it
// is missing. Tests that change a disc make their own.
std::string SharedDemoDisc();

}  // namespace korvida::test

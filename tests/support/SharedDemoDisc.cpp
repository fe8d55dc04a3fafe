#include "support/SharedDemoDisc.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/cdrom/DemoDisc.h"

namespace korvida::test {

std::string SharedDemoDisc() {
    const std::string folder = KORVIDA_SHARED_DEMO_DISC_DIR;
    const std::string cue = folder + "/demo.cue";
    if (std::filesystem::exists(cue) && std::filesystem::exists(folder + "/demo.bin"))
        return cue;
    // Both files are written whole (temporary file and rename), so two tests making the
    // disc at once leave the same complete pair.
    std::string error;
    const std::string made = MakeDemoDisc(folder, &error);
    EXPECT_FALSE(made.empty()) << error;
    return made;
}

}  // namespace korvida::test

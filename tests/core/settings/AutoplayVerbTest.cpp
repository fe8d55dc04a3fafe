#include "core/settings/AutoplayVerb.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/ini/ProfileFile.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

std::string StoredVerb(const std::string& path) {
    ProfileFile file;
    file.Load(path);
    return file.GetString("HKEY_CLASSES_ROOT\\AudioCD\\Shell", "Default", "<none>");
}

class AutoplayTest : public testing::Test {
  protected:
    void SetUp() override { ::setenv("KORVIDA_GSETTINGS", "/bin/false", 1); }
    test::TempHome home;
    std::string registry = home / "registry.ini";
};

TEST_F(AutoplayTest, DisabledWhileRunningAndBackAfterExit) {
    test::WriteFile(registry, "[HKEY_CLASSES_ROOT\\AudioCD\\Shell]\nDefault=Open\n");
    AutoplayVerb autoplay{RegistryStore(registry)};
    autoplay.SaveAndDisable(1);
    EXPECT_EQ(StoredVerb(registry), "");
    autoplay.Apply(0);  // the options sheet turned the setting off
    EXPECT_EQ(StoredVerb(registry), "Open");
    autoplay.Apply(1);
    EXPECT_EQ(StoredVerb(registry), "");
    autoplay.Restore();
    EXPECT_EQ(StoredVerb(registry), "Open");
}

TEST_F(AutoplayTest, WithoutAStartUpReadExitWritesPlay) {
    test::WriteFile(registry, "[HKEY_CLASSES_ROOT\\AudioCD\\Shell]\nDefault=\n");
    AutoplayVerb autoplay{RegistryStore(registry)};  // no drive: SaveAndDisable never ran
    autoplay.Restore();
    EXPECT_EQ(StoredVerb(registry), "Play");
}

TEST_F(AutoplayTest, NothingHappensWhereThereIsNoKey) {
    AutoplayVerb autoplay{RegistryStore(registry)};
    autoplay.SaveAndDisable(1);
    autoplay.Restore();
    EXPECT_EQ(StoredVerb(registry), "<none>");
}

TEST_F(AutoplayTest, DrivesTheDesktopIgnoreList) {
    // A stand-in for gsettings that keeps the ignore list in a file.
    const std::string state = home / "ignore";
    const std::string fake = home / "gsettings";
    test::WriteFile(state, "['x-content/video-dvd']\n");
    test::WriteFile(fake,
                    "#!/bin/sh\n"
                    "case \"$1\" in\n"
                    "  get) cat '" +
                        state +
                        "' ;;\n"
                        "  set) printf '%s\\n' \"$4\" > '" +
                        state +
                        "' ;;\n"
                        "esac\n");
    ::chmod(fake.c_str(), 0755);
    ::setenv("KORVIDA_GSETTINGS", fake.c_str(), 1);

    AutoplayVerb autoplay{RegistryStore(registry)};
    autoplay.SaveAndDisable(1);
    EXPECT_EQ(autoplay.savedVerb(), "Play");
    EXPECT_EQ(test::ReadFile(state), "['x-content/video-dvd', 'x-content/audio-cdda']\n");
    autoplay.Restore();
    EXPECT_EQ(test::ReadFile(state), "['x-content/video-dvd']\n");
    EXPECT_EQ(StoredVerb(registry), "Play");
}

TEST_F(AutoplayTest, CustomColorsKeepTwelveAndDefaultToWhite) {
    RegistryStore store(registry);
    auto colors = store.ReadCustomColors();
    for (auto c : colors)
        EXPECT_EQ(c, 0xFFFFFFu);
    for (std::uint32_t i = 0; i < 16; ++i)
        colors[i] = 0x010203 * (i + 1);
    ASSERT_TRUE(store.WriteCustomColors(colors));
    const auto back = store.ReadCustomColors();
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(back[i], i < 12 ? colors[i] : 0xFFFFFFu) << i;

    test::WriteFile(registry, "[HKEY_CURRENT_USER\\Software\\Korvida]\nCustomColor=zz\n");
    EXPECT_EQ(store.ReadCustomColors()[0], 0xFFFFFFu);
}

}  // namespace
}  // namespace korvida

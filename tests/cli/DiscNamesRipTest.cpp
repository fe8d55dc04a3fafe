// A disc's own names and codes on the whole path: the cue sheet's CD-Text, CATALOG and
// ISRC lines through the virtual drive, the disc load and the rip into the files' tags.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/RipTestSupport.h"
#include "support/RunCli.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

TEST(DiscNamesRip, CdTextNamesTheFilesAndTheIsrcReachesMp3AndOggTags) {
    test::TempHome home;
    test::WriteFile(home / "disc.bin", test::Frames(0, 150));
    test::WriteFile(home / "disc.cue",
                    "CATALOG 0724349916429\n"
                    "PERFORMER \"Les Ondes\"\n"
                    "TITLE \"Café\"\n"
                    "FILE \"disc.bin\" BINARY\n"
                    "  TRACK 01 AUDIO\n"
                    "    TITLE \"Overture\"\n"
                    "    ISRC FRZ039900212\n"
                    "    INDEX 01 00:00:00\n"
                    "  TRACK 02 AUDIO\n"
                    "    TITLE \"Finale\"\n"
                    "    PERFORMER \"Guest\"\n"
                    "    INDEX 01 00:01:00\n");
    test::WriteFile(home / "tags.py",
                    "import sys\n"
                    "from mutagen.id3 import ID3\n"
                    "tag = ID3(sys.argv[1], translate=False, load_v1=False)\n"
                    "print(*(f'{k}={tag[k].text[0]}' for k in ('TIT2', 'TPE1', 'TALB', 'TSRC') if "
                    "k in tag))\n");

    const auto mp3 = test::RunCli({"--quiet", "--image", home / "disc.cue", "rip", "--format",
                                   "mp3", "--output", home / "mp3"});
    ASSERT_EQ(mp3.status, 0) << mp3.err;
    ASSERT_EQ(mp3.out, home / "mp3/01-Overture.MP3\n" + home / "mp3/02-Finale.MP3\n");
    const auto tags = [&](const std::string& file) {
        return test::RunCommand("PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + home / "tags.py" +
                                "' '" + file + "'");
    };
    EXPECT_EQ(tags(home / "mp3/01-Overture.MP3"),
              "TIT2=Overture TPE1=Les Ondes TALB=Café TSRC=FRZ039900212\n");
    EXPECT_EQ(tags(home / "mp3/02-Finale.MP3"), "TIT2=Finale TPE1=Guest TALB=Café\n");

    const auto ogg = test::RunCli({"--quiet", "--image", home / "disc.cue", "rip", "--format",
                                   "ogg", "--tracks", "1", "--output", home / "ogg"});
    ASSERT_EQ(ogg.status, 0) << ogg.err;
    EXPECT_THAT(test::RunCommand("vorbiscomment -l '" + home / "ogg/01-Overture.ogg" + "'"),
                ::testing::HasSubstr("TITLE=Overture\n"));
    EXPECT_THAT(test::RunCommand("vorbiscomment -l '" + home / "ogg/01-Overture.ogg" + "'"),
                ::testing::EndsWith("ISRC=FRZ039900212\n"));
}

}  // namespace
}  // namespace korvida

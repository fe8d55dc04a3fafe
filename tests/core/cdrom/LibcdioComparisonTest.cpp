// The TOC the virtual drive reports and the audio it reads, against libcdio reading the
// same image (cd-info from libcdio-utils, cd-paranoia). No sheet here uses PREGAP:
// libcdio does not insert the silence it asks for, so its addresses after one differ
// from a burned disc's (and ours); CueSheetTest checks PREGAP by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "core/cdrom/DemoDisc.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/cdrom/Toc.h"
#include "support/AudioTestSupport.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

struct CdInfoTrack {
    unsigned number;
    std::string msf;
    std::uint32_t lsn;
    std::string type;  // audio, data, leadout
    std::string copy, channels, preemphasis;
};

std::vector<CdInfoTrack> CdInfoToc(const std::string& cue) {
    std::string out =
        RunCommand("cd-info --no-device-info --no-header -c '" + cue + "' 2>/dev/null");
    std::vector<CdInfoTrack> tracks;
    std::istringstream in(out);
    // "  1: 00:02:00  000000 audio  false  no    2        no" and "170: … leadout (…)".
    for (std::string text; std::getline(in, text);) {
        std::istringstream words(text);
        std::string number, green;
        CdInfoTrack t;
        if (!(words >> number >> t.msf >> t.lsn >> t.type) || number.back() != ':' ||
            number.find_first_not_of("0123456789:") != std::string::npos || t.msf.size() != 8) {
            continue;
        }
        if (t.type != "audio" && t.type != "data" && t.type != "leadout")
            continue;
        t.number = static_cast<unsigned>(std::stoul(number));
        words >> green >> t.copy >> t.channels >> t.preemphasis;
        tracks.push_back(t);
    }
    return tracks;
}

// Compares TOC (both address forms) and every audio frame of a single-file image.
void ExpectAgreesWithLibcdio(const std::string& cuePath, const std::string& binPath) {
    std::string error;
    std::shared_ptr<VirtualDrive> drive(VirtualDrive::Open(cuePath, error));
    ASSERT_TRUE(drive) << error;
    DriverOnImage setup(drive, 1);

    std::vector<CdInfoTrack> theirs = CdInfoToc(cuePath);
    std::uint8_t lba[kTocBufferSize], msf[kTocBufferSize];
    ASSERT_EQ(setup.driver->ReadTOC(lba, 0), 1);
    ASSERT_EQ(setup.driver->ReadTOC(msf, 1), 1);
    TocView ours = ParseTocReply(lba, sizeof lba);
    ASSERT_EQ(ours.descriptors.size(), theirs.size()) << "cd-info saw a different track count";
    for (std::size_t i = 0; i < theirs.size(); ++i) {
        const TocDescriptor& d = ours.descriptors[i];
        const CdInfoTrack& t = theirs[i];
        SCOPED_TRACE("descriptor " + std::to_string(i));
        EXPECT_EQ(d.IsLeadout() ? 170u : d.trackNumber, t.number);
        EXPECT_EQ(d.lba, t.lsn);
        const std::uint8_t* m = msf + 4 + 8 * i;
        char text[16];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", m[5], m[6], m[7]);
        EXPECT_EQ(text, t.msf);
        if (d.IsLeadout())
            continue;
        EXPECT_EQ(d.IsData(), t.type == "data");
        if (t.type == "audio") {
            EXPECT_EQ((d.adrControl & 0x2) ? "yes" : "no", t.copy);
            EXPECT_EQ((d.adrControl & 0x8) ? "4" : "2", t.channels);
            EXPECT_EQ((d.adrControl & 0x1) ? "yes" : "no", t.preemphasis);
        }
    }

    std::string image = ReadFile(binPath);
    std::vector<std::uint8_t> buffer(26 * kRawSectorSize);
    for (std::size_t i = 0; i + 1 < ours.descriptors.size(); ++i) {
        if (ours.descriptors[i].IsData())
            continue;
        // A data track's INDEX 00 frames are data sectors, as on a pressed disc.
        std::uint32_t end = ours.descriptors[i].lba;
        while (end < ours.descriptors[i + 1].lba && !drive->image().TrackAt(end)->IsData())
            ++end;
        for (std::uint32_t at = ours.descriptors[i].lba; at < end; at += 26) {
            AudioReadRequest request;
            request.startLba = at;
            request.sectorCount = std::min<std::uint32_t>(26, end - at);
            request.byteLength = request.sectorCount * kRawSectorSize;
            request.buffer = buffer.data();
            ASSERT_EQ(setup.driver->ReadAudio(request), 1) << at;
            ASSERT_EQ(0, std::memcmp(buffer.data(), image.data() + std::size_t{at} * kRawSectorSize,
                                     request.byteLength))
                << "frames from " << at;
        }
    }
}

struct Sheet {
    const char* name;
    std::uint32_t frames;
    const char* cue;
};

class AgainstCdInfo : public ::testing::TestWithParam<Sheet> {};

TEST_P(AgainstCdInfo, SameTocAndSameAudio) {
    if (!HaveTool("cd-info"))
        GTEST_SKIP() << "cd-info (libcdio-utils) is not installed";
    TempDir dir;
    // libcdio opens the .bin named like the .cue, so the two names stay alike.
    WritePatternBin(dir / "disc.bin", GetParam().frames);
    WriteFile(dir / "disc.cue", GetParam().cue);
    ExpectAgreesWithLibcdio(dir / "disc.cue", dir / "disc.bin");
}

INSTANTIATE_TEST_SUITE_P(
    Images, AgainstCdInfo,
    ::testing::Values(
        Sheet{"ThreeTracksFromZero", 900,
              "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
              " TRACK 02 AUDIO\n  INDEX 01 00:04:00\n TRACK 03 AUDIO\n  INDEX 01 00:09:33\n"},
        Sheet{"FirstTrackThreeWithPregapsAndFlags", 1200,
              "FILE \"disc.bin\" BINARY\n TRACK 03 AUDIO\n  FLAGS DCP PRE\n  INDEX 01 00:02:00\n"
              " TRACK 04 AUDIO\n  INDEX 00 00:05:00\n  INDEX 01 00:07:10\n"
              " TRACK 05 AUDIO\n  FLAGS 4CH\n  INDEX 01 00:10:00\n"},
        Sheet{"MixedModeDataLast", 1500,
              "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
              " TRACK 02 AUDIO\n  INDEX 00 00:06:00\n  INDEX 01 00:08:00\n"
              " TRACK 03 MODE1/2352\n  INDEX 00 00:12:00\n  INDEX 01 00:14:00\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DemoDisc, AgreesWithCdInfoAndCdParanoia) {
    if (!HaveTool("cd-info") || !HaveTool("cd-paranoia"))
        GTEST_SKIP() << "libcdio tools missing";
    TempDir dir;
    std::string error;
    std::string cue = MakeDemoDisc(dir.path(), &error);
    ASSERT_FALSE(cue.empty()) << error;
    ExpectAgreesWithLibcdio(cue, dir / "demo.bin");

    // cd-paranoia rips track 2 as an independent reader; -c because synthetic audio can
    // fool its byte-order guess.
    std::string command =
        "cd '" + dir.path() + "' && cd-paranoia -Z -c -d demo.cue -q 2 track2.wav 2>&1";
    RunCommand(command);
    std::string ripped = ReadFile(dir / "track2.wav");
    ASSERT_GT(ripped.size(), 44u) << command;

    std::shared_ptr<VirtualDrive> drive(VirtualDrive::Open(cue, error));
    DriverOnImage setup(drive, 1);
    const ImageTrack& track2 = drive->image().tracks[1];
    std::uint32_t frames = drive->image().tracks[2].startLba - track2.startLba;
    std::vector<std::uint8_t> ours(std::size_t{frames} * kRawSectorSize);
    for (std::uint32_t at = 0; at < frames; at += 26) {
        AudioReadRequest request;
        request.startLba = track2.startLba + at;
        request.sectorCount = std::min<std::uint32_t>(26, frames - at);
        request.byteLength = request.sectorCount * kRawSectorSize;
        request.buffer = ours.data() + std::size_t{at} * kRawSectorSize;
        ASSERT_EQ(setup.driver->ReadAudio(request), 1);
    }
    ASSERT_EQ(ripped.size() - 44, ours.size());
    EXPECT_EQ(0, std::memcmp(ripped.data() + 44, ours.data(), ours.size()));
}

}  // namespace
}  // namespace korvida::test

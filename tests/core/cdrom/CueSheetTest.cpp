// CUE sheets: how files, indexes and gaps become disc addresses, and what is refused.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "core/cdrom/ScsiTypes.h"
#include "core/cdrom/Toc.h"
#include "support/DiscImage.h"
#include "support/TempHome.h"

namespace korvida::test {
namespace {

std::string Le32(std::uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string Wave(const std::string& data) {
    std::string fmt = std::string("fmt ") + Le32(16) + std::string("\x01\x00\x02\x00", 4) +
                      Le32(44100) + Le32(176400) + std::string("\x04\x00\x10\x00", 4);
    std::string list = std::string("LIST") + Le32(4) + "INFO";  // a chunk to skip
    return "RIFF" +
           Le32(static_cast<std::uint32_t>(4 + fmt.size() + list.size() + 8 + data.size())) +
           "WAVE" + fmt + list + "data" + Le32(static_cast<std::uint32_t>(data.size())) + data;
}

TEST(CueLayout, FilesGapsAndIndexesLandWhereTheDiscHasThem) {
    TempDir dir;
    WriteFile(dir / "a.bin", Frames(0, 20));
    // Ten and a half frames: the last frame's second half reads as silence.
    WriteFile(dir / "b.wav", Wave(Frames(1000, 11).substr(0, 10 * kRawSectorSize + 1176)));
    std::string motorola = Frames(2000, 8);
    for (std::size_t i = 0; i < motorola.size(); i += 2)
        std::swap(motorola[i], motorola[i + 1]);
    WriteFile(dir / "c.bin", motorola);

    auto drive = LoadDrive(dir.path(),
                           "REM a comment\n"
                           "FILE \"a.bin\" BINARY\n"
                           "  TRACK 01 AUDIO\n"
                           "    INDEX 01 00:00:00\n"
                           "  TRACK 02 AUDIO\n"
                           "    FLAGS DCP\n"
                           "    INDEX 00 00:00:10\n"
                           "    INDEX 01 00:00:12\n"
                           "    POSTGAP 00:00:03\n"
                           "FILE \"b.wav\" WAVE\n"
                           "  TRACK 03 AUDIO\n"
                           "    PREGAP 00:00:05\n"
                           "    INDEX 01 00:00:02\n"
                           "FILE \"c.bin\" MOTOROLA\n"
                           "  TRACK 04 MODE1/2352\n"
                           "    INDEX 01 00:00:00\n");
    ASSERT_TRUE(drive);
    DriverOnImage setup(drive, 1, /*READ (10): whole frames of any track*/ 1);

    std::uint8_t raw[kTocBufferSize];
    ASSERT_EQ(setup.driver->ReadTOC(raw, 0), 1);
    TocView toc = ParseTocReply(raw, sizeof raw);
    ASSERT_EQ(toc.descriptors.size(), 5u);
    const std::uint32_t starts[] = {0, 12, 30, 39, 47};
    const std::uint8_t controls[] = {0x10, 0x12, 0x10, 0x14, 0x14};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(toc.descriptors[i].lba, starts[i]) << i;
        EXPECT_EQ(toc.descriptors[i].adrControl, controls[i]) << i;
    }

    std::vector<std::uint8_t> disc(47 * kRawSectorSize);
    AudioReadRequest request;
    request.startLba = 0;
    request.sectorCount = 47;
    request.byteLength = static_cast<std::uint32_t>(disc.size());
    request.buffer = disc.data();
    ASSERT_EQ(setup.driver->ReadAudio(request), 1) << setup.driver->LastErrorText();

    std::string expected = Frames(0, 20) + Frames(1000, 2) +
                           std::string(8 * kRawSectorSize, '\0') +  // postgap 3 + pregap 5
                           Frames(1002, 9).substr(0, 8 * kRawSectorSize + 1176) +
                           std::string(1176, '\0') + Frames(2000, 8);
    ASSERT_EQ(expected.size(), disc.size());
    for (std::uint32_t f = 0; f < 47; ++f) {
        ASSERT_EQ(0, std::memcmp(disc.data() + f * kRawSectorSize,
                                 expected.data() + f * kRawSectorSize, kRawSectorSize))
            << "frame " << f;
    }
}

// A rip's sheet names the data tracks it left out: they are in the TOC (a data track
// first, an enhanced CD's second session after the 11400 frames between the sessions), and
// reading their frames or the gap fails as on a drive, where silence would be wrong data.
TEST(CueLayout, DataTracksARipLeftOutAreInTheTocAndUnreadable) {
    TempDir dir;
    WriteFile(dir / "a.bin", Frames(0, 20));
    auto drive = LoadDrive(dir.path(),
                           "REM DATA TRACK 01 LBA 0 NOT RIPPED\n"
                           "FILE \"a.bin\" BINARY\n"
                           "  TRACK 02 AUDIO\n"
                           "    PREGAP 00:00:10\n"
                           "    INDEX 01 00:00:00\n"
                           "REM DATA TRACK 03 LBA 11430 NOT RIPPED\n"
                           "REM LEAD-OUT LBA 11500\n");
    ASSERT_TRUE(drive);
    DriverOnImage setup(drive, 1, /*READ (10): whole frames of any track*/ 1);
    std::uint8_t raw[kTocBufferSize];
    ASSERT_EQ(setup.driver->ReadTOC(raw, 0), 1);
    const TocView toc = ParseTocReply(raw, sizeof raw);
    ASSERT_EQ(toc.descriptors.size(), 4u);
    const std::uint32_t starts[] = {0, 10, 11430, 11500};
    const std::uint8_t controls[] = {0x14, 0x10, 0x14, 0x14};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(toc.descriptors[i].lba, starts[i]) << i;
        EXPECT_EQ(toc.descriptors[i].adrControl, controls[i]) << i;
    }
    EXPECT_EQ(AudioSessionEnd(toc), 30u);

    const auto read = [&](std::uint32_t lba) {
        std::vector<std::uint8_t> frame(kRawSectorSize);
        const std::uint8_t cdb[10] = {
            0x28, 0, 0, 0, static_cast<std::uint8_t>(lba >> 8), static_cast<std::uint8_t>(lba),
            0,    0, 1, 0};  // READ (10)
        return drive->Execute(
            {cdb, sizeof cdb, DataDirection::kFromDevice, frame.data(), frame.size()});
    };
    EXPECT_TRUE(read(10).Succeeded());
    for (std::uint32_t lba : {0u, 9u, 30u, 11429u, 11430u, 11499u}) {
        const ScsiReply reply = read(lba);
        EXPECT_EQ(reply.status, kScsiStatusCheckCondition) << lba;
        EXPECT_EQ(reply.sense[2] & 0x0F, kSenseMediumError) << lba;
    }
    const std::uint8_t sessions[10] = {0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0};  // READ TOC format 1
    std::uint8_t reply[12] = {};
    ASSERT_TRUE(
        drive->Execute({sessions, sizeof sessions, DataDirection::kFromDevice, reply, sizeof reply})
            .Succeeded());
    EXPECT_EQ(reply[3], 2);  // last session
    EXPECT_EQ(reply[6], 3);  // its first track: the data track

    // A sheet written before the lead-out had its line: the data track gets four seconds.
    WriteFile(dir / "old.cue",
              "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
              "REM DATA TRACK 02 LBA 11420 NOT RIPPED\n");
    std::string error;
    auto old = VirtualDrive::Open(dir / "old.cue", error);
    ASSERT_TRUE(old) << error;
    DriverOnImage oldSetup(std::shared_ptr<VirtualDrive>(std::move(old)));
    ASSERT_EQ(oldSetup.driver->ReadTOC(raw, 0), 1);
    EXPECT_EQ(ParseTocReply(raw, sizeof raw).descriptors.back().lba, 11420u + 300u);
}

struct BadSheet {
    const char* name;
    std::string cue;
    std::string expected;  // part of the error text
};

class RefusedSheet : public ::testing::TestWithParam<BadSheet> {};

TEST_P(RefusedSheet, GivesAnErrorNamingFileAndLine) {
    TempDir dir;
    WriteFile(dir / "good.bin", Frames(0, 120));
    WriteFile(dir / "odd.bin", std::string(3 * kRawSectorSize + 1, 'x'));
    WriteFile(dir / "disc.cue", GetParam().cue);
    std::string error;
    EXPECT_FALSE(VirtualDrive::Open(dir / "disc.cue", error));
    EXPECT_NE(error.find(GetParam().expected), std::string::npos) << error;
    EXPECT_EQ(error.rfind(dir / "disc.cue", 0), 0u) << error;
}

std::string HundredTracks() {
    std::string cue = "FILE \"good.bin\" BINARY\n";
    for (int t = 1; t <= 100; ++t) {
        char text[80];
        std::snprintf(text, sizeof text, "TRACK %02d AUDIO\nINDEX 01 00:%02d:%02d\n", t,
                      (t - 1) / 75, (t - 1) % 75);
        cue += text;
    }
    return cue;
}

const std::string kFile = "FILE \"good.bin\" BINARY\n";

INSTANTIATE_TEST_SUITE_P(
    Sheets, RefusedSheet,
    ::testing::Values(
        BadSheet{"MissingFile", "FILE \"nothere.bin\" BINARY\nTRACK 01 AUDIO\n",
                 "disc.cue:1: FILE \"nothere.bin\": 不能打开"},
        BadSheet{"UnknownCommand", kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:00\nFROBNICATE 1\n",
                 "disc.cue:4: 未知的命令 FROBNICATE"},
        BadSheet{"TracksOutOfOrder",
                 kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 01 00:00:10\n",
                 "disc.cue:4: TRACK 03 跟在 TRACK 1 之后"},
        BadSheet{"OverlappingTracks",
                 kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:05\nTRACK 02 AUDIO\nINDEX 01 00:00:03\n",
                 "disc.cue:5: TRACK 2 的 INDEX 01 00:00:03 与前一个索引重叠"},
        BadSheet{"ZeroLengthTrack",
                 kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:05\nTRACK 02 AUDIO\nINDEX 01 00:00:05\n",
                 "disc.cue:5:"},
        BadSheet{"MoreThan99Tracks", HundredTracks(), "disc.cue:200: 音轨超过 99 条"},
        BadSheet{"BinNotWholeSectors", "FILE \"odd.bin\" BINARY\nTRACK 01 AUDIO\n",
                 "disc.cue:1: FILE \"odd.bin\":"},
        BadSheet{"GarbageBytes", kFile + std::string("\x00\x01\xFF\xFE\x7F junk\n", 11),
                 "disc.cue:2: 不是文本行"},
        BadSheet{"IndexBeyondTheFile", kFile + "TRACK 01 AUDIO\nINDEX 01 00:01:45\n",
                 "disc.cue:3: INDEX 01 00:01:45 超出了"},
        BadSheet{"TrackWithoutIndex01",
                 kFile + "TRACK 01 AUDIO\nINDEX 00 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:09\n",
                 "disc.cue:2: TRACK 1 没有 INDEX 01"},
        BadSheet{"TrackBeforeFile", "TRACK 01 AUDIO\n", "disc.cue:1: TRACK 出现在任何 FILE 之前"},
        BadSheet{"UnsupportedMode", kFile + "TRACK 01 MODE1/2048\n", "disc.cue:2: 不支持音轨模式"},
        BadSheet{"NoTracks", "REM nothing here\n", "没有 TRACK"},
        BadSheet{"WaveThatIsNot", "FILE \"good.bin\" WAVE\n", "不是 RIFF WAVE 文件"},
        BadSheet{"DataTrackInsideTheAudio",
                 kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                         "REM DATA TRACK 02 LBA 100 NOT RIPPED\n",
                 "disc.cue:4: 数据音轨 TRACK 02 的 LBA 100 落在它之前的帧中"},
        BadSheet{"TrackAfterADataTrackInTheSameFile",
                 kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                         "REM DATA TRACK 02 LBA 200 NOT RIPPED\nTRACK 03 AUDIO\n",
                 "disc.cue:5: TRACK 出现在任何 FILE 之前"},
        BadSheet{"IndexOfADataTrackNotRipped",
                 "REM DATA TRACK 01 LBA 0 NOT RIPPED\nINDEX 01 00:00:00\n",
                 "disc.cue:2: INDEX 属于一条没有文件的数据音轨"},
        BadSheet{"LeadOutBeforeTheDataTrackEnds",
                 kFile + "TRACK 01 AUDIO\nINDEX 01 00:00:00\nREM LEAD-OUT LBA 200\n"
                         "REM DATA TRACK 02 LBA 200 NOT RIPPED\n",
                 "disc.cue:4: 导出区在最后一条音轨结束之前"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CueLayout, AFileThatIsAPipeIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.bin").c_str(), 0600), 0);
    WriteFile(dir / "disc.cue", "FILE \"pipe.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    // Should the load wait for a writer, this one ends the wait after two seconds; a load
    // that refuses at once lets it go at once.
    std::promise<void> loaded;
    std::thread writer([&, done = loaded.get_future()] {
        done.wait_for(std::chrono::seconds(2));
        ::close(::open((dir / "pipe.bin").c_str(), O_RDWR | O_NONBLOCK));
    });
    const auto started = std::chrono::steady_clock::now();
    std::string error;
    EXPECT_FALSE(VirtualDrive::Open(dir / "disc.cue", error));
    const auto took = std::chrono::steady_clock::now() - started;
    loaded.set_value();
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_NE(error.find("不是普通文件"), std::string::npos) << error;
    writer.join();
}

TEST(CueLayout, ASheetFarLargerThanAnyCueIsRefusedUnread) {
    TempDir dir;
    WriteFile(dir / "disc.cue", std::string(2 << 20, ' '));
    std::string error;
    EXPECT_FALSE(VirtualDrive::Open(dir / "disc.cue", error));
    EXPECT_NE(error.find("文件太大"), std::string::npos) << error;
}

}  // namespace
}  // namespace korvida::test

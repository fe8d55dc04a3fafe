// Gap and index detection over discs whose sub-channel says more than their TOC, through
// both ways a drive may answer the Q sub-channel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/SubchannelQ.h"
#include "core/jobs/Event.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/Messages.h"
#include "core/rip/DetectGaps.h"
#include "core/rip/RipStep.h"
#include "support/DiscImage.h"
#include "support/GapDiscs.h"
#include "support/RecordingTarget.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using ::testing::HasSubstr;

enum class Way { kReadCd, kSeek };

class DetectGapsOn : public ::testing::TestWithParam<std::tuple<test::GapDisc, Way>> {};

DiscInfo DiscFrom(CSCSIDriver& driver) {
    DiscInfo disc;
    std::uint8_t toc[804] = {};
    EXPECT_EQ(driver.ReadTOC(toc, 0), 1);
    std::memcpy(disc.rawToc.data(), toc, sizeof toc);
    return disc;
}

TEST_P(DetectGapsOn, FindsEveryIndexTheSubchannelHolds) {
    const auto& [gapDisc, way] = GetParam();
    test::TempDir folder;
    std::string error;
    auto drive = std::shared_ptr<VirtualDrive>(
        VirtualDrive::Open(test::WriteGapDisc(folder.path(), gapDisc), error));
    ASSERT_TRUE(drive) << error;
    drive->faults().damagedQ = gapDisc.damagedQ;
    // A drive without READ CD reads audio with READ (10) and its Q after a seek.
    if (way == Way::kSeek)
        drive->faults().rejectedOpcodes = {opcode::kReadCd};
    test::DriverOnImage on(drive, 1, way == Way::kSeek ? 1 : 0);
    const DiscInfo disc = DiscFrom(*on.driver);

    test::RecordingTarget target;
    JobContext context;
    context.progressWindow = &target;
    context.mainWindow = &target;
    const DiscIndexes found = DetectGaps(*on.driver, disc, context);
    ASSERT_TRUE(found.detected);
    EXPECT_TRUE(found.unreadable.empty());

    const DiscImage& image = drive->image();
    ASSERT_EQ(found.tracks.size(), image.tracks.size());
    for (std::size_t i = 0; i < image.tracks.size(); ++i) {
        const ImageTrack& track = image.tracks[i];
        SCOPED_TRACE(track.number);
        std::optional<std::uint32_t> index0;
        if (track.hasIndex0)
            index0 = track.indexLbas.front();
        EXPECT_EQ(found.tracks[i].index0, index0);
        const std::vector<std::uint32_t> later(track.indexLbas.begin() + (track.hasIndex0 ? 2 : 1),
                                               track.indexLbas.end());
        EXPECT_EQ(found.tracks[i].later, later);
    }
    // Music before track 1's INDEX 01 is a hidden track, said in the log.
    const bool hidden = std::string(gapDisc.name) == "HiddenTrack";
    EXPECT_EQ(found.hiddenFrames, hidden ? 1012u : 0u);
    std::string log;
    for (const Message& m : target.Only(WM_JOB_LOG))
        log += m.text + "\n";
    EXPECT_EQ(log.find("发现隐藏音轨 (00:13.37)") != std::string::npos, hidden) << log;
    EXPECT_THAT(log, HasSubstr("音轨 03: "));
    const auto steps = target.Only(WM_RIP_STEP);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(RipStepText(RipStep::kDetectGaps, static_cast<int>(steps.back().lParam)),
              "正在检测音轨间隙 (03/03)");
}

// A cancel before the search leaves nothing detected, said once in the log.
TEST(DetectGaps, ACancelStopsTheSearch) {
    test::TempDir folder;
    test::DriverOnImage on(test::WriteGapDisc(folder.path(), test::GapDiscs()[0]));
    const DiscInfo disc = DiscFrom(*on.driver);
    test::RecordingTarget target;
    Event cancel(false);
    cancel.Set();
    JobContext context;
    context.mainWindow = &target;
    context.cancelEvent = &cancel;
    EXPECT_FALSE(DetectGaps(*on.driver, disc, context).detected);
    EXPECT_TRUE(context.aborted);
    ASSERT_EQ(target.Only(WM_JOB_LOG).size(), 1u);
    EXPECT_THAT(target.Only(WM_JOB_LOG)[0].text, HasSubstr("检测音轨间隙已取消。"));
}

INSTANTIATE_TEST_SUITE_P(Discs, DetectGapsOn,
                         ::testing::Combine(::testing::ValuesIn(test::GapDiscs()),
                                            ::testing::Values(Way::kReadCd, Way::kSeek)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Way::kReadCd ? "ReadCd" : "Seek");
                         });

// The drive's formatted Q, checked byte for byte: the sheet's flags in the control nibble,
// BCD addresses counting down in the pregap, and the CRC (track 1, index 1, 00:00:00,
// absolute 00:02:00; the CRC as Python's binascii.crc_hqx(frame, 0) ^ 0xFFFF gives it).
TEST(SubchannelQ, FramesCarryFlagsAddressesAndACrcThatCatchesDamage) {
    const QFrame pressed = MakeQPositionFrame(0x0, 1, 1, 0, 0);
    EXPECT_EQ(test::Hex({pressed.begin(), pressed.end()}), "01 01 01 00 00 00 00 00 02 00 5A 28");

    test::TempDir folder;
    const auto discs = test::GapDiscs();
    std::string error;
    auto drive = std::shared_ptr<VirtualDrive>(
        VirtualDrive::Open(test::WriteGapDisc(folder.path(), discs[4]), error));
    ASSERT_TRUE(drive) << error;
    drive->faults().damagedQ = {700};
    test::DriverOnImage on(drive);
    // READ CD, CD-DA, frames 699 and 700 of track 2's pregap, formatted Q after each.
    const std::uint8_t cdb[12] = {0xBE, 0x04, 0, 0, 0x02, 0xBB, 0, 0, 2, 0x10, 0x02, 0};
    std::vector<std::uint8_t> reply(2 * (2352 + 16));
    ASSERT_EQ(on.driver->ExecCommand(cdb, 12, nullptr, 0, reply.data(),
                                     static_cast<std::uint32_t>(reply.size())),
              1);
    const std::uint8_t* q = reply.data() + 2352;
    const std::optional<QPosition> position = ParseQPosition(q);
    ASSERT_TRUE(position);
    EXPECT_EQ(position->control, 0x3);  // DCP and PRE
    EXPECT_EQ(position->track, 2);
    EXPECT_EQ(position->index, 0);
    EXPECT_EQ(position->lba, 699u);
    EXPECT_EQ(q[3], 0x00);  // 51 frames before INDEX 01: 00:00:51
    EXPECT_EQ(q[5], 0x51);
    EXPECT_FALSE(ParseQPosition(reply.data() + 2 * 2352 + 16));
    // The TOC carries the same flags.
    std::uint8_t toc[804] = {};
    ASSERT_EQ(on.driver->ReadTOC(toc, 0), 1);
    EXPECT_EQ(toc[4 + 1], 0x11);
    EXPECT_EQ(toc[4 + 8 + 1], 0x13);
}

}  // namespace
}  // namespace korvida

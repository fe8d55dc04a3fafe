// The virtual drive as a damaged disc and a drive with C2 error pointers, through the
// driver that rips from it and through the SG_IO double a real drive would sit behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/DriveFeatures.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/cdrom/VirtualDriveDamage.h"
#include "support/DiscImage.h"
#include "support/FakeSgIoKernel.h"

namespace korvida::test {
namespace {

constexpr char kOneTrack[] = "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n";

struct Disc {
    Disc() {
        WritePatternBin(dir / "disc.bin", 300);
        image = std::make_unique<DriverOnImage>(LoadDrive(dir.path(), kOneTrack));
    }
    VirtualDriveFaults& faults() { return image->drive->faults(); }
    CSCSIDriver& driver() { return *image->driver; }

    // Frames lba … lba + count - 1 as the driver reads them ("" when the read fails);
    // with `c2`, by READ CD with the error pointers, which go to *c2.
    std::string Read(std::uint32_t lba, std::uint32_t count, std::string* c2 = nullptr) {
        std::string frames(std::size_t{count} * kFrameBytes, '\0');
        std::string flags(count, '\0');
        AudioReadRequest request;
        request.startLba = lba;
        request.sectorCount = count;
        request.byteLength = count * kFrameBytes;
        request.buffer = reinterpret_cast<std::uint8_t*>(frames.data());
        const int ok =
            c2 ? driver().ReadAudioC2(request, reinterpret_cast<std::uint8_t*>(flags.data()))
               : driver().ReadAudio(request);
        if (c2)
            *c2 = flags;
        return ok ? frames : std::string();
    }

    TempDir dir;
    std::unique_ptr<DriverOnImage> image;
};

TEST(DamagedDisc, TransientMisreadsAreWrongWithoutAnErrorUntilTheyWearOff) {
    Disc disc;
    disc.faults().altered = {{10, 2, 2}};
    const std::string first = disc.Read(8, 6);
    const std::string second = disc.Read(8, 6);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);  // wrong twice, and differently
    EXPECT_EQ(first.substr(0, 2 * kFrameBytes), Frames(8, 2));
    EXPECT_NE(first.substr(2 * kFrameBytes, 2 * kFrameBytes), Frames(10, 2));
    EXPECT_EQ(first.substr(4 * kFrameBytes), Frames(12, 2));
    EXPECT_EQ(disc.Read(8, 6), Frames(8, 6));
}

TEST(DamagedDisc, UnstableFramesNeverReadTheSameTwice) {
    Disc disc;
    disc.faults().altered = {{20, 1, VirtualDriveFaults::Altered::kAlways}};
    std::set<std::string> versions;
    for (int i = 0; i < 6; ++i)
        versions.insert(disc.Read(20, 1));
    EXPECT_EQ(versions.size(), 6u);
    EXPECT_FALSE(versions.count(Frames(20, 1)));
}

TEST(DamagedDisc, UnreadableFramesAnswerMediumErrorAtTheirAddress) {
    Disc disc;
    disc.faults().unreadable = {{30, 1}};
    EXPECT_EQ(disc.Read(25, 10), "");
    EXPECT_EQ(disc.driver().lastSense[2] & 0x0F, kSenseMediumError);
    EXPECT_EQ(disc.Read(31, 10), Frames(31, 10));
}

// What C2 pointers say of frames 10-11 (altered once) among 8-13, by the kind of drive.
struct C2Case {
    const char* name;
    bool pointers;     // the drive has C2 pointers
    bool flagged;      // the fault is one the drive notices
    bool liar;         // it claims pointers and sets none
    bool expectFlags;  // 10 and 11 come back flagged
};

class C2PointersTest : public ::testing::TestWithParam<C2Case> {};

TEST_P(C2PointersTest, FlagTheAlteredFramesOnlyOnAnHonestDrive) {
    const C2Case c = GetParam();
    Disc disc;
    disc.faults().c2Pointers = c.pointers;
    disc.faults().c2FlagsNothing = c.liar;
    disc.faults().altered = {{10, 2, 1, c.flagged}};
    DriveCapabilities capabilities;
    ASSERT_TRUE(disc.driver().ReadCapabilities(capabilities));
    EXPECT_EQ(capabilities.c2Pointers, c.pointers);
    EXPECT_TRUE(capabilities.accurateStream);

    std::string flags;
    const std::string frames = disc.Read(8, 6, &flags);
    if (!c.pointers) {
        EXPECT_EQ(frames, "");  // READ CD with the error field is refused
        EXPECT_EQ(disc.driver().lastSense[2] & 0x0F, kSenseIllegalRequest);
        return;
    }
    ASSERT_EQ(frames.size(), 6 * kFrameBytes);
    EXPECT_NE(frames.substr(2 * kFrameBytes, 2 * kFrameBytes), Frames(10, 2));
    const char on = c.expectFlags ? 1 : 0;
    EXPECT_EQ(flags, std::string({0, 0, on, on, 0, 0}));
    // Read again: right, and nothing flagged.
    EXPECT_EQ(disc.Read(8, 6, &flags), Frames(8, 6));
    EXPECT_EQ(flags, std::string(6, '\0'));
}

INSTANTIATE_TEST_SUITE_P(Drives, C2PointersTest,
                         ::testing::Values(C2Case{"Honest", true, true, false, true},
                                           C2Case{"MissesThisOne", true, false, false, false},
                                           C2Case{"ClaimsC2FlagsNothing", true, true, true, false},
                                           C2Case{"NoC2", false, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedDisc, ScatteredDamageIsTheSameForTheSameSeedAndSpreadOverTheRange) {
    const auto a = ScatterMisreads(1000, 101000, 200, 7);
    const auto b = ScatterMisreads(1000, 101000, 200, 7);
    const auto c = ScatterMisreads(1000, 101000, 200, 8);
    ASSERT_EQ(a.size(), 200u);
    std::set<std::uint32_t> frames;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].first, b[i].first);
        EXPECT_EQ(a[i].reads, b[i].reads);
        EXPECT_TRUE(a[i].reads == 1 || a[i].reads == 2);
        // One in each five-hundred-frame stretch: spread, never two on one frame.
        EXPECT_GE(a[i].first, 1000 + i * 500);
        EXPECT_LT(a[i].first, 1000 + (i + 1) * 500);
        frames.insert(a[i].first);
    }
    EXPECT_EQ(frames.size(), 200u);
    EXPECT_FALSE(std::equal(a.begin(), a.end(), c.begin(),
                            [](const auto& x, const auto& y) { return x.first == y.first; }));
    for (const auto& unstable : UnstableFrames(5000, 6000, 5, 7))
        EXPECT_EQ(unstable.reads, VirtualDriveFaults::Altered::kAlways);
}

// A real drive answers READ CD with the C2 field through SG_IO: 2646 bytes a frame with
// the pointers, 2648 with the block error byte too.
TEST(DamagedDisc, SgIoDoubleAnswersReadCdWithC2Data) {
    FakeSgIoKernel kernel({"sr0"});
    WritePatternBin(kernel.root / "disc.bin", 300);
    kernel.drive = LoadDrive(kernel.root.path(), kOneTrack);
    kernel.drive->faults().c2Pointers = true;
    kernel.drive->faults().altered = {{41, 1, 1}};
    Settings settings;
    DriveSources sources;
    sources.system = kernel.System();
    CSCSIDriverNative driver(DriverOptionsFrom(settings), std::move(sources));
    ASSERT_TRUE(driver.Init(0));

    for (const std::uint32_t extra : {kC2PointerBytes, kC2AndBlockErrorBytes}) {
        Cdb cdb = MakeReadCdC2Cdb(0, 40, 3);
        if (extra == kC2AndBlockErrorBytes)
            cdb.bytes[9] = 0x14;
        const std::size_t frameBytes = kFrameBytes + extra;
        std::vector<std::uint8_t> reply(3 * frameBytes);
        ASSERT_TRUE(driver.ExecCommand(cdb.data(), static_cast<int>(cdb.length), nullptr, 0,
                                       reply.data(), static_cast<std::uint32_t>(reply.size())));
        EXPECT_EQ(kernel.requests.back().dxfer_len, 3 * frameBytes);
        EXPECT_EQ(kernel.requests.back().resid, 0);
        for (std::uint32_t i = 0; i < 3; ++i) {
            const std::uint8_t* frame = reply.data() + i * frameBytes;
            const bool altered = extra == kC2PointerBytes && i == 1;  // altered once only
            EXPECT_EQ(std::string(frame, frame + kFrameBytes) == Frames(40 + i, 1), !altered);
            EXPECT_EQ(std::count(frame + kFrameBytes, frame + kFrameBytes + kC2PointerBytes, 0xFF),
                      altered ? kC2PointerBytes : 0);
        }
    }
}

TEST(DamagedDisc, FeaturesTellC2TheCacheDefeatAndTheReadCommands) {
    Disc disc;
    disc.faults().c2Pointers = true;
    disc.faults().rejectsFua = true;
    disc.faults().rejectedOpcodes = {opcode::kVendorReadCdda, opcode::kVendorReadCdda12};
    const DriveFeatures features = ProbeDriveFeatures(disc.driver());
    EXPECT_TRUE(features.capabilitiesRead);
    EXPECT_TRUE(features.capabilities.c2Pointers);
    EXPECT_TRUE(features.c2Reads);
    EXPECT_EQ(features.cacheDefeat, CacheDefeat::kFarRead);
    EXPECT_EQ(features.readCommands, (std::vector<std::uint8_t>{opcode::kReadCd, opcode::kRead10}));
}

}  // namespace
}  // namespace korvida::test

// Disc changes from udev events, decided against the TOC the list was loaded from.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "core/cdrom/CSCSIDriver.h"
#include "core/disc/MediaChange.h"

namespace korvida {
namespace {

using Toc = std::array<std::uint8_t, DiscInfo::kRawTocSize>;

// One TOC with `tracks` audio tracks of a minute each.
Toc MakeToc(int tracks) {
    Toc toc{};
    toc[1] = static_cast<std::uint8_t>(2 + 8 * (tracks + 1));
    toc[2] = 1;
    toc[3] = static_cast<std::uint8_t>(tracks);
    for (int k = 0; k <= tracks; ++k) {
        std::uint8_t* d = &toc[4 + 8 * k];
        d[1] = 0x10;
        d[2] = static_cast<std::uint8_t>(k == tracks ? 0xAA : k + 1);
        const std::uint32_t lba = 4500u * static_cast<std::uint32_t>(k);
        d[5] = static_cast<std::uint8_t>(lba >> 16);
        d[6] = static_cast<std::uint8_t>(lba >> 8);
        d[7] = static_cast<std::uint8_t>(lba);
    }
    return toc;
}

// The selected drive: its disc's TOC, or no disc (the read fails).
class SelectedDrive : public CSCSIDriver {
  public:
    std::optional<Toc> disc;
    int tocReads = 0;
    int ReadTOC(std::uint8_t* buffer, int addressForm) override {
        ++tocReads;
        std::fill(buffer, buffer + DiscInfo::kRawTocSize, 0);
        if (!disc || addressForm != 0)
            return 0;
        std::copy(disc->begin(), disc->end(), buffer);
        return 1;
    }
};

UdevBlockEvent MediumChanged(const std::string& name, bool present) {
    UdevBlockEvent e;
    e.action = "change";
    e.sysname = name;
    e.devnode = "/dev/" + name;
    e.mediaChange = true;
    e.mediaPresent = present;
    return e;
}

TEST(MediaChangeFromUdev, OnlyCdromMediumEventsCount) {
    auto arrival = MediaChangeFromUdev(MediumChanged("sr1", true));
    ASSERT_TRUE(arrival);
    EXPECT_EQ(arrival->kind, MediaChangeKind::kArrival);
    EXPECT_EQ(arrival->device, "/dev/sr1");
    auto removal = MediaChangeFromUdev(MediumChanged("sr0", false));
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->kind, MediaChangeKind::kRemoval);

    UdevBlockEvent unplugged{"remove", "sr12", "", false, false, false};
    auto gone = MediaChangeFromUdev(unplugged);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->kind, MediaChangeKind::kRemoval);
    EXPECT_EQ(gone->device, "/dev/sr12");
    UdevBlockEvent button{"change", "sr0", "/dev/sr0", false, true, true};
    ASSERT_TRUE(MediaChangeFromUdev(button));
    EXPECT_EQ(MediaChangeFromUdev(button)->kind, MediaChangeKind::kRemoval);

    EXPECT_FALSE(MediaChangeFromUdev(MediumChanged("sda", true))) << "not a CD-ROM drive";
    EXPECT_FALSE(MediaChangeFromUdev(MediumChanged("srx", true)));
    EXPECT_FALSE(MediaChangeFromUdev(MediumChanged("sr", true)));
    UdevBlockEvent other{"change", "sr0", "/dev/sr0", false, false, true};
    EXPECT_FALSE(MediaChangeFromUdev(other)) << "a change that is not about the medium";
    UdevBlockEvent added{"add", "sr0", "/dev/sr0", false, false, true};
    EXPECT_FALSE(MediaChangeFromUdev(added));
}

TEST(MediaChange, OnlyAChangedTocInTheSelectedDriveReloadsAndItStoresFirst) {
    const Toc listed = MakeToc(5);
    SelectedDrive drive;
    drive.disc = listed;

    // Another disc in another drive: the selected drive's TOC is what the list shows.
    auto elsewhere = MediaChangeFromUdev(MediumChanged("sr1", true));
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(DecideMediaChange(*elsewhere, drive, listed), MediaChangeAction::kNothing);
    EXPECT_EQ(drive.tocReads, 1);

    // Another disc in the selected drive, differing only in the lead-out's last byte.
    Toc other = listed;
    other[4 + 8 * 5 + 7] ^= 1;
    drive.disc = other;
    auto here = MediaChangeFromUdev(MediumChanged("sr0", true));
    EXPECT_EQ(DecideMediaChange(*here, drive, listed), MediaChangeAction::kStoreAndReload);

    // The disc left the selected drive: its description is stored before the reload.
    drive.disc.reset();
    auto removal = MediaChangeFromUdev(MediumChanged("sr0", false));
    EXPECT_EQ(DecideMediaChange(*removal, drive, listed), MediaChangeAction::kStoreAndReload);
    // ...and once the empty drive is what the list shows, a second event changes nothing.
    EXPECT_EQ(DecideMediaChange(*removal, drive, Toc{}), MediaChangeAction::kNothing);

    // A device that is not a CD-ROM drive is not even asked about.
    const int reads = drive.tocReads;
    EXPECT_EQ(DecideMediaChange({MediaChangeKind::kArrival, "/dev/sda"}, drive, listed),
              MediaChangeAction::kNothing);
    EXPECT_EQ(drive.tocReads, reads);
}

TEST(MediaMonitor, OpensAndNeverBlocksWhenNothingWaits) {
    std::string error;
    std::unique_ptr<MediaMonitor> monitor = MediaMonitor::Open(&error);
    if (!monitor)
        GTEST_SKIP() << error;
    EXPECT_GE(monitor->fd(), 0);
    EXPECT_FALSE(monitor->Next());
}

}  // namespace
}  // namespace korvida

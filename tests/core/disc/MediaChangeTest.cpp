// Disc changes from udev events, decided against the TOC the list was loaded from.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "core/cdrom/CSCSIDriver.h"
#include "core/disc/MediaChange.h"

namespace korvida {
namespace {

using Toc = std::array<std::uint8_t, DiscInfo::kRawTocSize>;

// What the list was loaded from; its bytes need not make a valid TOC for the comparison.
Toc Listed() {
    Toc toc{};
    for (std::size_t i = 0; i < toc.size(); ++i)
        toc[i] = static_cast<std::uint8_t>(i * 7 + 1);
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
    const Toc listed = Listed();
    SelectedDrive drive;
    drive.disc = listed;

    // Another disc in another drive: the selected drive's TOC is what the list shows.
    auto elsewhere = MediaChangeFromUdev(MediumChanged("sr1", true));
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(DecideMediaChange(*elsewhere, drive, listed), MediaChangeAction::kNothing);
    EXPECT_EQ(drive.tocReads, 1);

    // Another disc in the selected drive, differing only in the last byte.
    Toc other = listed;
    other.back() ^= 1;
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

}  // namespace
}  // namespace korvida

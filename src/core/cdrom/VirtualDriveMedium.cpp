// The virtual drive's disc changes and the answers they bring: UNIT ATTENTION once, NOT
// READY while a new disc spins up, NOT READY with no disc.
#include "core/cdrom/BuildCdTextPacks.h"
#include "core/cdrom/Cdb.h"
#include "core/cdrom/SenseReply.h"
#include "core/cdrom/VirtualDrive.h"

namespace korvida {
namespace {

constexpr std::uint8_t kAscNotReady = 0x04;          // ASCQ 01: becoming ready
constexpr std::uint8_t kAscMediumChanged = 0x28;     // not ready to ready change
constexpr std::uint8_t kAscMediumNotPresent = 0x3A;  // ASCQ 01: tray closed

}  // namespace

void VirtualDrive::ChangeDisc(std::optional<DiscImage> image) {
    std::lock_guard lock(mutex_);
    sound_.reset();
    play_ = Play::kNone;
    position_ = 0;
    cache_.Clear();
    attention_ = true;
    trayOpen_ = false;
    hasDisc_ = image.has_value();
    if (image) {
        image_ = std::move(*image);
        cdText_ = BuildCdTextPacks(image_);
        readyAtMs_ = clockMs_() + faults_.becomingReadyMs;
    }
}

std::optional<ScsiReply> VirtualDrive::MediumState(std::uint8_t op) {
    // INQUIRY always answers and leaves the attention pending, as SPC has it.
    if (op == opcode::kInquiry)
        return std::nullopt;
    if (attention_) {
        attention_ = false;
        return SenseReply(kSenseUnitAttention, kAscMediumChanged);
    }
    // Loading, ejecting and the speed need no disc.
    if (op == opcode::kStartStopUnit || op == opcode::kSetCdSpeed || trayOpen_)
        return std::nullopt;
    if (!hasDisc_)
        return SenseReply(kSenseNotReady, kAscMediumNotPresent, 0x01);
    if (clockMs_() < readyAtMs_)
        return SenseReply(kSenseNotReady, kAscNotReady, 0x01);
    return std::nullopt;
}

}  // namespace korvida

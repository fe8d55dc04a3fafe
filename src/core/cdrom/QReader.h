#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/cdrom/SubchannelQ.h"

namespace korvida {

class CSCSIDriver;

// Reads the Q sub-channel at chosen frames through the driver: READ CD with the
// formatted Q after the frame, or, for a drive that refuses it, SEEK (10) and READ
// SUB-CHANNEL's current position. The first command the drive answers is kept.
class QReader {
  public:
    enum class Method { kUntried, kReadCd, kSeekAndSubchannel, kNone };

    explicit QReader(CSCSIDriver& driver) : driver_(driver) {}

    // The position the Q sub-channel gives at or near `lba` (READ SUB-CHANNEL may answer
    // from a neighbouring frame: the answer says which). Nothing for a damaged frame, a
    // frame that carries another mode (catalogue number, ISRC) or a failed command.
    std::optional<QPosition> At(std::uint32_t lba);

    Method method() const { return method_; }
    // Drive commands sent so far.
    std::size_t commands() const { return commands_; }

  private:
    std::optional<QPosition> ByReadCd(std::uint32_t lba, bool& refused);
    std::optional<QPosition> BySeek(std::uint32_t lba, bool& refused);
    std::uint32_t Lun() const;

    CSCSIDriver& driver_;
    Method method_ = Method::kUntried;
    std::size_t commands_ = 0;
};

}  // namespace korvida

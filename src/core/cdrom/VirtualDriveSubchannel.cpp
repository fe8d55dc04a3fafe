// The virtual drive's Q sub-channel: what a real disc carries beside every frame (the
// track, the index and the addresses), answered from the sheet's INDEX lines and FLAGS.
#include <cstring>
#include <vector>

#include "core/cdrom/Cdb.h"
#include "core/cdrom/SenseReply.h"
#include "core/cdrom/SubchannelQ.h"
#include "core/cdrom/VirtualDrive.h"
#include "core/platform/ByteOrder.h"

namespace korvida {
namespace {

constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;

// The Q frame the disc carries at `lba`: pregaps belong to the track they lead into and
// count down to its INDEX 01.
QFrame ImageQFrame(const DiscImage& image, std::uint32_t lba) {
    const ImageTrack& track = *image.TrackAt(lba);
    int index = 0;
    const int firstNumber = track.hasIndex0 ? 0 : 1;
    for (std::size_t i = 0; i < track.indexLbas.size(); ++i)
        if (track.indexLbas[i] <= lba)
            index = static_cast<int>(i) + firstNumber;
    const std::uint32_t relative =
        lba >= track.startLba ? lba - track.startLba : track.startLba - lba;
    return MakeQPositionFrame(track.control, track.number, index, relative, lba);
}

}  // namespace

ScsiReply VirtualDrive::ReadWithSubchannel(const ScsiRequest& request) {
    const std::uint8_t* cdb = request.cdb;
    const std::uint32_t lba = Be32(&cdb[2]);
    const std::uint32_t count = (std::uint32_t{cdb[6]} << 16) | Be16(&cdb[7]);
    if (trayOpen_)
        return SenseReply(kSenseNotReady, 0x3A, 0x02);
    if (lba >= image_.leadout || count > image_.leadout - lba)
        return SenseReply(kSenseIllegalRequest, kAscLbaOutOfRange);
    // Byte 9 without main-channel fields asks for the sub-channel alone. With them, this
    // drive gives whole audio frames only: a read that reaches a data track is refused.
    const bool withMain = cdb[9] != 0;
    for (std::uint32_t i = 0; withMain && i < count; ++i)
        if (image_.TrackAt(lba + i)->IsData())
            return SenseReply(kSenseIllegalRequest, kAscInvalidFieldInCdb);
    const std::size_t mainSize = withMain ? kRawSectorSize : 0;
    const std::size_t frameSize = mainSize + kFormattedQSize;
    if (count == 0)
        return GoodReply();
    if (request.direction != DataDirection::kFromDevice || request.data == nullptr ||
        request.dataLength < std::size_t{count} * frameSize)
        return SenseReply(kSenseIllegalRequest, kAscInvalidFieldInCdb);

    std::vector<std::uint8_t> main(count * mainSize);
    if (withMain) {
        // The frames come as the plain read gives them: offset, faults and cache included.
        std::uint8_t plainCdb[12];
        std::memcpy(plainCdb, cdb, sizeof plainCdb);
        plainCdb[10] = 0;
        ScsiRequest plain = request;
        plain.cdb = plainCdb;
        plain.data = main.data();
        plain.dataLength = main.size();
        ScsiReply reply = Read(plain);
        if (!reply.Succeeded()) {
            reply.transferred = 0;
            return reply;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t* out = request.data + i * frameSize;
        std::memcpy(out, main.data() + i * mainSize, mainSize);
        QFrame q = ImageQFrame(image_, lba + i);
        if (faults_.damagedQ.count(lba + i))
            q[4] ^= 0x40;  // a flipped bit the CRC catches
        std::memcpy(out + mainSize, q.data(), q.size());
        std::memset(out + mainSize + q.size(), 0, kFormattedQSize - q.size());
    }
    return GoodReply(count * frameSize);
}

ScsiReply VirtualDrive::Seek(const ScsiRequest& request) {
    const std::uint32_t lba = Be32(&request.cdb[2]);
    if (trayOpen_)
        return SenseReply(kSenseNotReady, 0x3A, 0x02);
    if (lba >= image_.leadout)
        return SenseReply(kSenseIllegalRequest, kAscLbaOutOfRange);
    // A seek ends play, as on a drive: the head is where it was sent.
    sound_.reset();
    play_ = Play::kNone;
    position_ = lba;
    return GoodReply();
}

}  // namespace korvida

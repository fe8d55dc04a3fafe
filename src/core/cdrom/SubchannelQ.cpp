#include "core/cdrom/SubchannelQ.h"

#include "core/cdrom/ScsiTypes.h"

namespace korvida {
namespace {

std::uint8_t Bcd(unsigned value) {
    return static_cast<std::uint8_t>((value / 10) << 4 | value % 10);
}

std::optional<unsigned> FromBcd(std::uint8_t byte) {
    if ((byte >> 4) > 9 || (byte & 0xF) > 9)
        return std::nullopt;
    return (byte >> 4) * 10u + (byte & 0xFu);
}

void PutMsf(std::uint8_t* at, std::uint32_t frames) {
    at[0] = Bcd(frames / (60 * 75));
    at[1] = Bcd(frames / 75 % 60);
    at[2] = Bcd(frames % 75);
}

}  // namespace

std::uint16_t QFrameCrc(const std::uint8_t* tenBytes) {
    std::uint16_t crc = 0;
    for (int i = 0; i < 10; ++i) {
        crc ^= static_cast<std::uint16_t>(tenBytes[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return static_cast<std::uint16_t>(~crc);
}

QFrame MakeQPositionFrame(std::uint8_t control, int track, int index, std::uint32_t relative,
                          std::uint32_t lba) {
    QFrame q{};
    q[0] = static_cast<std::uint8_t>(control << 4 | 0x1);  // ADR 1: position
    q[1] = track == 0xAA ? 0xAA : Bcd(static_cast<unsigned>(track));
    q[2] = Bcd(static_cast<unsigned>(index));
    PutMsf(&q[3], relative);
    q[6] = 0;  // ZERO
    PutMsf(&q[7], lba + kMsfOffset);
    const std::uint16_t crc = QFrameCrc(q.data());
    q[10] = static_cast<std::uint8_t>(crc >> 8);
    q[11] = static_cast<std::uint8_t>(crc);
    return q;
}

std::optional<QPosition> ParseQPosition(const std::uint8_t* frame) {
    const std::uint16_t crc = QFrameCrc(frame);
    if (frame[10] != (crc >> 8) || frame[11] != (crc & 0xFF) || (frame[0] & 0xF) != 1)
        return std::nullopt;
    QPosition position;
    position.control = frame[0] >> 4;
    const auto track = frame[1] == 0xAA ? std::optional<unsigned>(0xAA) : FromBcd(frame[1]);
    const auto index = FromBcd(frame[2]);
    const auto m = FromBcd(frame[7]), s = FromBcd(frame[8]), f = FromBcd(frame[9]);
    if (!track || !index || !m || !s || !f || *s >= 60 || *f >= 75)
        return std::nullopt;
    const std::uint32_t absolute = (*m * 60 + *s) * 75 + *f;
    if (absolute < kMsfOffset)
        return std::nullopt;
    position.track = static_cast<int>(*track);
    position.index = static_cast<int>(*index);
    position.lba = absolute - kMsfOffset;
    return position;
}

}  // namespace korvida

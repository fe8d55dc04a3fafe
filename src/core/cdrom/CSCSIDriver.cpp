#include "core/cdrom/CSCSIDriver.h"

namespace korvida {

int CSCSIDriver::Pause(int) {
    return 0;
}
int CSCSIDriver::GetPosition(std::int32_t*, std::int32_t*, std::uint32_t*) {
    return 0;
}
int CSCSIDriver::ReadSubChannel(std::uint8_t, std::uint8_t*, std::uint32_t, std::uint8_t) {
    return 0;
}
int CSCSIDriver::Eject() {
    return 0;
}
int CSCSIDriver::CloseTray() {
    return 0;
}
int CSCSIDriver::TrayOpen() {
    return 0;
}
int CSCSIDriver::Stop() {
    return 0;
}
int CSCSIDriver::PlayAudio(std::uint32_t, std::uint32_t) {
    return 0;
}
int CSCSIDriver::ReadAudio(AudioReadRequest&) {
    return 0;
}
int CSCSIDriver::ReadTOC(std::uint8_t*, int) {
    return 0;
}
int CSCSIDriver::ExecCommand(const std::uint8_t*, int, std::uint8_t*, std::uint32_t, std::uint8_t*,
                             std::uint32_t) {
    return 0;
}
int CSCSIDriver::Init(int) {
    return 0;
}
DriveReadiness CSCSIDriver::WaitUntilReady(unsigned, const std::function<void()>&) {
    return DriveReadiness::kReady;
}
int CSCSIDriver::SetReadSpeed(std::uint16_t) {
    return 0;
}
CacheDefeat CSCSIDriver::DefeatCache(std::uint32_t, std::uint32_t) {
    return CacheDefeat::kNone;
}
int CSCSIDriver::ReadAudioC2(AudioReadRequest&, std::uint8_t*) {
    return 0;
}
int CSCSIDriver::ReadCapabilities(DriveCapabilities&) {
    return 0;
}

}  // namespace korvida

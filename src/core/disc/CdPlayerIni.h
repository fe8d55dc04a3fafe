#pragma once

#include <cstdint>
#include <string>

#include "core/disc/DiscInfo.h"
#include "core/disc/TrackList.h"
#include "core/text/Translate.h"

namespace korvida {

class CSCSIDriver;
class UserNotifier;

// "读取 CD 音量 ID 时出错。": the volume id could not be read, nothing was imported or exported.
inline constexpr const char* kVolumeIdErrorMessage = TR_NOOP("读取 CD 音量 ID 时出错。");

// cdplayer.ini in the app home.
std::string CdPlayerIniPath();

// The cdplayer.ini volume id of an MSF READ TOC reply: the sum of the M/S/F address
// bytes (as minute·65536 + second·256 + frame) of every track whose ADR/control byte
// lacks bit 0x40.
std::uint32_t CdPlayerVolumeId(const std::uint8_t* msfToc, std::size_t size);

// Reads the TOC in MSF form from the drive and computes the volume id; false (and the
// message above) when the drive cannot give it.
bool ReadCdPlayerVolumeId(CSCSIDriver& driver, std::uint32_t* id, UserNotifier& notifier);

// The import command: album artist, title and year and the titles of the listed tracks
// from the disc's section; non-empty values replace the current ones, rows included.
void ImportCdPlayerIni(CSCSIDriver& driver, DiscInfo& disc, TrackList& rows,
                       UserNotifier& notifier);

// The import during a disc load, before any row exists: titles of tracks 0..count-1.
// True when cdplayer.ini has a section for the disc.
bool LoadCdPlayerIni(CSCSIDriver& driver, DiscInfo& disc, int trackCount, UserNotifier& notifier);

// The export command: writes the disc's section (EntryType, Artist, Title, NumTracks,
// the titles by index, numplay, Year). False when nothing could be written.
bool ExportCdPlayerIni(CSCSIDriver& driver, const DiscInfo& disc, const TrackList& rows,
                       UserNotifier& notifier);

}  // namespace korvida

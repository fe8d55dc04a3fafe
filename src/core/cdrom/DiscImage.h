#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/UniqueFd.h"

namespace korvida {

enum class TrackMode { kAudio, kMode1Raw, kMode2Raw };

// A sheet's TITLE, PERFORMER and SONGWRITER lines for the disc or one track (UTF-8 as the
// sheet has them): what the drive's CD-Text gives.
struct ImageText {
    std::string title;
    std::string performer;
    std::string songwriter;
};

struct ImageTrack {
    int number = 0;  // TOC track number, 1-99
    TrackMode mode = TrackMode::kAudio;
    std::uint8_t control = 0;  // Q control nibble: 0x4 data, FLAGS bits for audio
    // Disc LBAs of INDEX 00 (when present) and of INDEX 01 and later; the track starts
    // at its INDEX 01.
    bool hasIndex0 = false;
    std::vector<std::uint32_t> indexLbas;  // [0] = INDEX 00 when hasIndex0
    std::uint32_t startLba = 0;
    int cueLine = 0;
    ImageText text;
    std::string isrc;  // 12 characters from ISRC, empty when none
    // From "REM SESSION nn" before the track (1 when the sheet names none): an enhanced CD
    // holds its data track in session 2.
    int session = 1;

    bool IsData() const { return mode != TrackMode::kAudio; }
};

// ImageSegment::file of frames the image has no data for: a data track a rip left out,
// and the gap between sessions before it. Reading them fails, as a drive's reads of
// frames it cannot read do.
inline constexpr int kFramesNotInImage = -2;

// Where a stretch of the disc's frames comes from: a file, silence that the image
// inserts (PREGAP, POSTGAP) without storing it, or nothing (kFramesNotInImage).
struct ImageSegment {
    std::uint32_t discStart = 0;  // LBA
    std::uint32_t frames = 0;
    int file = -1;                 // index into files; -1 = zeroed frames
    std::uint64_t byteOffset = 0;  // offset of discStart's frame in the file
};

enum class ImageFileKind { kBinary, kMotorola, kWave };

struct ImageFile {
    std::string path;
    ImageFileKind kind = ImageFileKind::kBinary;
    std::uint64_t dataOffset = 0;  // first audio byte (the WAVE data chunk)
    std::uint64_t dataBytes = 0;   // bytes of frames; a WAVE's last frame may be partial
    std::uint32_t frames = 0;      // rounded up
    UniqueFd fd;
};

// A CD image: its tracks in TOC order, its frames as segments of files and silence.
// Reading is thread-safe (positioned reads only).
class DiscImage {
  public:
    std::string cuePath;
    std::string catalog;  // 13 digits from CATALOG, empty when none
    ImageText text;       // the lines before the first TRACK
    std::vector<ImageTrack> tracks;
    std::vector<ImageSegment> segments;  // in disc order, contiguous from LBA 0
    std::vector<ImageFile> files;
    std::uint32_t leadout = 0;  // LBA of the lead-out: the disc's frame count
    // The packs of the sheet's CDTEXTFILE (18 bytes each, no header): the disc's own
    // CD-Text, given in place of what the TITLE lines would make. Empty when none.
    std::vector<std::uint8_t> cdTextPacks;
    // "<cue>:<line>: <what>" for each thing the sheet names that the image goes without
    // (a CD-Text file that does not read); the image loads all the same.
    std::vector<std::string> notes;

    // The track holding a frame (pregaps belong to the track they lead into, as on the
    // disc's Q sub-channel), or nullptr past the lead-out.
    const ImageTrack* TrackAt(std::uint32_t lba) const;

    // Copies `count` raw 2352-byte frames from `lba` into `out` as little-endian CD-DA
    // (or raw data sectors). False, with *errorText, when a file read fails, the range
    // leaves the disc or reaches frames the image has no data for.
    bool ReadFrames(std::uint32_t lba, std::uint32_t count, std::uint8_t* out,
                    std::string* errorText = nullptr) const;
};

}  // namespace korvida

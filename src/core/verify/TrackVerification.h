#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/cdrom/CacheDefeat.h"

namespace korvida {

// The running CRC32 of a track's audio (the figure of its first k samples) at every k of
// a few ranges: where the CTDB figures start and end, give or take kCtdbMaxShift samples.
// From them the CTDB figures of the track and the disc at any shift in that range follow
// without a second pass over the audio (CtdbChecksums.h).
struct CtdbCrcWindows {
    struct Window {
        std::uint64_t from = 0;              // the first k
        std::vector<std::uint32_t> figures;  // k = from, from + 1, …
    };
    std::uint64_t samples = 0;  // N, the track's length
    Window head;                // about the figure's start
    Window tail;                // about its end
    Window whole;               // k = N alone
    // The figure of the first k samples when a window holds it (k = 0 always).
    std::optional<std::uint32_t> At(std::uint64_t k) const;
};

// The figures taken of one track's audio as it was read, before trimming and
// normalisation change what is written.
struct TrackChecksums {
    std::uint32_t crc32 = 0;        // zlib's CRC32 of the PCM bytes
    std::uint32_t crc32NoNull = 0;  // the same without the 16-bit samples that are 0
    std::uint32_t arV1 = 0;
    std::uint32_t arV2 = 0;
    std::uint32_t frame450 = 0;  // the offset-finding checksum of frame 450
    bool hasFrame450 = false;    // the track reaches frame 450 at all
    // The CTDB figure (CRC32 of the track less CTDB's edges), when [CTDB] Verify is on.
    bool hasCtdb = false;
    std::uint32_t ctdb = 0;
    CtdbCrcWindows ctdbWindows;
};

// What the CUETools database says of one track.
enum class CtdbOutcome {
    kNotChecked,     // CTDB verification off, or the track was not extracted whole
    kAccurate,       // entries hold this track's figure (at the disc's shift)
    kDiffers,        // the disc is known, no entry holds this figure
    kNotInDatabase,  // 404, or no entry of this disc's track count
    kLookupOff,      // [CTDB] Lookup=0
    kLookupFailed,
    kLookupNotFinished,
    kReplyUnreadable,
};

// What the disc database says of one track.
enum class AccurateRipOutcome {
    kNotChecked,         // verification off, or the track was not extracted whole
    kAccurate,           // a pressing matches by v1 or v2
    kNotAccurate,        // the disc is known, no pressing matches this track
    kNotInDatabase,      // the server has no entry for the disc (404), or no pressing
                         // has one for this track (every slot of it empty)
    kSilent,             // the audio the checksums cover is digital silence: its zero
                         // checksums prove nothing, a drive that fails silently gives them
    kLookupFailed,       // no network, an HTTP error, or the lookup was turned off
    kLookupNotFinished,  // still running when the rip ended plus its grace time
    kReplyUnreadable,    // the reply did not parse; it is reported, never trusted
};

// Frames first ≤ f < end counted from a track's first frame.
struct FrameSpan {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    bool operator==(const FrameSpan&) const = default;
};

// Everything verification learns of one track of a rip, for the completion page, the
// CLI's verification lines and the rip log. Filled by extraction and by the lookup.
struct TrackVerification {
    bool checked = false;  // checksums were taken over the whole track
    TrackChecksums sums;

    // The read offset correction: samples that lay outside the disc and were given as
    // zeros.
    std::uint32_t offsetZeroSamples = 0;
    // First LBA of every chunk that could not be read and was left out (skip on error).
    std::vector<std::uint32_t> skippedSectors;
    std::uint16_t peak = 0;   // the largest sample magnitude read, 0 … 32768 clipped to 32767
    bool trimmed = false;     // the written file starts or ends elsewhere than the track
    bool normalised = false;  // the written file's samples were scaled

    // Test and copy: the CRC32 of the test read (the first) and of the read the file
    // holds (the last), and the re-reads it took until a read agreed with one before it.
    bool tested = false;
    std::uint32_t testCrc = 0;
    std::uint32_t copyCrc = 0;
    int rereads = 0;
    bool suspicious = false;  // the reads never agreed
    // Every read's CRC32 in order: test, copy, then the re-reads.
    std::vector<std::uint32_t> readCrcs;
    // The index in readCrcs of the read the last one agreed with; -1 when none did.
    int agreedWith = -1;
    // How the drive's cache was kept out of the reads after the test read.
    CacheDefeat cacheDefeat = CacheDefeat::kNone;

    // Secure reads: the mode the file's read ended in (0: none; 1 compare; 2 C2 pointers,
    // trusted to the end), whether C2 pointers were read, the sectors read again, and the
    // suspicious ones, where no version of the sector was read twice.
    int secureMode = 0;
    bool c2Used = false;
    int rereadSectors = 0;
    std::vector<FrameSpan> suspiciousSpans;

    AccurateRipOutcome outcome = AccurateRipOutcome::kNotChecked;
    int confidence = 0;  // kAccurate: the matching pressing's confidence
    int version = 0;     // kAccurate: 1 or 2
    // The text the completion page and the CLI show for the outcome.
    std::string resultText;

    CtdbOutcome ctdbOutcome = CtdbOutcome::kNotChecked;
    int ctdbConfidence = 0;  // kAccurate: the confidence of the entries that hold it
    int ctdbTotal = 0;       // the confidence of every entry of this track count
    int ctdbShift = 0;       // samples the rip lies off the database's rips
    // "CTDB: 准确 (可信度 3/4)"; empty when CTDB verification is off.
    std::string ctdbText;
};

}  // namespace korvida

#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace korvida {

class CSCSIDriver;

// Reads of audio frames that survive a scratched disc, for SecureMode 1 and 2. A drive
// mostly answers a scratch with wrong samples and no error, so no single read can be
// taken on trust:
// - compare (1): every chunk is read twice with the drive's cache defeated in between;
//   a sector whose reads differ is read again on its own, the cache defeated each time,
//   until one version of it has been read twice, at most `rereads` times. The version
//   read most often is kept (the earliest of equals); when none was read twice the
//   sector is suspicious.
// - C2 (2): every chunk is read once with the drive's C2 error pointers; the flagged
//   sectors are settled as in compare mode, the others taken. One chunk in
//   kC2SampleEvery is still read a second time: a sector that differs unflagged shows
//   the pointers cannot be trusted, and the reader turns to compare mode for good
//   (stop() says kC2Untrusted: the track must be read again from its start). A drive
//   that refuses the C2 read turns to compare mode at once.
class SecureReader {
  public:
    static constexpr std::uint32_t kC2SampleEvery = 16;

    enum class Stop {
        kNone,
        kFailed,       // the drive could not read the frames
        kCancelled,    // `cancelled` said so inside the re-reads
        kC2Untrusted,  // a sample caught the C2 pointers missing a wrong sector
    };

    struct Hooks {
        std::function<bool()> cancelled;        // asked before every re-read
        std::function<void(int)> rereading;     // the nth sector of the pass is settled
        std::function<void()> turnedToCompare;  // C2 mode gave up (no C2, a failed read)
    };

    SecureReader(CSCSIDriver* driver, int mode, int rereads, Hooks hooks);

    // Frames lba … lba + count - 1 into `out` (count × 2352 bytes), as ReadAudio; false
    // with stop() saying why.
    bool Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out);

    // A new read of the track: what the getters below tell starts again.
    void BeginPass();
    Stop stop() const { return stop_; }
    int mode() const { return mode_; }
    bool c2Used() const { return c2Used_; }
    int rereadSectors() const { return rereadSectors_; }
    // The drive addresses of the suspicious sectors of this pass, ascending.
    const std::vector<std::uint32_t>& suspicious() const { return suspicious_; }

  private:
    bool ReadPlain(std::uint32_t lba, std::uint32_t count, std::uint8_t* out);
    bool ReadCompared(std::uint32_t lba, std::uint32_t count, std::uint8_t* out);
    bool ReadWithC2(std::uint32_t lba, std::uint32_t count, std::uint8_t* out);
    // Re-reads sector `lba` until a version has been read twice; `known` holds the
    // versions read so far (whole frames). The winner goes to `out`.
    bool Settle(std::uint32_t lba, std::vector<std::uint8_t> known, std::uint8_t* out);
    void TurnToCompare();

    CSCSIDriver* driver_;
    int mode_;
    int rereads_;
    Hooks hooks_;
    Stop stop_ = Stop::kNone;
    bool c2Used_ = false;
    std::uint32_t chunks_ = 0;
    int rereadSectors_ = 0;
    std::vector<std::uint32_t> suspicious_;
    std::vector<std::uint8_t> second_;  // the second read of a chunk
    std::vector<std::uint8_t> flags_;   // C2: one a frame
};

}  // namespace korvida

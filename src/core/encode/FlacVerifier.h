#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace korvida {

// Decodes a FLAC stream while it is being written and compares every decoded sample with
// the sample that went into the encoder: what libFLAC's own verify mode does, on a thread
// of its own, so that on a machine with a second core the check costs the encode no time.
// The encoder's side hands over the samples it encodes (Expect) and the bytes it writes
// (Feed), in stream order; both block while the checker is far behind, so memory stays
// bounded. Finish says whether every sample came back as it went in.
class FlacVerifier {
  public:
    enum class Result {
        kSame,      // every sample decoded as it was encoded, and as many as went in
        kMismatch,  // a decoded sample differs, or the counts do
        kBadStream  // the decoder could not read what was written
    };

    FlacVerifier();
    ~FlacVerifier();  // abandons a check not finished
    FlacVerifier(const FlacVerifier&) = delete;
    FlacVerifier& operator=(const FlacVerifier&) = delete;

    // Interleaved 16-bit stereo samples given to the encoder, before it writes their
    // frames. False when the check has already failed (the encode may stop).
    bool Expect(const std::int32_t* samples, std::size_t count);
    // Bytes of the stream in order, from its "fLaC" on. False when the check has already
    // failed.
    bool Feed(const std::uint8_t* bytes, std::size_t count);
    // The stream is complete (later writes rewrite its header and are not fed): waits for
    // the check to end.
    Result Finish();

  private:
    void Run();
    void Abandon();
    template <class Room>
    void WaitForRoom(std::unique_lock<std::mutex>& lock, Room room);

    std::mutex mutex_;
    // Each side is woken only when it waits: the decoder for bytes, the encoder's side
    // for room.
    std::condition_variable forReader_;
    std::condition_variable forWriter_;
    bool readerWaits_ = false;
    bool writerWaits_ = false;
    std::vector<std::uint8_t> bytes_;     // fed
    std::size_t bytesRead_ = 0;           // read by the decoder, at the front of bytes_
    std::vector<std::int16_t> expected_;  // expected, not yet compared
    std::size_t expectedRead_ = 0;        // compared part at the front of expected_
    bool ended_ = false;                  // no more bytes will come
    bool abandoned_ = false;
    bool done_ = false;
    Result result_ = Result::kSame;
    std::thread thread_;

    friend struct FlacVerifierCallbacks;
};

}  // namespace korvida

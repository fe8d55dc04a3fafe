#include "core/encode/FlacVerifier.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace korvida {
namespace {

// How far the encoder may run ahead of the check before it waits: a few seconds of
// audio, whatever the file's length.
constexpr std::size_t kMaxPendingBytes = 4 << 20;
constexpr std::size_t kMaxPendingSamples = 2 << 20;
// The decoder is woken once this much has come, not for every frame: a wake-up costs
// more than decoding a frame. A waiting encoder wakes it for less.
constexpr std::size_t kWakeBytes = 256 << 10;

}  // namespace

struct FlacVerifierCallbacks {
    static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                              size_t* size, void* data) {
        FlacVerifier& v = *static_cast<FlacVerifier*>(data);
        std::unique_lock lock(v.mutex_);
        const auto unread = [&] { return v.bytes_.size() - v.bytesRead_; };
        v.readerWaits_ = true;
        v.forReader_.wait(lock, [&] {
            return unread() >= kWakeBytes || (unread() > 0 && v.writerWaits_) || v.ended_ ||
                   v.abandoned_;
        });
        v.readerWaits_ = false;
        if (v.abandoned_) {
            *size = 0;
            return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
        }
        if (unread() == 0) {
            *size = 0;
            return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
        }
        const std::size_t n = std::min(*size, unread());
        std::memcpy(buffer, v.bytes_.data() + v.bytesRead_, n);
        v.bytesRead_ += n;
        if (v.bytesRead_ >= kMaxPendingBytes / 2) {
            v.bytes_.erase(v.bytes_.begin(),
                           v.bytes_.begin() + static_cast<std::ptrdiff_t>(v.bytesRead_));
            v.bytesRead_ = 0;
        }
        *size = n;
        if (v.writerWaits_)
            v.forWriter_.notify_one();
        return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
    }

    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*,
                                                const FLAC__Frame* frame,
                                                const FLAC__int32* const channels[], void* data) {
        FlacVerifier& v = *static_cast<FlacVerifier*>(data);
        const std::size_t count = std::size_t{frame->header.blocksize} * 2;
        std::unique_lock lock(v.mutex_);
        // The encoder hands over a frame's samples before it writes the frame.
        if (frame->header.channels != 2 || v.expected_.size() - v.expectedRead_ < count) {
            v.result_ = FlacVerifier::Result::kMismatch;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        const std::int16_t* expected = v.expected_.data() + v.expectedRead_;
        for (unsigned i = 0; i < frame->header.blocksize; ++i) {
            if (channels[0][i] != expected[2 * i] || channels[1][i] != expected[2 * i + 1]) {
                v.result_ = FlacVerifier::Result::kMismatch;
                return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
            }
        }
        v.expectedRead_ += count;
        // Compacted now and then rather than per frame: the move is then cheap.
        if (v.expectedRead_ >= kMaxPendingSamples / 2) {
            v.expected_.erase(v.expected_.begin(),
                              v.expected_.begin() + static_cast<std::ptrdiff_t>(v.expectedRead_));
            v.expectedRead_ = 0;
        }
        if (v.writerWaits_)
            v.forWriter_.notify_one();
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data) {
        FlacVerifier& v = *static_cast<FlacVerifier*>(data);
        std::lock_guard lock(v.mutex_);
        if (v.result_ == FlacVerifier::Result::kSame)
            v.result_ = FlacVerifier::Result::kBadStream;
    }
};

FlacVerifier::FlacVerifier() : thread_([this] { Run(); }) {}

FlacVerifier::~FlacVerifier() {
    Abandon();
}

void FlacVerifier::Abandon() {
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    forReader_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void FlacVerifier::Run() {
    struct Deleter {
        void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
    };
    std::unique_ptr<FLAC__StreamDecoder, Deleter> decoder(FLAC__stream_decoder_new());
    bool ok =
        decoder && FLAC__stream_decoder_init_stream(
                       decoder.get(), FlacVerifierCallbacks::Read, nullptr, nullptr, nullptr,
                       nullptr, FlacVerifierCallbacks::Write, nullptr, FlacVerifierCallbacks::Error,
                       this) == FLAC__STREAM_DECODER_INIT_STATUS_OK;
    ok = ok && FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
    std::lock_guard lock(mutex_);
    if (!abandoned_) {
        if (!ok && result_ == Result::kSame)
            result_ = Result::kBadStream;
        // Samples the stream never gave back.
        if (result_ == Result::kSame && expectedRead_ != expected_.size())
            result_ = Result::kMismatch;
    }
    done_ = true;
    forWriter_.notify_one();
}

template <class Room>
void FlacVerifier::WaitForRoom(std::unique_lock<std::mutex>& lock, Room room) {
    if (room())
        return;
    writerWaits_ = true;
    // The decoder may be holding off for a fuller buffer: what it has is all there is.
    forReader_.notify_one();
    forWriter_.wait(lock, room);
    writerWaits_ = false;
}

bool FlacVerifier::Expect(const std::int32_t* samples, std::size_t count) {
    std::unique_lock lock(mutex_);
    WaitForRoom(lock,
                [&] { return done_ || expected_.size() - expectedRead_ < kMaxPendingSamples; });
    if (done_)
        return false;
    expected_.insert(expected_.end(), samples, samples + count);  // 16-bit values
    return true;
}

bool FlacVerifier::Feed(const std::uint8_t* bytes, std::size_t count) {
    std::unique_lock lock(mutex_);
    WaitForRoom(lock, [&] { return done_ || bytes_.size() - bytesRead_ < kMaxPendingBytes; });
    if (done_)
        return false;
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    if (readerWaits_ && bytes_.size() - bytesRead_ >= kWakeBytes)
        forReader_.notify_one();
    return true;
}

FlacVerifier::Result FlacVerifier::Finish() {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    forReader_.notify_one();
    if (thread_.joinable())
        thread_.join();
    return result_;
}

}  // namespace korvida

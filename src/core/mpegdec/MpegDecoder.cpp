#include "core/mpegdec/MpegDecoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>

namespace korvida {
namespace {

// libmpg123 before 1.27 needs one global initialisation; later versions ignore it.
bool LibraryReady() {
    static const bool ready = mpg123_init() == MPG123_OK;
    return ready;
}

}  // namespace

void MpegDecoder::HandleDeleter::operator()(mpg123_handle_struct* handle) const {
    mpg123_delete(handle);
}

std::size_t MpegReadHeader(const std::uint8_t* buffer, std::size_t bytes, MpegHeader& header) {
    if (bytes < 4 || !IsDecodableHeader(buffer))
        return 0;
    ParseMpegHeader(buffer, header);
    return Layer3FrameBytes(header);
}

MpegDecoder::MpegDecoder() = default;
MpegDecoder::~MpegDecoder() = default;

bool MpegDecoder::Init(const MpegHeader& header, std::size_t frameBytes, int reduction,
                       int transform, int conversion, int frequencyLimit) {
    info_ = {};
    handle_.reset();
    if (frameBytes == 0 || Layer3FrameBytes(header) == 0 || header.layer != 3 ||
        (header.version != MpegVersion::kMpeg1 && header.version != MpegVersion::kMpeg2))
        return false;
    if (reduction != 0 || transform != 0 || conversion != 0 ||
        frequencyLimit < header.sampleRate / 2)
        return false;
    first_ = header;
    if (!OpenStream())
        return false;
    info_.channels = header.channels();
    info_.sampleRate = header.sampleRate;
    info_.bitsPerSample = 16;
    info_.outputType = 0;
    return true;
}

// A fresh library stream for the format of the first header. Also the way back after
// the library reports an error: its parser state is then unknown, and starting over
// costs only the bit reservoir, which the damaged frame has spoilt anyway.
bool MpegDecoder::OpenStream() {
    if (!LibraryReady())
        return false;
    handle_.reset();
    int error = MPG123_OK;
    mpg123_handle* h = mpg123_new(nullptr, &error);
    if (!h)
        return false;
    handle_.reset(h);
    // Every frame is handed over whole, so the parser needs no look-ahead and must never
    // hunt for sync in our bytes itself. Gapless trimming and resampling are off: the
    // caller wants every decoded sample at the stream's own rate. Info/Xing frames are
    // still recognised and give no audio, as they carry none. Samples little-endian
    // whatever the machine, since they go straight into a WAV file.
    const long flags = MPG123_QUIET | MPG123_NO_READAHEAD | MPG123_NO_RESYNC | MPG123_FORCE_ENDIAN;
    if (mpg123_param(h, MPG123_FLAGS, flags, 0) != MPG123_OK ||
        mpg123_format_none(h) != MPG123_OK ||
        mpg123_format(h, first_.sampleRate, first_.channels() == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_SIGNED_16) != MPG123_OK ||
        mpg123_open_feed(h) != MPG123_OK) {
        handle_.reset();
        return false;
    }
    return true;
}

MpegFrameResult MpegDecoder::DecodeFrame(const std::uint8_t* in, std::size_t available,
                                         std::uint8_t* pcm, std::size_t pcmCapacity) {
    if (!handle_ || available < 4 || pcmCapacity < kMpegMaxFramePcmBytes)
        return {};
    MpegHeader header;
    if (!IsDecodableHeader(in) || !ParseMpegHeader(in, header) ||
        header.version != first_.version || header.sampleRate != first_.sampleRate ||
        header.channels() != first_.channels())
        return {1, 0};
    const std::size_t frameBytes = Layer3FrameBytes(header);
    if (frameBytes > available)
        return {};

    if (mpg123_feed(handle_.get(), in, frameBytes) != MPG123_OK)
        return {};
    // One frame in gives at most one frame out; the bound only guards against a library
    // that keeps answering without progress.
    std::size_t produced = 0;
    for (int call = 0; call < 8; ++call) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int result = mpg123_decode_frame(handle_.get(), &frameNumber, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result == MPG123_NEED_MORE)
            break;
        if (result != MPG123_OK) {
            if (!OpenStream())
                return {};
            break;
        }
        bytes = std::min(bytes, pcmCapacity - produced);
        if (bytes > 0)
            std::memcpy(pcm + produced, audio, bytes);
        produced += bytes;
    }
    return {static_cast<int>(frameBytes), produced};
}

}  // namespace korvida

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/mpegdec/MpegHeader.h"

struct mpg123_handle_struct;

namespace korvida {

// What the decoder delivers. Output type 0 is linear PCM (the only type this decoder
// produces); 10 would be µ-law.
struct MpegOutputInfo {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int outputType = 0;
};

struct MpegFrameResult {
    // Input bytes taken. Below 1 on an error: the frame is incomplete or the decoder
    // cannot go on. 1 with no PCM when the bytes at the input do not start a frame of
    // this stream (a sync look-alike with another sample rate or channel count), so the
    // caller steps over them.
    int consumed = 0;
    std::size_t pcmBytes = 0;  // 16-bit little-endian samples written, interleaved
};

// Most PCM bytes one frame can give: 1152 stereo samples of 16 bits.
constexpr std::size_t kMpegMaxFramePcmBytes = 1152 * 2 * 2;

// Header reader: the header at the start of `buffer` unpacked into `header`, and the
// frame's length in bytes; 0 when fewer than four bytes are given or the frame is not
// one the decoder takes (IsDecodableHeader).
std::size_t MpegReadHeader(const std::uint8_t* buffer, std::size_t bytes, MpegHeader& header);

// An MPEG-1/2 Layer III decoder with 16-bit output at the stream's own rate, fed one
// whole frame at a time. The bit reservoir carries over from frame to frame, so frames
// must come in stream order. One object per stream; objects are independent, so two
// decodes may run at once.
class MpegDecoder {
  public:
    MpegDecoder();
    ~MpegDecoder();
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;

    // Initialiser, with the stream's first header and frame length. Only full output is
    // offered: reduction (rate divided by 2^n), transform and conversion must be 0 and
    // the frequency limit must cover the stream's bandwidth (half its sample rate, so
    // 24000 covers every rate). False for anything else and when the library refuses.
    bool Init(const MpegHeader& header, std::size_t frameBytes, int reduction, int transform,
              int conversion, int frequencyLimit);

    // Information call; all zero before a successful Init.
    MpegOutputInfo Info() const { return info_; }

    // Frame decoder: decodes the frame at `in` (of which `available` bytes may be read)
    // into `pcm` (room for `pcmCapacity` bytes, at least kMpegMaxFramePcmBytes).
    // A frame that is well-formed but unusable (damaged data, an Info/Xing frame) is
    // consumed with no or silent PCM rather than ending the stream.
    MpegFrameResult DecodeFrame(const std::uint8_t* in, std::size_t available, std::uint8_t* pcm,
                                std::size_t pcmCapacity);

  private:
    bool OpenStream();

    struct HandleDeleter {
        void operator()(mpg123_handle_struct* handle) const;
    };
    std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle_;
    MpegHeader first_;
    MpegOutputInfo info_;
};

}  // namespace korvida

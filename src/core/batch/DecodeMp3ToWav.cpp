#include "core/batch/DecodeMp3ToWav.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "core/audio/BinaryFile.h"
#include "core/audio/Normalisation.h"
#include "core/audio/WavFile.h"
#include "core/batch/OpenDecodedWav.h"
#include "core/encode/Id3Tag.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/mpegdec/MpegDecoder.h"
#include "core/platform/TemporaryFile.h"
#include "core/platform/TickCount.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

// The VBR scan reads blocks of one longest frame (1441 bytes) and looks for a Xing
// marker only at candidates below 1400, where the marker (at most 40 bytes in) still
// lies inside the block. The next block starts at 1400, so the candidates the block
// could not judge are judged by the next one instead of being passed over.
constexpr std::size_t kVbrScanBlock = 1441;
constexpr std::size_t kVbrScanTested = 1400;

// No library-provided frequency limit is wanted: 24 kHz is the full bandwidth of every
// MPEG-1/2 rate.
constexpr int kFullBandwidth = 24000;

constexpr std::size_t kId3v1Bytes = 128;

// The unread part of the MP3, streamed through one buffer. The file offset of the next
// unread byte is kept for progress.
class InputBuffer {
  public:
    explicit InputBuffer(BinaryFile& file) : file_(file) {}

    // Reading starts at `offset` of the file. False when the file cannot go there.
    bool Start(std::uint64_t offset) {
        offset_ = offset;
        return file_.Seek(offset);
    }

    bool Allocate() {
        data_.reset(new (std::nothrow) std::uint8_t[kDecodeInputBytes]);
        return data_ != nullptr;
    }

    // Tops the buffer up when fewer than kDecodeRefillBelow bytes are unread: the rest
    // moves to the front and the file fills what follows. False on a read error.
    bool Refill() {
        if (eof_ || end_ - start_ >= kDecodeRefillBelow)
            return true;
        std::memmove(data_.get(), data_.get() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
        const std::size_t want = kDecodeInputBytes - end_;
        const std::int64_t got = file_.Read(data_.get() + end_, want);
        if (got < 0)
            return false;
        end_ += static_cast<std::size_t>(got);
        eof_ = static_cast<std::size_t>(got) < want;
        return true;
    }

    const std::uint8_t* Here() const { return data_.get() + start_; }
    std::size_t Remaining() const { return end_ - start_; }
    void Advance(std::size_t n) {
        start_ += n;
        offset_ += n;
    }
    std::uint64_t FileOffset() const { return offset_; }

  private:
    BinaryFile& file_;
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    std::uint64_t offset_ = 0;
};

// The layer III frame length of a decodable header at p; 0 when p holds none.
std::size_t DecodableFrameBytes(const std::uint8_t* p, std::size_t available) {
    MpegHeader header;
    return available >= 4 && HasMpegSync(p) ? MpegReadHeader(p, available, header) : 0;
}

bool SameStream(const std::uint8_t* a, const std::uint8_t* b) {
    MpegHeader x, y;
    return ParseMpegHeader(a, x) && ParseMpegHeader(b, y) && x.version == y.version &&
           x.sampleRate == y.sampleRate && x.channels() == y.channels();
}

// Whether a decodable header at the buffer's position starts the stream: the frame that
// follows it must start with a header of the same stream, unless the frame is the last
// thing in the file (but for an ID3v1 record). Without this check a chance 0xFF 0xFx in
// junk ahead of the audio would fix a wrong sample rate for the whole file.
bool ConfirmedFirstFrame(const InputBuffer& in) {
    const std::size_t frame = DecodableFrameBytes(in.Here(), in.Remaining());
    if (frame == 0 || in.Remaining() < frame)
        return false;
    const std::uint8_t* next = in.Here() + frame;
    const std::size_t after = in.Remaining() - frame;
    // The buffer holds at least kDecodeRefillBelow bytes unless the file ends in it.
    if (after == 0 || (after == kId3v1Bytes && std::memcmp(next, "TAG", 3) == 0))
        return true;
    return DecodableFrameBytes(next, after) != 0 && SameStream(in.Here(), next);
}

// Steps to the stream's first frame: past an ID3v2 tag and the VBR info frames, then past
// whatever precedes the first decodable header that the next frame confirms. The buffer
// then starts with that frame, or holds fewer than four bytes when there is none. False
// after logging.
bool FindFirstFrame(JobContext& context, BinaryFile& in, InputBuffer& input) {
    if (!input.Start(SkipVbrInfoFrames(in, Id3v2TagBytes(in)))) {
        LogFormatted(context, Tr("解码过程发生文件读取错误。"));
        return false;
    }
    if (!input.Allocate()) {
        LogFormatted(context, Tr("解码时不能分配缓冲。"));
        return false;
    }
    for (;;) {
        if (!input.Refill()) {
            LogFormatted(context, Tr("解码过程发生文件读取错误。"));
            return false;
        }
        if (input.Remaining() < 4 || ConfirmedFirstFrame(input))
            return true;
        input.Advance(1);
    }
}

// The WAV being written: the decoded PCM is collected in one buffer and written out in
// large pieces, never past the data size limit, and its level is measured for
// normalising. The file takes its name only when finished; after a failed write nothing
// more is written and nothing is left of it.
class DecodedWav {
  public:
    DecodedWav(JobContext& context, std::uint32_t maxDataBytes)
        : context_(context), maxDataBytes_(maxDataBytes) {}

    // Opens the file and the buffer. False after logging.
    bool Open(const std::string& source, const std::string& output) {
        output_ = output;
        if (!OpenDecodedWav(context_, source, output, written_, out_))
            return false;
        pcm_.reset(new (std::nothrow) std::uint8_t[kDecodePcmBytes]);
        if (!pcm_) {
            LogFormatted(context_, Tr("不能分配 PCM 缓冲。"));
            return false;
        }
        return true;
    }

    // The header of the decoder's output format, sizes to be filled in by Finish. False
    // after logging.
    bool WriteHeader(const MpegOutputInfo& info) {
        blockAlign_ = static_cast<std::size_t>(info.channels) * 2;
        if (WriteDecoderWavHeader(out_, static_cast<std::uint32_t>(info.sampleRate),
                                  static_cast<std::uint16_t>(info.channels),
                                  static_cast<std::uint16_t>(info.bitsPerSample), info.outputType))
            return true;
        LogFormatted(context_, Tr("文件写入出错。"));
        return false;
    }

    // Where the next frame's samples go: room for one frame at least while the buffer
    // holds no more than kDecodePcmWriteAbove bytes.
    std::uint8_t* Free() { return pcm_.get() + fill_; }
    std::size_t FreeBytes() const { return kDecodePcmBytes - fill_; }
    void Added(std::size_t bytes) { fill_ += bytes; }
    bool Full() const { return fill_ > kDecodePcmWriteAbove; }

    // Writes the collected PCM. False when a write failed or the size limit stopped it
    // (both logged); nothing is written after either.
    bool Flush() {
        if (failed_ || limitReached_)
            return false;
        if (fill_ == 0)
            return true;
        std::size_t n = fill_;
        if (n > maxDataBytes_ - dataBytes_) {
            n = (maxDataBytes_ - dataBytes_) / blockAlign_ * blockAlign_;
            limitReached_ = true;
        }
        if (!out_.Write(pcm_.get(), n)) {
            failed_ = true;
            LogFormatted(context_, Tr("文件写入出错。"));
            return false;
        }
        peak_.Update(pcm_.get(), n);
        dataBytes_ += static_cast<std::uint32_t>(n);
        fill_ = 0;
        if (limitReached_)
            LogFormatted(context_, Tr("已达 WAV 文件的 4 GB 上限，其后的音频未解码。"));
        return !limitReached_;
    }

    // The header update makes the file's sizes tell the truth; then it takes its name.
    // False after a failed write, logged then or here.
    bool Finish() {
        if (failed_)
            return false;
        const bool ok =
            UpdateWavSizes(out_, dataBytes_) && out_.Close() && written_.MoveTo(output_);
        if (!ok)
            LogFormatted(context_, Tr("文件写入出错。"));
        return ok;
    }

    const PeakMeter& peak() const { return peak_; }

  private:
    JobContext& context_;
    const std::uint32_t maxDataBytes_;
    std::string output_;
    TemporaryFile written_;
    BinaryFile out_;
    std::unique_ptr<std::uint8_t[]> pcm_;
    std::size_t fill_ = 0;
    std::size_t blockAlign_ = 4;
    std::uint32_t dataBytes_ = 0;
    bool failed_ = false;
    bool limitReached_ = false;
    PeakMeter peak_;
};

enum class DecodeEnd { kEnded, kCancelled };

// Decodes frame after frame into the WAV: to the end of the stream (its tail shorter than
// a frame: an ID3v1 record, a truncated last frame), a frame that does not decode, a read
// or write error (logged) or the size limit; or until the user cancels.
DecodeEnd DecodeFrames(JobContext& context, InputBuffer& input, MpegDecoder& decoder,
                       std::size_t firstFrameBytes, std::uint64_t fileSize, std::uint32_t t0,
                       DecodedWav& wav) {
    unsigned frames = 0;
    for (;;) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogFormatted(context, Tr("用户已取消。"));
            context.aborted = true;
            return DecodeEnd::kCancelled;
        }
        if (!input.Refill()) {
            LogFormatted(context, Tr("解码过程发生文件读取错误。"));
            return DecodeEnd::kEnded;
        }
        const std::uint8_t* here = input.Here();
        const std::size_t left = input.Remaining();
        const std::size_t frameBytes = DecodableFrameBytes(here, left);
        // Without a header at hand, the tail is measured against a frame of the stream.
        if (left < (frameBytes != 0 ? frameBytes : firstFrameBytes))
            return DecodeEnd::kEnded;
        if (frameBytes == 0) {
            input.Advance(1);
            continue;
        }
        const MpegFrameResult r = decoder.DecodeFrame(here, left, wav.Free(), wav.FreeBytes());
        if (r.consumed < 1) {
            LogFormatted(context, Tr("坏同步在 MPEG 文件中。"));
            return DecodeEnd::kEnded;
        }
        input.Advance(static_cast<std::size_t>(r.consumed));
        wav.Added(r.pcmBytes);
        if (wav.Full() && !wav.Flush())
            return DecodeEnd::kEnded;
        if (++frames % kDecodeProgressFrames == 0 && context.progressWindow) {
            const std::uint64_t perMille =
                fileSize > 0 ? std::min<std::uint64_t>(1000, input.FileOffset() * 1000 / fileSize)
                             : 0;
            context.progressWindow->post(WM_ENCODE_PROGRESS, static_cast<std::intptr_t>(perMille),
                                         static_cast<std::intptr_t>(TickCount() - t0));
        }
    }
}

}  // namespace

DecodeOptions DecodeOptionsFrom(const Settings& settings) {
    DecodeOptions options;
    options.normalize = settings.Normalize != 0;
    options.normalizeRatio = settings.NormalizeRatio;
    return options;
}

std::uint64_t SkipVbrInfoFrames(BinaryFile& file, std::uint64_t from) {
    std::uint8_t block[kVbrScanBlock];
    std::uint64_t start = from;
    std::uint64_t pos = from;
    for (;;) {
        const std::int64_t got = file.ReadAt(pos, block, sizeof block);
        if (got < 2)
            return start;
        const auto n = static_cast<std::size_t>(got);
        const std::size_t limit = std::min(n - 1, kVbrScanTested);
        std::size_t i = 0;
        while (i < limit) {
            if (block[i] != 0xFF || (block[i + 1] & 0xE0) != 0xE0) {
                ++i;
                continue;
            }
            MpegHeader header;
            const bool parsed = ParseMpegHeader(block + i, header);
            const std::size_t marker = i + VbrTagOffset(header);
            if (!parsed || marker + 4 > n || std::memcmp(block + marker, "Xing", 4) != 0)
                return pos + i;
            // Free-format frames have no length in their header; step over the header.
            std::size_t length = Layer3FrameBytes(header);
            if (length == 0)
                length = header.bitRateIndex == 0 ? 4 : 1;
            i += length;
            start = pos + i;
        }
        if (n < sizeof block)
            return start;
        pos += std::max(i, kVbrScanTested);
    }
}

int DecodeMp3ToWav(const std::string& source, const std::string& output, JobContext& context,
                   const DecodeOptions& options) {
    LogFormatted(context, Tr("解码文件 ") + source);
    if (context.progressWindow)
        context.progressWindow->send(WM_DECODE_STATUS, 0, 0, source);

    BinaryFile in;
    if (!OpenDecoderInput(context, source, in))
        return 0;
    const auto fileSize = static_cast<std::uint64_t>(std::max<std::int64_t>(0, in.Size()));
    InputBuffer input(in);
    if (!FindFirstFrame(context, in, input))
        return 0;
    MpegHeader first;
    const std::size_t firstFrameBytes = MpegReadHeader(input.Here(), input.Remaining(), first);
    if (firstFrameBytes == 0) {
        LogFormatted(context, Tr("坏的或不支持的 MPEG 文件。"));
        return 0;
    }

    DecodedWav wav(context, options.maxDataBytes);
    if (!wav.Open(source, output))
        return 0;
    MpegDecoder decoder;
    if (!decoder.Init(first, firstFrameBytes, 0, 0, 0, kFullBandwidth)) {
        LogFormatted(context, Tr("解码器初始化失败。"));
        return 0;
    }
    if (!wav.WriteHeader(decoder.Info()))
        return 0;

    const std::uint32_t t0 = TickCount();
    const DecodeEnd end = DecodeFrames(context, input, decoder, firstFrameBytes, fileSize, t0, wav);
    // After a cancel, what was decoded stays as a sound WAV, unless it could not all be
    // written. A write that failed (a full disk) is a failure the user must see, not a
    // decoded file: nothing is left of it.
    wav.Flush();
    if (!wav.Finish() || end == DecodeEnd::kCancelled)
        return 0;
    in.Close();

    if (context.progressWindow)
        context.progressWindow->post(WM_ENCODE_PROGRESS, 1000,
                                     static_cast<std::intptr_t>(TickCount() - t0));
    LogFormatted(context, Tr("解码 MPEG 文件成功！"));

    if (options.normalize) {
        if (context.progressWindow)
            context.progressWindow->send(WM_ITEM_STATUS, 1, 0, output);
        // A silent file has no gain; ApplyGain's result does not change this one's.
        if (const std::optional<double> gain =
                NormalizeGain(options.normalizeRatio, wav.peak().Peak()))
            ApplyGain(context.progressWindow, output, *gain, context);
    }
    return 1;
}

}  // namespace korvida

#include "core/encode/Mp3Encoder.h"

#include <algorithm>
#include <memory>
#include <new>

#include "core/encode/EncodeItem.h"
#include "core/encode/EncodeLoop.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/EncoderLibrary.h"
#include "core/encode/Id3Tag.h"
#include "core/jobs/JobContext.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

using namespace lame_enc;

constexpr std::uint32_t kChunksPerProgress = 10;

std::uint32_t BitRateOf(int index) {
    return kMp3BitRates[static_cast<std::size_t>(std::clamp(index, 0, 13))];
}

// One encoder stream, closed exactly once whichever way the encode ends, and the buffer
// its output goes through.
class EncoderStream {
  public:
    explicit EncoderStream(const EncoderEntryPoints& encoder) : encoder_(encoder) {}
    ~EncoderStream() { Close(); }
    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;

    // The encoder tells how many samples it takes at a time.
    bool Open(const LameConfigRecord& record, std::uint32_t* samples) {
        if (!encoder_.IsBound())
            return false;
        open_ = encoder_.beInitStream(record.data(), samples, &bufferSize_, &handle_) ==
                BE_ERR_SUCCESSFUL;
        return open_;
    }
    // The output buffer, of the size the encoder asked for.
    bool Allocate() {
        buffer_.reset(new (std::nothrow) std::uint8_t[bufferSize_]);
        return buffer_ != nullptr;
    }
    // Encodes `samples` samples and writes what comes out. False after logging.
    bool Encode(JobContext& context, BinaryFile& output, std::uint32_t samples,
                const std::int16_t* pcm) {
        std::uint32_t bytes = 0;
        if (encoder_.beEncodeChunk(handle_, samples, pcm, buffer_.get(), &bytes) !=
            BE_ERR_SUCCESSFUL) {
            LogPlain(context, Tr("错误: 编码器功能 beEncodeChunk() 失败！"));
            return false;
        }
        return Write(context, output, bytes);
    }
    // Writes the encoder's last frames. False after logging.
    bool Flush(JobContext& context, BinaryFile& output) {
        std::uint32_t bytes = 0;
        if (encoder_.beDeinitStream(handle_, buffer_.get(), &bytes) != BE_ERR_SUCCESSFUL) {
            LogPlain(context, Tr("错误: 编码器功能 beDeinitStream() 失败！"));
            return false;
        }
        return Write(context, output, bytes);
    }
    bool Close() {
        const bool closed = !open_ || encoder_.beCloseStream(handle_) == BE_ERR_SUCCESSFUL;
        open_ = false;
        return closed;
    }
    const EncoderEntryPoints& encoder() const { return encoder_; }
    HBE_STREAM handle() const { return handle_; }

  private:
    bool Write(JobContext& context, BinaryFile& output, std::uint32_t bytes) {
        if (bytes > 0 && !output.Write(buffer_.get(), std::min(bytes, bufferSize_))) {
            LogFileError(context, output);
            return false;
        }
        return true;
    }

    const EncoderEntryPoints& encoder_;
    HBE_STREAM handle_ = 0;
    bool open_ = false;
    std::uint32_t bufferSize_ = 0;
    std::unique_ptr<std::uint8_t[]> buffer_;
};

// Rewrites the VBR header frame of the file at `path` from this stream's totals, when the
// module can: through the stream's own handle where the module takes one, else by the
// file alone. Logs a failure.
bool WriteVbrHeader(JobContext& context, const EncoderStream& stream, const std::string& path) {
    const EncoderEntryPoints& encoder = stream.encoder();
    if (encoder.beWriteStreamVBRHeader) {
        if (encoder.beWriteStreamVBRHeader(stream.handle(), path.c_str()) == BE_ERR_SUCCESSFUL)
            return true;
        LogPlain(context, Tr("错误: 编码器功能 beWriteStreamVBRHeader() 失败！"));
        return false;
    }
    if (!encoder.beWriteVBRHeader || encoder.beWriteVBRHeader(path.c_str()) == BE_ERR_SUCCESSFUL)
        return true;
    LogPlain(context, Tr("错误: 编码器功能 beWriteVBRHeader() 失败！"));
    return false;
}

// After the samples: the encoder's last frames and the ID3v1 tag, and the file closed;
// unless cancelled, the VBR header frame rewritten from the stream's totals (so the stream
// stays open until here) and the ID3v2 tag. False after logging.
bool FinishMp3File(JobContext& context, const EncodeTask& task, EncodeFiles& files,
                   EncoderStream& stream, bool cancelled) {
    const Settings& settings = *context.settings;
    BinaryFile& output = files.output();
    if (!stream.Flush(context, output))
        return false;
    if ((settings.EnableID3 && !WriteId3v1(output, *task.item)) || !output.Close()) {
        LogFileError(context, output);
        return false;
    }
    if (cancelled)
        return true;
    if (settings.WriteVBRHeader && settings.EnableVBR &&
        !WriteVbrHeader(context, stream, files.writtenPath()))
        return false;
    if (settings.EnableID3V2 && !WriteId3v2(files.writtenPath(), *task.item, task.coverArt.get())) {
        LogPlain(context, Tr("错误: 不能写入文件 ") + files.outputPath() + Tr(" 的 ID3v2 标签！"));
        return false;
    }
    return true;
}

}  // namespace

LameConfigRecord BuildLameConfig(const Settings& settings, const WavFormat& wav) {
    LameConfigRecord record{};
    const auto set = [&](std::size_t offset, std::uint32_t value) {
        SetConfig32(record.data(), offset, value);
    };
    const auto setSigned = [&](std::size_t offset, std::int32_t value) {
        set(offset, static_cast<std::uint32_t>(value));
    };
    set(kOffConfig, kConfigLame);
    set(kOffStructVersion, kConfigVersion);
    set(kOffStructSize, kConfigSize);
    set(kOffSampleRate, wav.sampleRate);
    set(kOffResampleRate, 0);
    // Mono in the record also tells the encoder that the samples are mono, so a stereo
    // file keeps a stereo mode even if StereoMode holds something else.
    std::int32_t mode = kModeStereo;
    if (wav.channels == 1)
        mode = kModeMono;
    else if (settings.StereoMode >= kModeStereo && settings.StereoMode <= kModeDualChannel)
        mode = settings.StereoMode;
    setSigned(kOffMode, mode);
    set(kOffBitrate, BitRateOf(settings.BitRate));
    set(kOffMaxBitrate, BitRateOf(settings.MaxBitRate));
    setSigned(kOffPreset, settings.MPEGQuality);
    set(kOffMpegVersion, kMpeg1);
    set(kOffPsyModel, 0);
    set(kOffEmphasis, 0);
    set(kOffPrivate, settings.Private ? 1 : 0);
    set(kOffCrc, 0);
    set(kOffCopyright, settings.Copyright ? 1 : 0);
    set(kOffOriginal, settings.Original ? 1 : 0);
    set(kOffWriteVbrHeader, settings.EnableVBR && settings.WriteVBRHeader ? 1 : 0);
    set(kOffEnableVbr, settings.EnableVBR ? 1 : 0);
    setSigned(kOffVbrQuality, settings.VBRQuality);
    return record;
}

int EncodeWavToMp3(JobContext& context, EncodeTask& task, const EncoderEntryPoints& encoder) {
    if (!task.item || !context.settings)
        return 0;
    EncodeFiles files(context, task);
    if (!files.CreateOutput() || !files.OpenInput(EncodeFiles::Accept::kAnyPcm16))
        return 0;
    const LameConfigRecord record = BuildLameConfig(*context.settings, files.wav().format);
    files.Announce(0);

    EncoderStream stream(encoder);
    std::uint32_t samplesPerChunk = 0;
    // A chunk of no samples would never advance the loop below.
    if (!stream.Open(record, &samplesPerChunk) || samplesPerChunk == 0) {
        LogPlain(context, Tr("错误: 初始化 mp3 编码器错误！"));
        return 0;
    }
    const std::uint64_t chunkBytes = std::uint64_t{samplesPerChunk} * 2;
    EncodeLoop loop(context, task, files);
    if (!loop.Allocate(chunkBytes))
        return 0;
    if (!stream.Allocate()) {
        LogPlain(context, Tr("错误: 内存不足！"));
        return 0;
    }
    if (!files.HasRoomForOutput())
        return 0;

    const auto encode = [&](std::size_t bytes) {
        return stream.Encode(context, files.output(), static_cast<std::uint32_t>(bytes / 2),
                             loop.samples());
    };
    // Whole chunks in the loop: the encoder takes no more than one at a time.
    const std::uint64_t length = files.dataLength();
    const EncodeLoopEnd end =
        loop.Run(length / chunkBytes * chunkBytes, kChunksPerProgress, encode);
    if (end == EncodeLoopEnd::kFailed)
        return 0;
    const bool cancelled = end == EncodeLoopEnd::kCancelled;
    // The tail, possibly empty; an odd last byte is read but makes no sample.
    const auto tail = static_cast<std::size_t>(length % chunkBytes);
    if (!cancelled && (!loop.ReadBlock(tail) || !encode(tail)))
        return 0;
    if (!FinishMp3File(context, task, files, stream, cancelled))
        return 0;
    if (!stream.Close()) {
        LogPlain(context, Tr("错误: 编码器功能 beCloseStream() 失败！"));
        return 0;
    }
    return loop.Finish(cancelled, TagFormat::kId3v2);
}

int EncodeWavToMp3(JobContext& context, EncodeTask& task) {
    return EncodeWavToMp3(context, task, TheEncoderLibrary().entryPoints());
}

}  // namespace korvida

#include "core/encode/Mp3Encoder.h"

#include <algorithm>
#include <memory>
#include <new>

#include "core/audio/LoudnessMeter.h"
#include "core/encode/EncodeItem.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/EncoderLibrary.h"
#include "core/encode/Id3Tag.h"
#include "core/encode/TrackReplayGain.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

using namespace lame_enc;

std::uint32_t BitRateOf(int index) {
    return kMp3BitRates[static_cast<std::size_t>(std::clamp(index, 0, 13))];
}

// One encoder stream, closed exactly once whichever way the encode ends.
class EncoderStream {
  public:
    explicit EncoderStream(const EncoderEntryPoints& encoder) : encoder_(encoder) {}
    ~EncoderStream() { Close(); }
    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;

    bool Open(const LameConfigRecord& record, std::uint32_t* samples, std::uint32_t* bufferSize) {
        if (!encoder_.IsBound())
            return false;
        open_ = encoder_.beInitStream(record.data(), samples, bufferSize, &handle_) ==
                BE_ERR_SUCCESSFUL;
        return open_;
    }
    bool Close() {
        const bool closed = !open_ || encoder_.beCloseStream(handle_) == BE_ERR_SUCCESSFUL;
        open_ = false;
        return closed;
    }
    HBE_STREAM handle() const { return handle_; }

  private:
    const EncoderEntryPoints& encoder_;
    HBE_STREAM handle_ = 0;
    bool open_ = false;
};

// Rewrites the VBR header frame of the file at `path` from this stream's totals, when the
// module can: through the stream's own handle where the module takes one, else by the
// file alone. Logs a failure.
bool WriteVbrHeader(JobContext& context, const EncoderEntryPoints& encoder,
                    const EncoderStream& stream, const std::string& path) {
    if (encoder.beWriteStreamVBRHeader) {
        if (encoder.beWriteStreamVBRHeader(stream.handle(), path.c_str()) == BE_ERR_SUCCESSFUL)
            return true;
        LogPlain(context, "错误: 编码器功能 beWriteStreamVBRHeader() 失败！");
        return false;
    }
    if (!encoder.beWriteVBRHeader || encoder.beWriteVBRHeader(path.c_str()) == BE_ERR_SUCCESSFUL)
        return true;
    LogPlain(context, "错误: 编码器功能 beWriteVBRHeader() 失败！");
    return false;
}

// Reads exactly `size` bytes; logs why not.
bool ReadExactly(JobContext& context, EncodeFiles& files, void* buffer, std::size_t size) {
    const std::int64_t got = files.input().Read(buffer, size);
    if (got == static_cast<std::int64_t>(size))
        return true;
    if (got < 0)
        LogFileError(context, files.input());
    else  // the file shrank while we read it
        LogFormatted(context, "错误: 不能读取文件 " + files.inputPath() + "！");
    return false;
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
    EncodeItem& item = *task.item;
    const Settings& settings = *context.settings;

    EncodeFiles files(context, task);
    if (!files.CreateOutput() || !files.OpenInput(EncodeFiles::Accept::kAnyPcm16))
        return 0;
    const LameConfigRecord record = BuildLameConfig(settings, files.wav().format);

    LogPlain(context, "正在编码 " + item.name + " ...");
    if (context.progressWindow)
        context.progressWindow->post(WM_ENCODE_STATUS, 0, 0, item.name);

    EncoderStream stream(encoder);
    std::uint32_t samplesPerChunk = 0;
    std::uint32_t bufferSize = 0;
    // A chunk of no samples would never advance the loop below.
    if (!stream.Open(record, &samplesPerChunk, &bufferSize) || samplesPerChunk == 0) {
        LogPlain(context, "错误: 初始化 mp3 编码器错误！");
        return 0;
    }
    // Buffers sized by the encoder; the samples are read straight into 16-bit storage.
    std::unique_ptr<std::int16_t[]> pcm(new (std::nothrow) std::int16_t[samplesPerChunk]);
    std::unique_ptr<std::uint8_t[]> mp3(new (std::nothrow) std::uint8_t[bufferSize]);
    if (!pcm || !mp3) {
        LogPlain(context, "错误: 内存不足！");
        return 0;
    }
    if (!files.HasRoomForOutput())
        return 0;
    // ReplayGain: the samples are measured as they go to the encoder.
    const unsigned channels = files.wav().format.channels;
    if (!StartTrackMeter(context, task, files.wav().format))
        return 0;

    BinaryFile& output = files.output();
    const auto encode = [&](std::uint32_t samples) {
        if (task.loudness)
            task.loudness->Add(pcm.get(), samples / channels);
        std::uint32_t bytes = 0;
        if (encoder.beEncodeChunk(stream.handle(), samples, pcm.get(), mp3.get(), &bytes) !=
            BE_ERR_SUCCESSFUL) {
            LogPlain(context, "错误: 编码器功能 beEncodeChunk() 失败！");
            return false;
        }
        if (bytes > 0 && !output.Write(mp3.get(), std::min(bytes, bufferSize))) {
            LogFileError(context, output);
            return false;
        }
        return true;
    };

    const std::uint64_t length = files.dataLength();
    const std::uint64_t chunkBytes = std::uint64_t{samplesPerChunk} * 2;
    std::uint64_t done = 0;
    std::uint32_t chunks = 0;
    bool cancelled = false;
    const std::uint32_t loopStart = TickCount();
    if (!files.input().Seek(files.wav().dataOffset)) {
        LogFileError(context, files.input());
        return 0;
    }
    while (length - done >= chunkBytes) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, "用户取消操作。");
            cancelled = true;
            context.aborted = true;
            break;
        }
        if (!ReadExactly(context, files, pcm.get(), chunkBytes) || !encode(samplesPerChunk))
            return 0;
        done += chunkBytes;
        if (++chunks % 10 == 0 && context.progressWindow)
            context.progressWindow->post(WM_ENCODE_PROGRESS, PerMille(done, length),
                                         static_cast<std::intptr_t>(TickCount() - loopStart));
    }
    if (!cancelled) {
        // The tail, possibly empty; an odd last byte is read but makes no sample.
        const std::uint64_t tail = length - done;
        if (!ReadExactly(context, files, pcm.get(), tail) ||
            !encode(static_cast<std::uint32_t>(tail / 2)))
            return 0;
    }

    std::uint32_t flushed = 0;
    if (encoder.beDeinitStream(stream.handle(), mp3.get(), &flushed) != BE_ERR_SUCCESSFUL) {
        LogPlain(context, "错误: 编码器功能 beDeinitStream() 失败！");
        return 0;
    }
    if (flushed > 0 && !output.Write(mp3.get(), std::min(flushed, bufferSize))) {
        LogFileError(context, output);
        return 0;
    }
    if (settings.EnableID3 && !WriteId3v1(output, item)) {
        LogFileError(context, output);
        return 0;
    }
    if (!output.Close()) {
        LogFileError(context, output);
        return 0;
    }
    if (!cancelled) {
        // The header frame is rewritten from the stream's totals, so the stream stays
        // open until here.
        if (settings.WriteVBRHeader && settings.EnableVBR &&
            !WriteVbrHeader(context, encoder, stream, files.writtenPath()))
            return 0;
        if (settings.EnableID3V2 && !WriteId3v2(files.writtenPath(), item, task.coverArt.get())) {
            LogPlain(context, "错误: 不能写入文件 " + files.outputPath() + " 的 ID3v2 标签！");
            return 0;
        }
        if (!TagTrackReplayGain(context, task, files, TagFormat::kId3v2))
            return 0;
    }
    files.input().Close();
    if (!stream.Close()) {
        LogPlain(context, "错误: 编码器功能 beCloseStream() 失败！");
        return 0;
    }
    return files.Finish(cancelled, loopStart) ? 1 : 0;
}

int EncodeWavToMp3(JobContext& context, EncodeTask& task) {
    return EncodeWavToMp3(context, task, TheEncoderLibrary().entryPoints());
}

}  // namespace korvida

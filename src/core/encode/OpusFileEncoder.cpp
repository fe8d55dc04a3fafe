#include "core/encode/OpusFileEncoder.h"

#include <opusenc.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/audio/LoudnessMeter.h"
#include "core/encode/EncodeItem.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/OggStreamSerial.h"
#include "core/encode/TrackReplayGain.h"
#include "core/encode/VorbisComments.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

constexpr std::size_t kReadFrames = 8192;
// Progress every 256 KiB (1.5 s of audio): each message wakes the window's thread.
constexpr std::uint32_t kReadsPerProgress = 8;
constexpr int kDefaultKbits = 160;
constexpr int kFrontCover = 3;

// What libopusenc writes to. A failed write is remembered, so the caller can name the
// file and the system's reason; once abandoned (a cancel), nothing more is written.
struct Sink {
    BinaryFile& output;
    bool failed = false;
    bool abandoned = false;
};

int WritePage(void* data, const unsigned char* bytes, opus_int32 length) {
    Sink& sink = *static_cast<Sink*>(data);
    if (sink.abandoned || sink.failed)
        return 1;
    if (!sink.output.Write(bytes, static_cast<std::size_t>(length))) {
        sink.failed = true;
        return 1;
    }
    return 0;
}

// The file is closed by the stage, which checks that close.
int CloseNothing(void*) {
    return 0;
}

struct CommentsDeleter {
    void operator()(OggOpusComments* c) const { ope_comments_destroy(c); }
};
struct EncoderDeleter {
    void operator()(OggOpusEnc* e) const { ope_encoder_destroy(e); }
};

void LogFailure(JobContext& context, const Sink& sink, const char* call, int error) {
    if (sink.failed)
        LogFileError(context, sink.output);
    else
        LogPlain(context, std::string("错误: 编码器功能 ") + call + "() 失败 (" +
                              ope_strerror(error) + ")！");
}

}  // namespace

int OpusBitRate(int kbits) {
    return (kbits >= 6 && kbits <= 510 ? kbits : kDefaultKbits) * 1000;
}

int EncodeWavToOpus(JobContext& context, EncodeTask& task) {
    if (!task.item || !context.settings)
        return 0;
    EncodeItem& item = *task.item;
    const Settings& settings = *context.settings;

    LogPlain(context, "正在编码 " + item.name + " ...");
    if (context.progressWindow)
        context.progressWindow->post(WM_ENCODE_STATUS, 4, 0, item.name);

    EncodeFiles files(context, task);
    if (!files.CreateOutput() || !files.OpenInput(EncodeFiles::Accept::kCdAudio) ||
        !files.HasRoomForOutput())
        return 0;
    BinaryFile& input = files.input();
    const std::uint64_t length = files.dataLength();
    const std::uint64_t totalBytes = length / 4 * 4;  // an incomplete last frame is dropped

    std::unique_ptr<OggOpusComments, CommentsDeleter> comments(ope_comments_create());
    if (!comments) {
        LogPlain(context, "错误: 初始化 Opus 编码器错误！");
        return 0;
    }
    for (const std::string& comment : TaskComments(task, settings.ogg)) {
        if (ope_comments_add_string(comments.get(), comment.c_str()) != OPE_OK) {
            LogPlain(context, "错误: 初始化 Opus 编码器错误！");
            return 0;
        }
    }
    // A cover libopusenc cannot read (neither JPEG, PNG nor GIF) is left out: the
    // audio matters more than its picture.
    if (task.coverArt && !task.coverArt->empty() &&
        ope_comments_add_picture_from_memory(comments.get(),
                                             reinterpret_cast<const char*>(task.coverArt->data()),
                                             task.coverArt->size(), kFrontCover, nullptr) != OPE_OK)
        LogPlain(context, "封面图片的格式无法识别，未写入 " + files.outputPath() + "。");

    Sink sink{files.output()};
    const OpusEncCallbacks callbacks{WritePage, CloseNothing};
    int error = OPE_OK;
    std::unique_ptr<OggOpusEnc, EncoderDeleter> encoder(
        ope_encoder_create_callbacks(&callbacks, &sink, comments.get(), 44100, 2, 0, &error));
    if (!encoder) {
        LogFailure(context, sink, "ope_encoder_create_callbacks", error);
        return 0;
    }
    // Each file its own stream serial, as for Ogg Vorbis.
    error = ope_encoder_ctl(encoder.get(), OPE_SET_SERIALNO(OggStreamSerial()));
    if (error == OPE_OK)
        error = ope_encoder_ctl(encoder.get(), OPUS_SET_BITRATE(OpusBitRate(settings.OpusBitrate)));
    // Unconstrained VBR, as the reference encoder makes its files: the bit rate is the
    // average, and passages that need fewer bits get fewer (libopus's own default, the
    // constrained kind, spends the full rate on every frame of busy music).
    if (error == OPE_OK)
        error = ope_encoder_ctl(encoder.get(), OPUS_SET_VBR_CONSTRAINT(0));
    // The samples have 16 significant bits: none are spent on what lies below them.
    if (error == OPE_OK)
        error = ope_encoder_ctl(encoder.get(), OPUS_SET_LSB_DEPTH(16));
    if (error != OPE_OK) {
        LogFailure(context, sink, "ope_encoder_ctl", error);
        return 0;
    }

    if (!StartTrackMeter(context, task, files.wav().format))
        return 0;
    std::uint64_t done = 0;
    bool cancelled = false;
    std::vector<std::uint8_t> bytes(kReadFrames * 4);
    std::vector<opus_int16> samples(kReadFrames * 2);
    std::uint32_t reads = 0;
    const std::uint32_t loopStart = TickCount();
    if (!input.Seek(files.wav().dataOffset)) {
        LogFileError(context, input);
        return 0;
    }
    while (done < totalBytes) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, "用户取消操作。");
            cancelled = true;
            context.aborted = true;
            sink.abandoned = true;
            break;
        }
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), totalBytes - done));
        const std::int64_t got = input.Read(bytes.data(), want);
        if (got < 0) {
            LogFileError(context, input);
            return 0;
        }
        if (got == 0) {
            LogFormatted(context, "错误: 不能读取文件 " + files.inputPath() + "！");
            return 0;
        }
        const std::size_t frames = static_cast<std::size_t>(got) / 4;
        for (std::size_t i = 0; i < frames * 2; ++i)
            samples[i] = static_cast<opus_int16>(
                static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        if (task.loudness)
            task.loudness->Add(samples.data(), frames);
        error = ope_encoder_write(encoder.get(), samples.data(), static_cast<int>(frames));
        if (error != OPE_OK || sink.failed) {
            LogFailure(context, sink, "ope_encoder_write", error);
            return 0;
        }
        done += frames * 4;
        if (++reads % kReadsPerProgress == 0 && context.progressWindow)
            context.progressWindow->post(WM_ENCODE_PROGRESS, PerMille(done, length),
                                         static_cast<std::intptr_t>(TickCount() - loopStart));
    }
    if (!cancelled) {
        // The rest of the samples, padded as the pre-skip asks, and the last page.
        error = ope_encoder_drain(encoder.get());
        if (error != OPE_OK || sink.failed) {
            LogFailure(context, sink, "ope_encoder_drain", error);
            return 0;
        }
    }
    encoder.reset();
    if (!files.output().Close() && !cancelled) {
        LogFileError(context, files.output());
        return 0;
    }
    if (!cancelled && !TagTrackReplayGain(context, task, files, TagFormat::kOggOpus))
        return 0;
    input.Close();
    return files.Finish(cancelled, loopStart) ? 1 : 0;
}

}  // namespace korvida

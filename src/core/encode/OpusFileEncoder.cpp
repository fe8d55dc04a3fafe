#include "core/encode/OpusFileEncoder.h"

#include <opusenc.h>

#include <memory>
#include <string>
#include <vector>

#include "core/encode/EncodeLoop.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/OggStreamSerial.h"
#include "core/encode/VorbisComments.h"
#include "core/jobs/JobContext.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"

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
using CommentsPointer = std::unique_ptr<OggOpusComments, CommentsDeleter>;
struct EncoderDeleter {
    void operator()(OggOpusEnc* e) const { ope_encoder_destroy(e); }
};
using EncoderPointer = std::unique_ptr<OggOpusEnc, EncoderDeleter>;

void LogFailure(JobContext& context, const Sink& sink, const char* call, int error) {
    if (sink.failed)
        LogFileError(context, sink.output);
    else
        LogPlain(context, std::string(Tr("错误: 编码器功能 ")) + call + Tr("() 失败 (") +
                              ope_strerror(error) + Tr(")！"));
}

// The task's comments and cover as libopusenc takes them; null after logging.
CommentsPointer MakeComments(JobContext& context, const EncodeTask& task,
                             const EncodeFiles& files) {
    CommentsPointer comments(ope_comments_create());
    if (!comments) {
        LogPlain(context, Tr("错误: 初始化 Opus 编码器错误！"));
        return nullptr;
    }
    for (const std::string& comment : TaskComments(task, context.settings->ogg)) {
        if (ope_comments_add_string(comments.get(), comment.c_str()) != OPE_OK) {
            LogPlain(context, Tr("错误: 初始化 Opus 编码器错误！"));
            return nullptr;
        }
    }
    // A cover libopusenc cannot read (neither JPEG, PNG nor GIF) is left out: the
    // audio matters more than its picture.
    if (task.coverArt && !task.coverArt->empty() &&
        ope_comments_add_picture_from_memory(comments.get(),
                                             reinterpret_cast<const char*>(task.coverArt->data()),
                                             task.coverArt->size(), kFrontCover, nullptr) != OPE_OK)
        LogPlain(context, Tr("封面图片的格式无法识别，未写入 ") + files.outputPath() + Tr("。"));
    return comments;
}

// The stream's serial and the encoder's settings; the first error, or OPE_OK.
int Configure(OggOpusEnc* encoder, int kbits) {
    // Each file its own stream serial, as for Ogg Vorbis.
    int error = ope_encoder_ctl(encoder, OPE_SET_SERIALNO(OggStreamSerial()));
    if (error == OPE_OK)
        error = ope_encoder_ctl(encoder, OPUS_SET_BITRATE(OpusBitRate(kbits)));
    // Unconstrained VBR, as the reference encoder makes its files: the bit rate is the
    // average, and passages that need fewer bits get fewer (libopus's own default, the
    // constrained kind, spends the full rate on every frame of busy music).
    if (error == OPE_OK)
        error = ope_encoder_ctl(encoder, OPUS_SET_VBR_CONSTRAINT(0));
    // The samples have 16 significant bits: none are spent on what lies below them.
    if (error == OPE_OK)
        error = ope_encoder_ctl(encoder, OPUS_SET_LSB_DEPTH(16));
    return error;
}

}  // namespace

int OpusBitRate(int kbits) {
    return (kbits >= 6 && kbits <= 510 ? kbits : kDefaultKbits) * 1000;
}

int EncodeWavToOpus(JobContext& context, EncodeTask& task) {
    EncodeFiles files(context, task);
    if (!files.Begin(4) || !files.HasRoomForOutput())
        return 0;
    const std::uint64_t totalBytes =
        files.dataLength() / 4 * 4;  // an incomplete last frame is dropped

    const CommentsPointer comments = MakeComments(context, task, files);
    if (!comments)
        return 0;
    Sink sink{files.output()};
    const OpusEncCallbacks callbacks{WritePage, CloseNothing};
    int error = OPE_OK;
    EncoderPointer encoder(
        ope_encoder_create_callbacks(&callbacks, &sink, comments.get(), 44100, 2, 0, &error));
    if (!encoder) {
        LogFailure(context, sink, "ope_encoder_create_callbacks", error);
        return 0;
    }
    error = Configure(encoder.get(), context.settings->OpusBitrate);
    if (error != OPE_OK) {
        LogFailure(context, sink, "ope_encoder_ctl", error);
        return 0;
    }

    EncodeLoop loop(context, task, files);
    if (!loop.Allocate(kReadFrames * 4))
        return 0;
    const auto encode = [&](std::size_t bytes) {
        const int frames = static_cast<int>(bytes / 4);
        error = ope_encoder_write(encoder.get(), loop.samples(), frames);
        if (error == OPE_OK && !sink.failed)
            return true;
        LogFailure(context, sink, "ope_encoder_write", error);
        return false;
    };
    const EncodeLoopEnd end = loop.Run(totalBytes, kReadsPerProgress, encode);
    if (end == EncodeLoopEnd::kFailed)
        return 0;
    const bool cancelled = end == EncodeLoopEnd::kCancelled;
    if (cancelled) {
        sink.abandoned = true;
    } else {
        // The rest of the samples, padded as the pre-skip asks, and the last page.
        error = ope_encoder_drain(encoder.get());
        if (error != OPE_OK || sink.failed) {
            LogFailure(context, sink, "ope_encoder_drain", error);
            return 0;
        }
    }
    encoder.reset();
    return loop.Finish(cancelled, TagFormat::kOggOpus);
}

}  // namespace korvida

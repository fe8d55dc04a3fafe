#include "core/encode/FlacEncoder.h"
#include "core/encode/CoverPicture.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/audio/LoudnessMeter.h"
#include "core/encode/EncodeItem.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/FlacVerifier.h"
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
constexpr unsigned kDefaultLevel = 5;
// A seek point every ten seconds, as players expect for a quick jump.
constexpr unsigned kSeekPointSpacing = 10 * 44100;
// Room for tags written after the encode (loudness values, an edited title): they fit
// without moving the audio.
constexpr unsigned kPaddingBytes = 8192;

// What libFLAC's callbacks write to. A failed write or seek is remembered, so the caller
// can name the file and the system's reason; once abandoned (a cancel), nothing more is
// written. The stream goes to the verifier as well, up to the first seek: after the
// audio, the encoder goes back to complete the header, which the verifier has had.
struct Sink {
    BinaryFile& output;
    FlacVerifier& verifier;
    bool failed = false;
    bool abandoned = false;
    bool feeding = true;
};

FLAC__StreamEncoderWriteStatus WriteBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                          size_t bytes, uint32_t, uint32_t, void* data) {
    Sink& sink = *static_cast<Sink*>(data);
    if (sink.abandoned || sink.failed)
        return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    if (!sink.output.Write(buffer, bytes)) {
        sink.failed = true;
        return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }
    // A failed check shows when the verifier finishes.
    if (sink.feeding)
        sink.verifier.Feed(buffer, bytes);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

FLAC__StreamEncoderSeekStatus SeekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* data) {
    Sink& sink = *static_cast<Sink*>(data);
    sink.feeding = false;
    if (sink.abandoned || sink.failed)
        return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    if (!sink.output.Seek(offset)) {
        sink.failed = true;
        return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    }
    return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
}

FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* data) {
    Sink& sink = *static_cast<Sink*>(data);
    const std::int64_t position = sink.output.Position();
    if (position < 0) {
        sink.failed = true;
        return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
    }
    *offset = static_cast<FLAC__uint64>(position);
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

struct EncoderDeleter {
    void operator()(FLAC__StreamEncoder* e) const { FLAC__stream_encoder_delete(e); }
};
using EncoderPointer = std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter>;

// The metadata blocks after STREAMINFO. libFLAC reads them until the encoder is finished,
// so they live as long as it; declared before the encoder, they go after it.
class MetadataBlocks {
  public:
    MetadataBlocks() = default;
    MetadataBlocks(const MetadataBlocks&) = delete;
    MetadataBlocks& operator=(const MetadataBlocks&) = delete;
    ~MetadataBlocks() {
        for (FLAC__StreamMetadata* block : blocks_)
            FLAC__metadata_object_delete(block);
    }

    // A new block of the type, owned here; null when out of memory.
    FLAC__StreamMetadata* Add(FLAC__MetadataType type) {
        FLAC__StreamMetadata* block = FLAC__metadata_object_new(type);
        if (block)
            blocks_.push_back(block);
        return block;
    }
    std::vector<FLAC__StreamMetadata*>& blocks() { return blocks_; }

  private:
    std::vector<FLAC__StreamMetadata*> blocks_;
};

bool AddMetadata(MetadataBlocks& metadata, const std::vector<std::string>& comments,
                 const EncodeTask& task, std::uint64_t totalFrames) {
    if (totalFrames > 0) {
        FLAC__StreamMetadata* table = metadata.Add(FLAC__METADATA_TYPE_SEEKTABLE);
        if (!table ||
            !FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
                table, kSeekPointSpacing, totalFrames) ||
            !FLAC__metadata_object_seektable_template_sort(table, true))
            return false;
    }
    FLAC__StreamMetadata* tags = metadata.Add(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (!tags)
        return false;
    for (const std::string& comment : comments) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        entry.length = static_cast<FLAC__uint32>(comment.size());
        entry.entry = reinterpret_cast<FLAC__byte*>(const_cast<char*>(comment.data()));
        if (!FLAC__metadata_object_vorbiscomment_append_comment(tags, entry, true))
            return false;
    }
    const std::optional<CoverPicture> cover =
        task.coverArt ? DescribeCover(*task.coverArt) : std::nullopt;
    if (cover) {
        FLAC__StreamMetadata* picture = metadata.Add(FLAC__METADATA_TYPE_PICTURE);
        if (!picture)
            return false;
        picture->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
        picture->data.picture.width = cover->width;
        picture->data.picture.height = cover->height;
        picture->data.picture.depth = cover->depth;
        std::vector<std::uint8_t> bytes = *task.coverArt;
        std::string mime = cover->mimeType;
        if (!FLAC__metadata_object_picture_set_mime_type(picture, mime.data(), true) ||
            !FLAC__metadata_object_picture_set_data(picture, bytes.data(),
                                                    static_cast<FLAC__uint32>(bytes.size()), true))
            return false;
    }
    FLAC__StreamMetadata* padding = metadata.Add(FLAC__METADATA_TYPE_PADDING);
    if (!padding)
        return false;
    padding->length = kPaddingBytes;
    return true;
}

// Why libFLAC stopped, as a log line: the file's own error when a write failed, the
// verification's finding, or the call that failed.
void LogEncoderFailure(JobContext& context, const Sink& sink, const FLAC__StreamEncoder* encoder,
                       const char* call) {
    if (sink.failed) {
        LogFileError(context, sink.output);
        return;
    }
    const FLAC__StreamEncoderState state = FLAC__stream_encoder_get_state(encoder);
    LogPlain(context, std::string("错误: 编码器功能 ") + call + "() 失败 (" +
                          FLAC__StreamEncoderStateString[state] + ")！");
}

}  // namespace

unsigned FlacLevel(int level) {
    return level >= 0 && level <= 8 ? static_cast<unsigned>(level) : kDefaultLevel;
}

int EncodeWavToFlac(JobContext& context, EncodeTask& task) {
    if (!task.item || !context.settings)
        return 0;
    EncodeItem& item = *task.item;
    const Settings& settings = *context.settings;

    LogPlain(context, "正在编码 " + item.name + " ...");
    if (context.progressWindow)
        context.progressWindow->post(WM_ENCODE_STATUS, 3, 0, item.name);

    EncodeFiles files(context, task);
    if (!files.CreateOutput() || !files.OpenInput(EncodeFiles::Accept::kCdAudio) ||
        !files.HasRoomForOutput())
        return 0;
    BinaryFile& input = files.input();
    const std::uint64_t length = files.dataLength();
    const std::uint64_t totalFrames = length / 4;  // an incomplete last frame is dropped

    // Declared before the encoder: they outlive it, whose deletion may still write.
    MetadataBlocks metadata;
    FlacVerifier verifier;
    Sink sink{files.output(), verifier};
    EncoderPointer encoder(FLAC__stream_encoder_new());
    if (!encoder || !AddMetadata(metadata, TaskComments(task, settings.ogg), task, totalFrames)) {
        LogPlain(context, "错误: 初始化 FLAC 编码器错误！");
        return 0;
    }
    FLAC__StreamEncoder* e = encoder.get();
    // The setters fail only on an encoder already initialised. libFLAC's own verify mode
    // is left off: the verifier does the same check on a thread of its own.
    FLAC__stream_encoder_set_compression_level(e, FlacLevel(settings.FlacLevel));
    FLAC__stream_encoder_set_channels(e, 2);
    FLAC__stream_encoder_set_bits_per_sample(e, 16);
    FLAC__stream_encoder_set_sample_rate(e, 44100);
    FLAC__stream_encoder_set_total_samples_estimate(e, totalFrames);
    FLAC__stream_encoder_set_metadata(e, metadata.blocks().data(),
                                      static_cast<uint32_t>(metadata.blocks().size()));
    if (FLAC__stream_encoder_init_stream(e, WriteBytes, SeekTo, Tell, nullptr, &sink) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        if (sink.failed)
            LogFileError(context, sink.output);
        else
            LogPlain(context, "错误: 初始化 FLAC 编码器错误！");
        return 0;
    }

    if (!StartTrackMeter(context, task, files.wav().format))
        return 0;
    std::uint64_t done = 0;
    bool cancelled = false;
    std::vector<std::uint8_t> bytes(kReadFrames * 4);
    std::vector<FLAC__int32> samples(kReadFrames * 2);
    std::uint32_t reads = 0;
    const std::uint32_t loopStart = TickCount();
    if (!input.Seek(files.wav().dataOffset)) {
        LogFileError(context, input);
        return 0;
    }
    while (done / 4 < totalFrames) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, "用户取消操作。");
            cancelled = true;
            context.aborted = true;
            sink.abandoned = true;  // the encoder's last frames are not written
            break;
        }
        // Reads stop at the end of the data chunk: chunks after it are not samples.
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), totalFrames * 4 - done));
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
            samples[i] = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        if (task.loudness)  // the WAV's little-endian samples are the host's
            task.loudness->Add(reinterpret_cast<const std::int16_t*>(bytes.data()), frames);
        verifier.Expect(samples.data(), frames * 2);
        if (!FLAC__stream_encoder_process_interleaved(e, samples.data(),
                                                      static_cast<uint32_t>(frames))) {
            LogEncoderFailure(context, sink, e, "FLAC__stream_encoder_process_interleaved");
            return 0;
        }
        done += frames * 4;
        if (++reads % kReadsPerProgress == 0 && context.progressWindow)
            context.progressWindow->post(WM_ENCODE_PROGRESS, PerMille(done, length),
                                         static_cast<std::intptr_t>(TickCount() - loopStart));
    }
    // Finishing writes the last frames, checks them, and rewrites STREAMINFO (sample
    // count, MD5) and the seek table at the start of the file.
    if (!cancelled && !FLAC__stream_encoder_finish(e)) {
        LogEncoderFailure(context, sink, e, "FLAC__stream_encoder_finish");
        return 0;
    }
    if (!cancelled && verifier.Finish() != FlacVerifier::Result::kSame) {
        LogPlain(context, "错误: FLAC 校验失败，编码结果与原始采样不符！");
        return 0;
    }
    encoder.reset();
    if (!files.output().Close() && !cancelled) {
        LogFileError(context, files.output());
        return 0;
    }
    if (!cancelled && !TagTrackReplayGain(context, task, files, TagFormat::kFlac))
        return 0;
    input.Close();
    return files.Finish(cancelled, loopStart) ? 1 : 0;
}

}  // namespace korvida

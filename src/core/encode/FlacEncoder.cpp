#include "core/encode/FlacEncoder.h"
#include "core/encode/CoverPicture.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/encode/EncodeLoop.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/FlacVerifier.h"
#include "core/encode/VorbisComments.h"
#include "core/jobs/JobContext.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"

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
    LogPlain(context, std::string(Tr("错误: 编码器功能 ")) + call + Tr("() 失败 (") +
                          FLAC__StreamEncoderStateString[state] + Tr(")！"));
}

// The encoder's settings for one file of `totalFrames` frames with the metadata blocks,
// then its stream opened onto the sink. False after logging.
bool StartEncoder(JobContext& context, FLAC__StreamEncoder* e, unsigned level,
                  std::uint64_t totalFrames, MetadataBlocks& metadata, Sink& sink) {
    // The setters fail only on an encoder already initialised. libFLAC's own verify mode
    // is left off: the verifier does the same check on a thread of its own.
    FLAC__stream_encoder_set_compression_level(e, level);
    FLAC__stream_encoder_set_channels(e, 2);
    FLAC__stream_encoder_set_bits_per_sample(e, 16);
    FLAC__stream_encoder_set_sample_rate(e, 44100);
    FLAC__stream_encoder_set_total_samples_estimate(e, totalFrames);
    FLAC__stream_encoder_set_metadata(e, metadata.blocks().data(),
                                      static_cast<uint32_t>(metadata.blocks().size()));
    if (FLAC__stream_encoder_init_stream(e, WriteBytes, SeekTo, Tell, nullptr, &sink) ==
        FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        return true;
    if (sink.failed)
        LogFileError(context, sink.output);
    else
        LogPlain(context, Tr("错误: 初始化 FLAC 编码器错误！"));
    return false;
}

}  // namespace

unsigned FlacLevel(int level) {
    return level >= 0 && level <= 8 ? static_cast<unsigned>(level) : kDefaultLevel;
}

int EncodeWavToFlac(JobContext& context, EncodeTask& task) {
    EncodeFiles files(context, task);
    if (!files.Begin(3) || !files.HasRoomForOutput())
        return 0;
    const Settings& settings = *context.settings;
    const std::uint64_t totalFrames =
        files.dataLength() / 4;  // an incomplete last frame is dropped

    // Declared before the encoder: they outlive it, whose deletion may still write.
    MetadataBlocks metadata;
    FlacVerifier verifier;
    Sink sink{files.output(), verifier};
    EncoderPointer encoder(FLAC__stream_encoder_new());
    if (!encoder || !AddMetadata(metadata, TaskComments(task, settings.ogg), task, totalFrames)) {
        LogPlain(context, Tr("错误: 初始化 FLAC 编码器错误！"));
        return 0;
    }
    FLAC__StreamEncoder* e = encoder.get();
    if (!StartEncoder(context, e, FlacLevel(settings.FlacLevel), totalFrames, metadata, sink))
        return 0;

    EncodeLoop loop(context, task, files);
    if (!loop.Allocate(kReadFrames * 4))
        return 0;
    std::vector<FLAC__int32> samples(kReadFrames * 2);
    const auto encode = [&](std::size_t bytes) {
        const std::size_t frames = bytes / 4;
        std::copy_n(loop.samples(), frames * 2, samples.begin());
        verifier.Expect(samples.data(), frames * 2);
        if (FLAC__stream_encoder_process_interleaved(e, samples.data(),
                                                     static_cast<uint32_t>(frames)))
            return true;
        LogEncoderFailure(context, sink, e, "FLAC__stream_encoder_process_interleaved");
        return false;
    };
    const EncodeLoopEnd end = loop.Run(totalFrames * 4, kReadsPerProgress, encode);
    if (end == EncodeLoopEnd::kFailed)
        return 0;
    const bool cancelled = end == EncodeLoopEnd::kCancelled;
    if (cancelled) {
        sink.abandoned = true;  // the encoder's last frames are not written
    } else {
        // Finishing writes the last frames, checks them, and rewrites STREAMINFO (sample
        // count, MD5) and the seek table at the start of the file.
        if (!FLAC__stream_encoder_finish(e)) {
            LogEncoderFailure(context, sink, e, "FLAC__stream_encoder_finish");
            return 0;
        }
        if (verifier.Finish() != FlacVerifier::Result::kSame) {
            LogPlain(context, Tr("错误: FLAC 校验失败，编码结果与原始采样不符！"));
            return 0;
        }
    }
    encoder.reset();
    return loop.Finish(cancelled, TagFormat::kFlac);
}

}  // namespace korvida

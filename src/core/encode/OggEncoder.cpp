#include "core/encode/OggEncoder.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <optional>
#include <string>

#include "core/encode/CoverPicture.h"
#include "core/encode/EncodeItem.h"
#include "core/encode/EncodeLoop.h"
#include "core/encode/EncodeSteps.h"
#include "core/encode/OggStreamSerial.h"
#include "core/encode/VorbisComments.h"
#include "core/jobs/JobContext.h"
#include "core/settings/Settings.h"
#include "core/text/Base64Encode.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

// One read: 1024 stereo frames of 16 bits.
constexpr std::size_t kReadBytes = 4096;
constexpr int kReadFrames = static_cast<int>(kReadBytes / 4);
constexpr std::uint32_t kReadsPerProgress = 10;

// The libvorbis and libogg state of one file, cleared in reverse order of creation
// whichever way the encode ends.
struct VorbisState {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool hasInfo = false;
    bool hasComment = false;
    bool hasDsp = false;
    bool hasBlock = false;
    bool hasStream = false;

    VorbisState() = default;
    VorbisState(const VorbisState&) = delete;
    VorbisState& operator=(const VorbisState&) = delete;
    ~VorbisState() {
        if (hasStream)
            ogg_stream_clear(&stream);
        if (hasBlock)
            vorbis_block_clear(&block);
        if (hasDsp)
            vorbis_dsp_clear(&dsp);
        if (hasComment)
            vorbis_comment_clear(&comment);
        if (hasInfo)
            vorbis_info_clear(&info);
    }
};

bool WritePage(BinaryFile& output, const ogg_page& page) {
    return output.Write(page.header, static_cast<std::size_t>(page.header_len)) &&
           output.Write(page.body, static_cast<std::size_t>(page.body_len));
}

// Writes out every packet the stream holds, on pages however full. Logs a failed write.
bool FlushPages(JobContext& context, BinaryFile& output, ogg_stream_state& stream) {
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        if (!WritePage(output, page)) {
            LogFileError(context, output);
            return false;
        }
    }
    return true;
}

float Sample(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8))) / 32768.0f;
}

// A libvorbis or libogg call that failed, in the words of the MP3 encoder's lines.
bool Succeeded(JobContext& context, bool ok, const char* call) {
    if (!ok)
        LogPlain(context, std::string(Tr("错误: 编码器功能 ")) + call + Tr("() 失败！"));
    return ok;
}

// The encoder's state for one file: Vorbis at `quality`, the item's comments and cover.
// False after logging.
bool StartVorbis(JobContext& context, const EncodeTask& task, float quality, VorbisState& v) {
    vorbis_info_init(&v.info);
    v.hasInfo = true;
    // Cannot fail for 44100 Hz stereo and a quality in range; checked all the same,
    // because the analysis calls below would run on an unset mode.
    if (vorbis_encode_init_vbr(&v.info, 2, 44100, quality) != 0) {
        LogPlain(context, Tr("错误: 初始化 ogg 编码器错误！"));
        return false;
    }
    vorbis_comment_init(&v.comment);
    v.hasComment = true;
    for (const std::string& comment : VorbisComments(*task.item, context.settings->ogg))
        vorbis_comment_add(&v.comment, comment.c_str());
    if (task.coverArt) {
        if (const std::optional<CoverPicture> picture = DescribeCover(*task.coverArt)) {
            const std::vector<std::uint8_t> block = FlacPictureBlock(*task.coverArt, *picture);
            const std::string encoded = Base64Encode(
                std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
            vorbis_comment_add_tag(&v.comment, "METADATA_BLOCK_PICTURE", encoded.c_str());
        }
    }
    // Each state is cleared only when its init worked: the clear functions of libvorbis
    // take what they are given for initialised.
    v.hasDsp = vorbis_analysis_init(&v.dsp, &v.info) == 0;
    if (!Succeeded(context, v.hasDsp, "vorbis_analysis_init"))
        return false;
    v.hasBlock = vorbis_block_init(&v.dsp, &v.block) == 0;
    if (!Succeeded(context, v.hasBlock, "vorbis_block_init"))
        return false;
    v.hasStream = ogg_stream_init(&v.stream, OggStreamSerial()) == 0;
    return Succeeded(context, v.hasStream, "ogg_stream_init");
}

// The three header packets, flushed so that the audio starts on a page of its own. False
// after logging.
bool WriteHeaders(JobContext& context, BinaryFile& output, VorbisState& v) {
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    return Succeeded(context,
                     vorbis_analysis_headerout(&v.dsp, &v.comment, &identification, &comments,
                                               &codebooks) == 0,
                     "vorbis_analysis_headerout") &&
           Succeeded(context,
                     ogg_stream_packetin(&v.stream, &identification) == 0 &&
                         ogg_stream_packetin(&v.stream, &comments) == 0 &&
                         ogg_stream_packetin(&v.stream, &codebooks) == 0,
                     "ogg_stream_packetin") &&
           FlushPages(context, output, v.stream);
}

// Hands every block the analysis has ready to the stream and writes out the pages they
// fill, until the page that ends the stream. False after logging.
bool WriteReadyPages(JobContext& context, BinaryFile& output, VorbisState& v, bool& endOfStream) {
    ogg_packet packet;
    ogg_page page;
    while (!endOfStream && vorbis_analysis_blockout(&v.dsp, &v.block) == 1) {
        // Current libvorbis hands the packet over through the bit-rate manager.
        if (!Succeeded(context, vorbis_analysis(&v.block, nullptr) == 0, "vorbis_analysis") ||
            !Succeeded(context, vorbis_bitrate_addblock(&v.block) == 0, "vorbis_bitrate_addblock"))
            return false;
        while (!endOfStream && vorbis_bitrate_flushpacket(&v.dsp, &packet) == 1) {
            if (!Succeeded(context, ogg_stream_packetin(&v.stream, &packet) == 0,
                           "ogg_stream_packetin"))
                return false;
            while (!endOfStream && ogg_stream_pageout(&v.stream, &page) != 0) {
                if (!WritePage(output, page)) {
                    LogFileError(context, output);
                    return false;
                }
                endOfStream = ogg_page_eos(&page) != 0;
            }
        }
    }
    return true;
}

// After the last samples: marks the end of the stream and writes what is left. The last
// packet carries the end-of-stream mark; should its page not have come out, it is forced
// out rather than waiting for input that will never come. False after logging.
bool EndStream(JobContext& context, BinaryFile& output, VorbisState& v, bool& endOfStream) {
    if (!Succeeded(context, vorbis_analysis_wrote(&v.dsp, 0) == 0, "vorbis_analysis_wrote") ||
        !WriteReadyPages(context, output, v, endOfStream))
        return false;
    if (!endOfStream && !FlushPages(context, output, v.stream))
        return false;
    // libogg keeps a failure of its own (a page it could not grow) in the stream state.
    return Succeeded(context, ogg_stream_check(&v.stream) == 0, "ogg_stream_check");
}

}  // namespace

float OggQuality(int quality) {
    if (quality < 1 || quality > 100)
        quality = 60;
    return static_cast<float>(quality) * 0.01f;
}

int EncodeWavToOgg(JobContext& context, EncodeTask& task) {
    EncodeFiles files(context, task);
    if (!files.Begin(1))
        return 0;
    const float quality = OggQuality(context.settings->ogg.Quality);
    BinaryFile& output = files.output();
    VorbisState v;
    if (!StartVorbis(context, task, quality, v) || !WriteHeaders(context, output, v) ||
        !files.HasRoomForOutput())
        return 0;

    EncodeLoop loop(context, task, files);
    if (!loop.Allocate(kReadBytes))
        return 0;
    bool endOfStream = false;
    const auto encode = [&](std::size_t bytes) {
        const int frames = static_cast<int>(bytes / 4);
        float** channels = vorbis_analysis_buffer(&v.dsp, kReadFrames);
        if (!Succeeded(context, channels != nullptr, "vorbis_analysis_buffer"))
            return false;
        const std::uint8_t* pcm = loop.bytes();
        for (int i = 0; i < frames; ++i) {
            channels[0][i] = Sample(pcm + 4 * i);
            channels[1][i] = Sample(pcm + 4 * i + 2);
        }
        return Succeeded(context, vorbis_analysis_wrote(&v.dsp, frames) == 0,
                         "vorbis_analysis_wrote") &&
               WriteReadyPages(context, output, v, endOfStream);
    };
    // Whole frames: an incomplete last one is dropped.
    const EncodeLoopEnd end = loop.Run(files.dataLength() / 4 * 4, kReadsPerProgress, encode);
    if (end == EncodeLoopEnd::kFailed)
        return 0;
    const bool cancelled = end == EncodeLoopEnd::kCancelled;
    if (!cancelled && !EndStream(context, output, v, endOfStream))
        return 0;
    return loop.Finish(cancelled, TagFormat::kOggVorbis);
}

}  // namespace korvida

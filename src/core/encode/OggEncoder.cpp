#include "core/encode/OggEncoder.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "core/audio/LoudnessMeter.h"
#include "core/encode/CoverPicture.h"
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
#include "core/text/Base64Encode.h"

namespace korvida {
namespace {

// One read: 1024 stereo frames of 16 bits.
constexpr std::size_t kReadBytes = 4096;
constexpr int kReadFrames = static_cast<int>(kReadBytes / 4);

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
        LogPlain(context, std::string("错误: 编码器功能 ") + call + "() 失败！");
    return ok;
}

}  // namespace

float OggQuality(int quality) {
    if (quality < 1 || quality > 100)
        quality = 60;
    return static_cast<float>(quality) * 0.01f;
}

int EncodeWavToOgg(JobContext& context, EncodeTask& task) {
    if (!task.item || !context.settings)
        return 0;
    EncodeItem& item = *task.item;
    const float quality = OggQuality(context.settings->ogg.Quality);

    LogPlain(context, "正在编码 " + item.name + " ...");
    if (context.progressWindow)
        context.progressWindow->post(WM_ENCODE_STATUS, 1, 0, item.name);

    EncodeFiles files(context, task);
    if (!files.CreateOutput() || !files.OpenInput(EncodeFiles::Accept::kCdAudio))
        return 0;
    BinaryFile& output = files.output();
    BinaryFile& input = files.input();

    VorbisState v;
    vorbis_info_init(&v.info);
    v.hasInfo = true;
    // Cannot fail for 44100 Hz stereo and a quality in range; checked all the same,
    // because the analysis calls below would run on an unset mode.
    if (vorbis_encode_init_vbr(&v.info, 2, 44100, quality) != 0) {
        LogPlain(context, "错误: 初始化 ogg 编码器错误！");
        return 0;
    }
    vorbis_comment_init(&v.comment);
    v.hasComment = true;
    for (const std::string& comment : VorbisComments(item, context.settings->ogg))
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
        return 0;
    v.hasBlock = vorbis_block_init(&v.dsp, &v.block) == 0;
    if (!Succeeded(context, v.hasBlock, "vorbis_block_init"))
        return 0;
    v.hasStream = ogg_stream_init(&v.stream, OggStreamSerial()) == 0;
    if (!Succeeded(context, v.hasStream, "ogg_stream_init"))
        return 0;

    // The three header packets, flushed so that the audio starts on a page of its own.
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    if (!Succeeded(context,
                   vorbis_analysis_headerout(&v.dsp, &v.comment, &identification, &comments,
                                             &codebooks) == 0,
                   "vorbis_analysis_headerout") ||
        !Succeeded(context,
                   ogg_stream_packetin(&v.stream, &identification) == 0 &&
                       ogg_stream_packetin(&v.stream, &comments) == 0 &&
                       ogg_stream_packetin(&v.stream, &codebooks) == 0,
                   "ogg_stream_packetin"))
        return 0;
    if (!FlushPages(context, output, v.stream) || !files.HasRoomForOutput())
        return 0;
    // ReplayGain: measured as the samples pass; the comments get the values at the end.
    if (!StartTrackMeter(context, task, files.wav().format))
        return 0;

    const std::uint64_t length = files.dataLength();
    std::uint64_t done = 0;
    std::uint32_t reads = 0;
    bool cancelled = false;
    bool endSignalled = false;
    bool endOfStream = false;
    alignas(std::int16_t) std::array<std::uint8_t, kReadBytes> buffer;
    ogg_packet packet;
    ogg_page page;
    const std::uint32_t loopStart = TickCount();
    if (!input.Seek(files.wav().dataOffset)) {
        LogFileError(context, input);
        return 0;
    }
    while (!endOfStream) {
        if (ConsumeCancelRequest(context)) {
            if (FirstToReportCancel(context))
                LogPlain(context, "用户取消操作。");
            cancelled = true;
            context.aborted = true;
            break;
        }
        // Reads stop at the end of the data chunk: chunks after it are not samples.
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadBytes, length - done));
        const std::int64_t got = want > 0 ? input.Read(buffer.data(), want) : 0;
        if (got < 0) {
            LogFileError(context, input);
            return 0;
        }
        const int frames = static_cast<int>(got / 4);  // an incomplete last frame is dropped
        if (frames > 0) {
            if (task.loudness)  // the WAV's little-endian samples are the host's
                task.loudness->Add(reinterpret_cast<const std::int16_t*>(buffer.data()),
                                   static_cast<std::size_t>(frames));
            float** channels = vorbis_analysis_buffer(&v.dsp, kReadFrames);
            if (!Succeeded(context, channels != nullptr, "vorbis_analysis_buffer"))
                return 0;
            for (int i = 0; i < frames; ++i) {
                channels[0][i] = Sample(buffer.data() + 4 * i);
                channels[1][i] = Sample(buffer.data() + 4 * i + 2);
            }
            if (!Succeeded(context, vorbis_analysis_wrote(&v.dsp, frames) == 0,
                           "vorbis_analysis_wrote"))
                return 0;
        } else if (got == 0) {
            // Marks the end of the stream.
            if (!Succeeded(context, vorbis_analysis_wrote(&v.dsp, 0) == 0, "vorbis_analysis_wrote"))
                return 0;
            endSignalled = true;
        }

        while (!endOfStream && vorbis_analysis_blockout(&v.dsp, &v.block) == 1) {
            // Current libvorbis hands the packet over through the bit-rate manager.
            if (!Succeeded(context, vorbis_analysis(&v.block, nullptr) == 0, "vorbis_analysis") ||
                !Succeeded(context, vorbis_bitrate_addblock(&v.block) == 0,
                           "vorbis_bitrate_addblock"))
                return 0;
            while (!endOfStream && vorbis_bitrate_flushpacket(&v.dsp, &packet) == 1) {
                if (!Succeeded(context, ogg_stream_packetin(&v.stream, &packet) == 0,
                               "ogg_stream_packetin"))
                    return 0;
                while (!endOfStream && ogg_stream_pageout(&v.stream, &page) != 0) {
                    if (!WritePage(output, page)) {
                        LogFileError(context, output);
                        return 0;
                    }
                    endOfStream = ogg_page_eos(&page) != 0;
                }
            }
        }
        // The last packet carries the end-of-stream mark; should its page not have come
        // out, it is forced out rather than waiting for input that will never come.
        if (endSignalled && !endOfStream) {
            if (!FlushPages(context, output, v.stream))
                return 0;
            endOfStream = true;
        }

        done += static_cast<std::uint64_t>(got);
        if (++reads % 10 == 0 && context.progressWindow)
            context.progressWindow->post(WM_ENCODE_PROGRESS, PerMille(done, length),
                                         static_cast<std::intptr_t>(TickCount() - loopStart));
    }

    // libogg keeps a failure of its own (a page it could not grow) in the stream state.
    if (!cancelled && !Succeeded(context, ogg_stream_check(&v.stream) == 0, "ogg_stream_check"))
        return 0;
    if (!output.Close() && !cancelled) {
        LogFileError(context, output);
        return 0;
    }
    if (!cancelled && !TagTrackReplayGain(context, task, files, TagFormat::kOggVorbis))
        return 0;
    input.Close();
    return files.Finish(cancelled, loopStart) ? 1 : 0;
}

}  // namespace korvida

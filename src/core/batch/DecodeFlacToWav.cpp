#include "core/batch/DecodeFlacToWav.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/audio/WavFile.h"
#include "core/batch/DecodeMp3ToWav.h"
#include "core/batch/OpenDecodedWav.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TemporaryFile.h"
#include "core/platform/TickCount.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

constexpr unsigned kProgressEveryFrames = 16;

// What the decoder's callbacks share with the decode: the output, the stream's format
// and how far it went, and why it stopped early.
struct Decode {
    JobContext& context;
    BinaryFile& in;
    BinaryFile& out;
    std::uint32_t t0 = 0;
    std::uint64_t totalSamples = 0;  // per channel; 0 when the stream does not say
    std::uint64_t doneSamples = 0;
    std::uint32_t dataBytes = 0;
    unsigned frames = 0;
    std::vector<std::uint8_t> pcm{};
    std::optional<WavFormat> format{};
    bool headerWritten = false;
    bool writeFailed = false;
    bool tooLong = false;
    bool badStream = false;  // unsupported sample size, or a format change mid-stream
    bool cancelled = false;
    bool damaged = false;  // the error callback saw lost sync, a bad header or a bad CRC
};

// The decoder's reads. The cancel is tested here too, not only per decoded frame: a file
// of zeros (or anything without a frame) is read end to end while the decoder searches
// for a frame's sync code, and no frame ever comes to say the user gave up.
FLAC__StreamDecoderReadStatus ReadInput(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                        std::size_t* bytes, void* data) {
    Decode& d = *static_cast<Decode*>(data);
    if (ConsumeCancelRequest(d.context)) {
        d.cancelled = true;
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
    const std::int64_t n = d.in.Read(buffer, *bytes);
    if (n < 0)
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    *bytes = static_cast<std::size_t>(n);
    return n == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                  : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderWriteStatus WriteFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                          const FLAC__int32* const channels[], void* data) {
    Decode& d = *static_cast<Decode*>(data);
    if (ConsumeCancelRequest(d.context)) {
        d.cancelled = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const FLAC__FrameHeader& h = frame->header;
    const unsigned bytesPerSample = h.bits_per_sample / 8;
    if (!d.headerWritten) {
        if (h.bits_per_sample % 8 != 0 || bytesPerSample == 0 || bytesPerSample > 4) {
            d.badStream = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        d.format =
            DecoderWavFormat(h.sample_rate, static_cast<std::uint16_t>(h.channels),
                             static_cast<std::uint16_t>(h.bits_per_sample), kDecoderOutputPcm);
        const WavHeaderBytes header = BuildWavHeader(*d.format, 0);
        if (!d.out.Write(header.data(), header.size())) {
            d.writeFailed = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        d.headerWritten = true;
    } else if (h.channels != d.format->channels || h.bits_per_sample != d.format->bitsPerSample ||
               h.sample_rate != d.format->sampleRate) {
        // One WAV holds one format.
        d.badStream = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const std::size_t bytes = std::size_t{h.blocksize} * h.channels * bytesPerSample;
    if (d.dataBytes + std::uint64_t{bytes} > kWavMaxDataBytes) {
        d.tooLong = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    d.pcm.resize(bytes);
    std::uint8_t* p = d.pcm.data();
    for (unsigned i = 0; i < h.blocksize; ++i) {
        for (unsigned c = 0; c < h.channels; ++c) {
            // WAV's 8-bit samples are unsigned, the wider ones signed.
            const auto v =
                static_cast<std::uint32_t>(channels[c][i] + (bytesPerSample == 1 ? 128 : 0));
            for (unsigned b = 0; b < bytesPerSample; ++b)
                *p++ = static_cast<std::uint8_t>(v >> (8 * b));
        }
    }
    if (!d.out.Write(d.pcm.data(), bytes)) {
        d.writeFailed = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    d.dataBytes += static_cast<std::uint32_t>(bytes);
    d.doneSamples += h.blocksize;
    if (++d.frames % kProgressEveryFrames == 0 && d.context.progressWindow && d.totalSamples > 0)
        d.context.progressWindow->post(WM_ENCODE_PROGRESS,
                                       static_cast<std::intptr_t>(std::min<std::uint64_t>(
                                           1000, d.doneSamples * 1000 / d.totalSamples)),
                                       static_cast<std::intptr_t>(TickCount() - d.t0));
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void ReadMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* data) {
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO)
        static_cast<Decode*>(data)->totalSamples = metadata->data.stream_info.total_samples;
}

void NoteError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data) {
    static_cast<Decode*>(data)->damaged = true;
}

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
};

}  // namespace

int DecodeFlacToWav(const std::string& source, const std::string& output, JobContext& context) {
    LogFormatted(context, Tr("解码文件 ") + source);
    if (context.progressWindow)
        context.progressWindow->send(WM_DECODE_STATUS, 0, 0, source);

    BinaryFile in;
    if (!OpenDecoderInput(context, source, in))
        return 0;
    TemporaryFile written;
    BinaryFile out;
    if (!OpenDecodedWav(context, source, output, written, out))
        return 0;

    Decode d{context, in, out};
    d.t0 = TickCount();
    std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    if (!decoder) {
        LogFormatted(context, Tr("解码器初始化失败。"));
        return 0;
    }
    FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    if (FLAC__stream_decoder_init_stream(decoder.get(), ReadInput, nullptr, nullptr, nullptr,
                                         nullptr, WriteFrame, ReadMetadata, NoteError,
                                         &d) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        LogFormatted(context, Tr("不能打开输入文件 ") + source + Tr("。"));
        return 0;
    }
    const bool processed = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
    if (d.cancelled) {
        if (FirstToReportCancel(context))
            LogFormatted(context, Tr("用户已取消。"));
        context.aborted = true;
        return 0;
    }
    if (d.writeFailed) {
        LogFormatted(context, Tr("文件写入出错。"));
        return 0;
    }
    if (d.tooLong) {
        LogFormatted(context, Tr("FLAC 文件的音频超出 WAV 文件的 4 GB 上限，未解码。"));
        return 0;
    }
    // Only the whole stream is an archive's exact copy: a damaged frame fails the file
    // rather than leave a WAV with a gap or noise in it.
    if (!processed || d.badStream || d.damaged || !d.headerWritten) {
        LogFormatted(context, Tr("坏的或不支持的 FLAC 文件。"));
        return 0;
    }
    // Finishing compares the decoded samples with the stream's MD5 signature.
    if (!FLAC__stream_decoder_finish(decoder.get())) {
        LogFormatted(context, Tr("FLAC 文件的 MD5 校验不符，解码结果与原始采样不同。"));
        return 0;
    }
    if (!UpdateWavSizes(out, d.dataBytes) || !out.Close()) {
        LogFormatted(context, Tr("文件写入出错。"));
        return 0;
    }
    std::string error;
    if (!written.MoveTo(output, &error)) {
        LogFileError(context, output, error);
        return 0;
    }
    if (context.progressWindow)
        context.progressWindow->post(WM_ENCODE_PROGRESS, 1000,
                                     static_cast<std::intptr_t>(TickCount() - d.t0));
    LogFormatted(context, Tr("解码 FLAC 文件成功！"));
    return 1;
}

}  // namespace korvida

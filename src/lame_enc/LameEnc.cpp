// The encoder module: the BladeEnc stream interface over libmp3lame.
//
// One stream is one lame_global_flags. The program owns the buffers; the sizes it must
// allocate are the ones beInitStream hands back, and every later call trusts them, so a
// chunk larger than announced is refused rather than written past the output buffer.

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "lame_enc/BladeEncInterface.h"

#define KORVIDA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace korvida::lame_enc;

constexpr std::uint8_t kModuleMajor = 1;
constexpr std::uint8_t kModuleMinor = 0;

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameDeleter>;

struct Stream {
    LamePtr lame;
    int channels = 2;
    std::uint32_t samplesPerChunk = 0;  // 16-bit samples of all channels per chunk
    std::uint32_t bufferSize = 0;       // bytes; one chunk's or the flush's output fits
    bool vbrHeader = false;             // a Xing/LAME header frame was reserved
    // The thread that opened the stream: a file named without its stream belongs to the
    // stream its caller's thread opened (a worker encodes one file at a time).
    std::thread::id opener;
};

// Live streams, so that a stale or made-up handle is refused instead of dereferenced.
// Each stream's use is the business of the one caller holding its handle; the set is
// shared.
std::mutex g_mutex;
std::set<Stream*> g_streams;

Stream* Lookup(HBE_STREAM handle) {
    auto* stream = reinterpret_cast<Stream*>(handle);
    return g_streams.count(stream) ? stream : nullptr;
}

std::int32_t Signed(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}

// The presets: LAME's own quality scale runs from 0 (best, slowest) to 9.
void ApplyPreset(lame_global_flags* lame, std::int32_t preset) {
    switch (preset) {
        case kPresetNormal:
            lame_set_quality(lame, 5);
            break;
        case kPresetLow:
            lame_set_quality(lame, 7);
            break;
        case kPresetHigh:
            lame_set_quality(lame, 2);
            break;
        case kPresetVoice:
            // Speech needs no more than 12 kHz of bandwidth; the bits go to what is left.
            lame_set_quality(lame, 5);
            lame_set_lowpassfreq(lame, 12000);
            break;
        default:
            break;  // LAME's defaults
    }
}

// Reads the record field by field. False for a record this module does not understand.
bool Configure(lame_global_flags* lame, const std::uint8_t* record, int* channels,
               bool* vbrHeader) {
    if (GetConfig32(record, kOffConfig) != kConfigLame)
        return false;
    if (GetConfig32(record, kOffStructSize) < kOffReserved)
        return false;  // too short to hold the fields read below
    const std::uint32_t sampleRate = GetConfig32(record, kOffSampleRate);
    if (sampleRate == 0)
        return false;  // LAME would silently assume 44100 Hz

    const std::int32_t mode = Signed(GetConfig32(record, kOffMode));
    MPEG_mode lameMode = STEREO;
    switch (mode) {
        case kModeStereo:
            lameMode = STEREO;
            break;
        case kModeJointStereo:
            lameMode = JOINT_STEREO;
            break;
        case kModeDualChannel:
            lameMode = DUAL_CHANNEL;
            break;
        case kModeMono:
            lameMode = MONO;
            break;
        default:
            return false;
    }
    *channels = mode == kModeMono ? 1 : 2;

    lame_set_in_samplerate(lame, static_cast<int>(sampleRate));
    // 0 lets LAME keep the input rate where MPEG audio allows it; the MPEG version field
    // is not used, because the output sample rate alone decides the version.
    if (const std::uint32_t resample = GetConfig32(record, kOffResampleRate); resample != 0)
        lame_set_out_samplerate(lame, static_cast<int>(resample));
    lame_set_num_channels(lame, *channels);
    lame_set_mode(lame, lameMode);

    const auto bitrate = static_cast<int>(GetConfig32(record, kOffBitrate));
    if (GetConfig32(record, kOffEnableVbr)) {
        lame_set_VBR(lame, vbr_default);
        lame_set_VBR_q(lame, std::clamp(Signed(GetConfig32(record, kOffVbrQuality)), 0, 9));
        lame_set_VBR_min_bitrate_kbps(lame, bitrate);
        lame_set_VBR_max_bitrate_kbps(lame, static_cast<int>(GetConfig32(record, kOffMaxBitrate)));
    } else {
        lame_set_VBR(lame, vbr_off);
        lame_set_brate(lame, bitrate);
    }
    ApplyPreset(lame, Signed(GetConfig32(record, kOffPreset)));

    lame_set_emphasis(lame, static_cast<int>(GetConfig32(record, kOffEmphasis)));
    lame_set_extension(lame, GetConfig32(record, kOffPrivate) ? 1 : 0);
    lame_set_error_protection(lame, GetConfig32(record, kOffCrc) ? 1 : 0);
    lame_set_copyright(lame, GetConfig32(record, kOffCopyright) ? 1 : 0);
    lame_set_original(lame, GetConfig32(record, kOffOriginal) ? 1 : 0);

    *vbrHeader = GetConfig32(record, kOffWriteVbrHeader) != 0;
    lame_set_bWriteVbrTag(lame, *vbrHeader ? 1 : 0);
    // Tags are the program's business (ID3v1 appended, ID3v2 written afterwards).
    lame_set_write_id3tag_automatic(lame, 0);
    return true;
}

// Where the first MPEG frame of a file starts: after an ID3v2 tag, if there is one.
long FirstFrameOffset(std::FILE* file) {
    unsigned char head[10];
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(head, 1, sizeof head, file) != sizeof head)
        return -1;
    if (std::memcmp(head, "ID3", 3) != 0)
        return 0;
    // Synchsafe size: 7 bits per byte; a footer adds another 10 bytes.
    const long size = (long{head[6] & 0x7F} << 21) | (long{head[7] & 0x7F} << 14) |
                      (long{head[8] & 0x7F} << 7) | long{head[9] & 0x7F};
    return 10 + size + ((head[5] & 0x10) ? 10 : 0);
}

// Writes the stream's LAME tag over the header frame it reserved at the start of `path`.
BE_ERR WriteVbrHeader(Stream& stream, const char* path) {
    std::vector<unsigned char> frame(2880);  // the largest MPEG-1 Layer III frame and more
    const std::size_t size = lame_get_lametag_frame(stream.lame.get(), frame.data(), frame.size());
    if (size == 0 || size > frame.size())
        return BE_ERR_BUFFER_TOO_SMALL;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "r+b"), std::fclose);
    if (!file)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    const long at = FirstFrameOffset(file.get());
    unsigned char sync[2];
    // The reserved frame must be where we write; anything else is not our file.
    if (at < 0 || std::fseek(file.get(), at, SEEK_SET) != 0 ||
        std::fread(sync, 1, 2, file.get()) != 2 || sync[0] != 0xFF || (sync[1] & 0xE0) != 0xE0)
        return BE_ERR_INVALID_FORMAT;
    if (std::fseek(file.get(), at, SEEK_SET) != 0 ||
        std::fwrite(frame.data(), 1, size, file.get()) != size)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (std::fclose(file.release()) != 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    return BE_ERR_SUCCESSFUL;
}

}  // namespace

KORVIDA_EXPORT BE_ERR beInitStream(const void* config, std::uint32_t* samples,
                                   std::uint32_t* bufferSize, HBE_STREAM* handle) {
    if (!config || !samples || !bufferSize || !handle)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    LamePtr lame(lame_init());
    if (!lame)
        return BE_ERR_NO_MORE_HANDLES;

    auto stream = std::make_unique<Stream>();
    if (!Configure(lame.get(), static_cast<const std::uint8_t*>(config), &stream->channels,
                   &stream->vbrHeader))
        return BE_ERR_INVALID_FORMAT;
    if (lame_init_params(lame.get()) < 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    // One MPEG frame per chunk: 1152 samples per channel for MPEG-1, 576 below 32 kHz.
    const auto perChannel = static_cast<std::uint32_t>(lame_get_framesize(lame.get()));
    stream->samplesPerChunk = perChannel * static_cast<std::uint32_t>(stream->channels);
    // LAME's own bound for one call's output (1.25 × samples + 7200), which also covers
    // the flush.
    stream->bufferSize = perChannel * 5 / 4 + 7200;
    stream->lame = std::move(lame);

    *samples = stream->samplesPerChunk;
    *bufferSize = stream->bufferSize;
    std::lock_guard lock(g_mutex);
    Stream* raw = stream.release();
    raw->opener = std::this_thread::get_id();
    g_streams.insert(raw);
    *handle = reinterpret_cast<HBE_STREAM>(raw);
    return BE_ERR_SUCCESSFUL;
}

KORVIDA_EXPORT BE_ERR beEncodeChunk(HBE_STREAM handle, std::uint32_t samples,
                                    const std::int16_t* pcm, std::uint8_t* output,
                                    std::uint32_t* outputBytes) {
    Stream* stream = nullptr;
    {
        std::lock_guard lock(g_mutex);
        stream = Lookup(handle);
    }
    if (!stream)
        return BE_ERR_INVALID_HANDLE;
    if (!output || !outputBytes || (samples > 0 && !pcm))
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (samples > stream->samplesPerChunk)
        return BE_ERR_BUFFER_TOO_SMALL;  // its output might not fit the caller's buffer

    // A trailing sample of an incomplete stereo pair is dropped.
    const int frames = static_cast<int>(samples) / stream->channels;
    const int bufferSize = static_cast<int>(stream->bufferSize);
    // LAME takes the samples through non-const pointers but only reads them.
    auto* in = const_cast<short*>(reinterpret_cast<const short*>(pcm));
    const int written =
        stream->channels == 1
            ? lame_encode_buffer(stream->lame.get(), in, in, frames, output, bufferSize)
            : lame_encode_buffer_interleaved(stream->lame.get(), in, frames, output, bufferSize);
    if (written < 0) {
        *outputBytes = 0;
        return written == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *outputBytes = static_cast<std::uint32_t>(written);
    return BE_ERR_SUCCESSFUL;
}

KORVIDA_EXPORT BE_ERR beDeinitStream(HBE_STREAM handle, std::uint8_t* output,
                                     std::uint32_t* outputBytes) {
    Stream* stream = nullptr;
    {
        std::lock_guard lock(g_mutex);
        stream = Lookup(handle);
    }
    if (!stream)
        return BE_ERR_INVALID_HANDLE;
    if (!output || !outputBytes)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    const int written =
        lame_encode_flush(stream->lame.get(), output, static_cast<int>(stream->bufferSize));
    if (written < 0) {
        *outputBytes = 0;
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    *outputBytes = static_cast<std::uint32_t>(written);
    return BE_ERR_SUCCESSFUL;
}

KORVIDA_EXPORT BE_ERR beCloseStream(HBE_STREAM handle) {
    std::unique_ptr<Stream> stream;
    {
        std::lock_guard lock(g_mutex);
        Stream* raw = Lookup(handle);
        if (!raw)
            return BE_ERR_INVALID_HANDLE;
        g_streams.erase(raw);
        stream.reset(raw);
    }
    return BE_ERR_SUCCESSFUL;
}

KORVIDA_EXPORT void beVersion(BE_VERSION* version) {
    if (!version)
        return;
    std::memset(version, 0, sizeof *version);
    lame_version_t lame{};
    get_lame_version_numerical(&lame);
    version->byDLLMajorVersion = kModuleMajor;
    version->byDLLMinorVersion = kModuleMinor;
    version->byMajorVersion = static_cast<std::uint8_t>(lame.major);
    version->byMinorVersion = static_cast<std::uint8_t>(lame.minor);
    version->byDay = 1;
    version->byMonth = 1;
    version->wYear = 2024;
    std::snprintf(version->zHomepage, sizeof version->zHomepage, "%s", get_lame_url());
    version->byAlphaLevel = static_cast<std::uint8_t>(lame.alpha);
    version->byBetaLevel = static_cast<std::uint8_t>(lame.beta);
}

KORVIDA_EXPORT BE_ERR beWriteVBRHeader(const char* path) {
    if (!path)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    Stream* stream = nullptr;
    {
        std::lock_guard lock(g_mutex);
        const auto thread = std::this_thread::get_id();
        for (Stream* candidate : g_streams) {
            if (!candidate->vbrHeader || candidate->opener != thread)
                continue;
            if (stream)
                return BE_ERR_INVALID_HANDLE;  // two would do: writing either may be wrong
            stream = candidate;
        }
    }
    if (!stream)
        return BE_ERR_INVALID_HANDLE;
    return WriteVbrHeader(*stream, path);
}

KORVIDA_EXPORT BE_ERR beWriteStreamVBRHeader(HBE_STREAM handle, const char* path) {
    Stream* stream = nullptr;
    {
        std::lock_guard lock(g_mutex);
        stream = Lookup(handle);
    }
    if (!stream)
        return BE_ERR_INVALID_HANDLE;
    if (!path)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (!stream->vbrHeader)
        return BE_ERR_INVALID_FORMAT;  // no frame was reserved to write it over
    return WriteVbrHeader(*stream, path);
}

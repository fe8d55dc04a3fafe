#include "core/encode/EncoderFormats.h"

#include "core/encode/FlacEncoder.h"
#include "core/encode/Mp3Encoder.h"
#include "core/encode/OggEncoder.h"
#include "core/encode/OpusFileEncoder.h"

namespace korvida {

const EncoderFormats& BuiltInEncoders() {
    static const EncoderFormats formats = {
        {kOutputMp3, ".MP3", [](JobContext& c, EncodeTask& t) { return EncodeWavToMp3(c, t); }},
        {kOutputOgg, ".ogg", EncodeWavToOgg},
        {kOutputFlac, ".flac", EncodeWavToFlac},
        {kOutputOpus, ".opus", EncodeWavToOpus},
    };
    return formats;
}

const EncoderFormat& FindEncoder(const EncoderFormats& formats, int outputFormat) {
    for (const EncoderFormat& format : formats)
        if (format.outputFormat == outputFormat)
            return format;
    return formats.front();
}

}  // namespace korvida

#include "core/encode/EncoderStage.h"

#include "core/encode/EncodeEnvironment.h"
#include "core/encode/Mp3Encoder.h"
#include "core/encode/OggEncoder.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"

namespace korvida {

int RunEncoderStage(RipJob& job, bool ogg, const Settings* settings) {
    const EncoderStageFunction& own = ogg ? job.oggStage : job.mp3Stage;
    if (own)
        return own(job);
    EncodeEnvironment env = DefaultEncodeEnvironment(job);
    if (settings) {
        // The files of a rip go where the rip's settings say, like its WAV files.
        env.settings = settings;
        env.outputFolder = settings->OutputFolder;
    }
    return ogg ? EncodeWavToOgg(job, env) : EncodeWavToMp3(job, env);
}

}  // namespace korvida

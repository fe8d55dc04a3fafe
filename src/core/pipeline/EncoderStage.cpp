#include "core/pipeline/EncoderStage.h"

#include "core/pipeline/EncodeEnvironment.h"
#include "core/pipeline/Mp3Encoder.h"
#include "core/pipeline/OggEncoder.h"
#include "core/pipeline/RipJob.h"
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

#include "core/pipeline/EncoderStage.h"

#include <unistd.h>

#include <string>

#include "core/jobs/JobLogLine.h"
#include "core/pipeline/RipJob.h"

namespace korvida {
namespace {

// Stands in for an encoder that this build does not have: the job fails with a line that
// says so. The temporary WAV was made for the encoder alone, so it goes too. It may stay
// unused once both stages below call their encoders.
[[maybe_unused]] int EncoderNotAvailable(RipJob& job, const char* format) {
    SendJobLog(job.mainWindow, JobLogLine(StampStyle::kParentheses,
                                          std::string("错误: ") + format + " 编码器不可用！"));
    if (!job.fileJob && !job.keepWav && !job.tempWavPath.empty())
        ::unlink(job.tempWavPath.c_str());
    return 0;
}

}  // namespace

// Each built-in stage is one call: the encoder's entry point goes here.
int RunMp3Stage(RipJob& job) {
    return EncoderNotAvailable(job, "MP3");
}

int RunOggStage(RipJob& job) {
    return EncoderNotAvailable(job, "Ogg Vorbis");
}

int RunEncoderStage(RipJob& job, bool ogg) {
    const EncoderStageFunction& own = ogg ? job.oggStage : job.mp3Stage;
    if (own)
        return own(job);
    return ogg ? RunOggStage(job) : RunMp3Stage(job);
}

}  // namespace korvida

// Any bytes as an MP3 file through the decode driver. Checks: no crash, hang or sanitizer
// report; a produced WAV is 16-bit PCM whose RIFF and data sizes match its length and
// whose data is whole sample frames; a refused file leaves no output behind.
#include <filesystem>

#include "FuzzFile.h"
#include "core/batch/DecodeMp3ToWav.h"
#include "core/jobs/Event.h"
#include "core/rip/RipJob.h"

using namespace korvida;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source = fuzz::WriteInput("in.mp3", data, size);
    const std::string output = fuzz::WorkFolder() + "/out.WAV";
    std::filesystem::remove(output);

    Event cancel(false);
    RipJob job;
    job.context.cancelEvent = &cancel;
    DecodeOptions options;
    options.normalize = size % 2 == 1;  // half the inputs also run the gain pass
    const int result = DecodeMp3ToWav(source, output, job.context, options);

    if (result == 0) {
        if (std::filesystem::exists(output))
            fuzz::Fail("a refused file left an output");
        return 0;
    }
    const std::string wav = fuzz::ReadWhole(output);
    if (wav.size() < 44 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(36, 4, "data") != 0)
        fuzz::Fail("no canonical header");
    if (fuzz::Le32(wav, 4) != wav.size() - 8 || fuzz::Le32(wav, 40) != wav.size() - 44)
        fuzz::Fail("sizes do not match the file");
    const unsigned channels = fuzz::Le16(wav, 22);
    if (fuzz::Le16(wav, 20) != 1 || (channels != 1 && channels != 2) || fuzz::Le16(wav, 34) != 16 ||
        fuzz::Le16(wav, 32) != channels * 2)
        fuzz::Fail("not 16-bit PCM");
    if ((wav.size() - 44) % (channels * 2) != 0)
        fuzz::Fail("a partial sample frame");
    return 0;
}

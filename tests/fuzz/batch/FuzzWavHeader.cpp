// Any bytes as a WAV file through the header reader, then normalised in place. Checks: no
// crash, hang or sanitizer report; a data chunk that was found starts behind its own
// "data" id; normalising never changes the file's length or any byte outside the samples
// the header names (chunks before and after them stay as they were).
#include "FuzzFile.h"
#include "core/audio/BinaryFile.h"
#include "core/audio/Normalisation.h"
#include "core/audio/WavFile.h"
#include "core/jobs/Event.h"
#include "core/rip/RipJob.h"

using namespace korvida;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteInput("in.wav", data, size);
    const std::string before(reinterpret_cast<const char*>(data), size);

    WavInfo info;
    WavReadResult read;
    {
        BinaryFile file;
        if (!file.Open(path, BinaryFile::Mode::kRead))
            fuzz::Fail("cannot open the input");
        read = ReadWavInfo(file, info);
    }
    if (read == WavReadResult::kOk && (info.dataOffset < 20 || info.dataOffset > size ||
                                       before.compare(info.dataOffset - 8, 4, "data") != 0))
        fuzz::Fail("the data chunk is not where the reader says");

    Event cancel(false);
    RipJob job;
    job.context.cancelEvent = &cancel;
    const bool normalised = NormaliseFile(path, job.context, 100);
    if (normalised && read != WavReadResult::kOk)
        fuzz::Fail("normalised a file the reader refused");
    const std::string after = fuzz::ReadWhole(path);
    if (after.size() != before.size())
        fuzz::Fail("the file changed length");
    const std::size_t samplesFrom = read == WavReadResult::kOk ? info.dataOffset : size;
    const std::size_t samplesTo = read == WavReadResult::kOk
                                      ? std::min<std::size_t>(size, samplesFrom + info.dataSize)
                                      : size;
    if (after.compare(0, samplesFrom, before, 0, samplesFrom) != 0 ||
        after.compare(samplesTo, std::string::npos, before, samplesTo, std::string::npos) != 0)
        fuzz::Fail("bytes outside the samples changed");
    return 0;
}

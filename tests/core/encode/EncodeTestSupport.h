#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/audio/WavFile.h"
#include "core/batch/EncodeFilesThread.h"
#include "core/encode/EncodeTask.h"
#include "core/encode/EncoderLibrary.h"
#include "core/encode/FlacEncoder.h"
#include "core/encode/Mp3Encoder.h"
#include "core/encode/OggEncoder.h"
#include "core/encode/OpusFileEncoder.h"
#include "core/jobs/Event.h"
#include "core/jobs/Messages.h"
#include "core/platform/TemporaryFile.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/settings/Settings.h"
#include "support/AudioTestSupport.h"
#include "support/TempHome.h"

namespace korvida::test {

// A 16-bit PCM WAV file of a 440 Hz tone at half scale, `frames` frames long.
inline std::string ToneWav(std::uint32_t frames, std::uint16_t channels = 2,
                           std::uint32_t rate = 44100) {
    std::vector<std::int16_t> samples;
    samples.reserve(std::size_t{frames} * channels);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 440.0 * i / rate));
        for (std::uint16_t c = 0; c < channels; ++c)
            samples.push_back(s);
    }
    return RiffFile({Chunk("fmt ", FmtBody(rate, channels, 16)), Chunk("data", PcmBytes(samples))});
}

// A 44100 Hz 16-bit stereo WAV of noise, which no encoder squeezes much.
inline std::string NoiseWav(std::uint32_t frames) {
    std::vector<std::int16_t> samples(std::size_t{frames} * 2);
    std::uint32_t x = 12345;
    for (std::int16_t& s : samples) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(x >> 16);
    }
    return RiffFile({Chunk("fmt ", FmtBody(44100, 2, 16)), Chunk("data", PcmBytes(samples))});
}

// The first bytes of a PNG (signature and IHDR: 3×2 pixels, 8-bit RGBA) and of a JPEG
// (SOI, JFIF, baseline frame of 5×4 pixels, 3 components, EOI): what the tag writers
// read of an image, which must reach the tag byte for byte.
inline std::vector<std::uint8_t> CoverBytes(bool png) {
    if (png)
        return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,  // signature
                0,    0,   0,   13,  'I',  'H',  'D',  'R',   // IHDR
                0,    0,   0,   3,   0,    0,    0,    2,     // width, height
                8,    6,   0,   0,   0,                       // 8-bit RGBA
                0,    0,   0,   0,                            // CRC: no tag reader checks it
                0,    0,   0,   0,   'I',  'E',  'N',  'D',  0xAE, 0x42, 0x60, 0x82};
    return {0xFF, 0xD8,                                                             // SOI
            0xFF, 0xE0, 0, 16, 'J',  'F', 'I', 'F',  0, 1, 1, 0, 0, 1, 0, 1, 0, 0,  // APP0
            0xFF, 0xC0, 0, 17, 8,    0,   4,   0,    5, 3,                          // SOF0 5×4
            1,    0x22, 0, 2,  0x11, 1,   3,   0x11, 1,                             // components
            0xFF, 0xD9};                                                            // EOI
}

// Format and sample count of a WAV file written by an independent decoder.
struct DecodedWav {
    bool ok = false;
    WavFormat format;
    std::uint64_t frames = 0;
};

inline DecodedWav ReadDecodedWav(const std::string& path) {
    DecodedWav out;
    BinaryFile file;
    WavInfo info;
    if (!file.Open(path, BinaryFile::Mode::kRead) || ReadWavInfo(file, info) != WavReadResult::kOk)
        return out;
    out.ok = true;
    out.format = info.format;
    out.frames = info.dataSize / (2u * info.format.channels);
    return out;
}

// What a test hands a stage besides the job: the settings it reads, the output folder,
// the MP3 encoder binding (null: unbound) and the free-space answer.
struct EncodeEnvironment {
    const Settings* settings = nullptr;
    std::string outputFolder;
    const EncoderEntryPoints* encoder = nullptr;
    std::function<FreeDiskSpace(const std::string& path)> freeSpace;
};

// The job's current item as the encode-files thread (file job) or the rip thread plans
// it, with the environment's settings, folder and free space in the job's context.
inline EncodeTask PlanTask(RipJob& job, const EncodeEnvironment& env, std::string_view extension) {
    job.context.settings = env.settings;
    job.context.freeSpace = env.freeSpace;
    // The job's cover goes to the stage as the rip thread hands it on; a test may give
    // a file job one too.
    if (job.fileJob) {
        EncodeTask task = PlanFileEncode(*job.current, env.outputFolder, extension);
        task.coverArt = job.coverArt;
        return task;
    }
    EncodeTask task;
    task.item = job.current;
    task.inputPath = job.tempWavPath;
    if (!job.keepWav)
        task.temporaryInput = std::make_shared<TemporaryFile>(job.tempWavPath);
    task.outputFolder = env.outputFolder;
    task.outputPath = OutputPath(*job.current, env.outputFolder, extension, *env.settings);
    task.coverArt = job.coverArt;
    return task;
}

inline int EncodeMp3(RipJob& job, const EncodeEnvironment& env) {
    static const EncoderEntryPoints kUnbound;
    EncodeTask task = PlanTask(job, env, ".MP3");
    return EncodeWavToMp3(job.context, task, env.encoder ? *env.encoder : kUnbound);
}

inline int EncodeOgg(RipJob& job, const EncodeEnvironment& env) {
    EncodeTask task = PlanTask(job, env, ".ogg");
    return EncodeWavToOgg(job.context, task);
}

inline int EncodeFlac(RipJob& job, const EncodeEnvironment& env) {
    EncodeTask task = PlanTask(job, env, ".flac");
    return EncodeWavToFlac(job.context, task);
}

inline int EncodeOpus(RipJob& job, const EncodeEnvironment& env) {
    EncodeTask task = PlanTask(job, env, ".opus");
    return EncodeWavToOpus(job.context, task);
}

// One file job with one item, its messages recorded, and an environment of its own:
// settings with the defaults, output below the temporary folder, the encoder module
// loaded from the build tree.
class EncodeJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(library.Load(0)) << library.errorText();
        env.settings = &settings;
        env.outputFolder = dir / "out";
        env.encoder = &library.entryPoints();
        job.context.mainWindow = &log;
        job.context.progressWindow = &progress;
        job.context.cancelEvent = &cancel;
        job.fileJob = true;
        job.keepWav = true;
        job.items.resize(1);
        job.current = &job.items[0];
    }

    // Writes `wav` as <dir>/<name> and makes it the item's source.
    std::string UseSource(const std::string& wav, const std::string& name = "source.wav") {
        const std::string path = dir / name;
        WriteFile(path, wav);
        item().name = path;
        return path;
    }

    RipJobItem& item() { return job.items[0]; }

    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (const Message& m : log.Only(WM_JOB_LOG))
            lines.push_back(m.text);
        return lines;
    }

    // The log lines with their time stamps cut off: "(…) text" → "text".
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const std::string& line : LogLines())
            texts.push_back(line.size() > 22 ? line.substr(22) : line);
        return texts;
    }

    TempDir dir;
    Settings settings;
    EncoderLibrary library;
    EncodeEnvironment env;
    RecordingTarget log;
    RecordingTarget progress;
    Event cancel{false};
    RipJob job;
};

}  // namespace korvida::test

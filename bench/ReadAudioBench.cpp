// Reads a whole 74-minute CD image through CSCSIDriver::ReadAudio, 26 frames a call (the
// default BufferSize), the way the rip thread reads a disc from a virtual drive.
// The image (bench.cue/bench.bin, 20 tracks) is made in $KORVIDA_BENCH_DIR (default
// /tmp/korvida-bench) unless it is already there; bench/read-audio compares the figure
// with cd-paranoia ripping the same image.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/ScsiTypes.h"
#include "core/settings/Settings.h"

namespace {

constexpr std::uint32_t kFrames = 74 * 60 * 75;
constexpr std::uint32_t kTracks = 20;
constexpr std::uint32_t kBufferSize = 26;

std::string BenchDir() {
    const char* dir = std::getenv("KORVIDA_BENCH_DIR");
    return dir && *dir ? dir : "/tmp/korvida-bench";
}

// Music-like bytes are not needed here, only a file of the right size that is not all
// zeros (some file systems store zeros sparsely and read them for free).
bool MakeImage(const std::string& dir) {
    std::string bin = dir + "/bench.bin";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (std::filesystem::exists(bin, ec) &&
        std::filesystem::file_size(bin, ec) == std::uintmax_t{kFrames} * korvida::kRawSectorSize) {
        return true;
    }
    std::vector<char> block(std::size_t{1000} * korvida::kRawSectorSize);
    std::uint32_t x = 12345;
    for (char& c : block) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    std::ofstream out(bin, std::ios::binary | std::ios::trunc);
    for (std::uint32_t written = 0; written < kFrames; written += 1000) {
        std::uint32_t frames = std::min<std::uint32_t>(1000, kFrames - written);
        out.write(block.data(), static_cast<std::streamsize>(frames * korvida::kRawSectorSize));
    }
    std::ofstream cue(dir + "/bench.cue", std::ios::trunc);
    cue << "FILE \"bench.bin\" BINARY\n";
    for (std::uint32_t t = 0; t < kTracks; ++t) {
        std::uint32_t start = t * (kFrames / kTracks);
        char line[96];
        std::snprintf(line, sizeof line, "  TRACK %02u AUDIO\n    INDEX 01 %02u:%02u:%02u\n", t + 1,
                      start / 4500, start / 75 % 60, start % 75);
        cue << line;
    }
    return static_cast<bool>(out) && static_cast<bool>(cue);
}

void BM_ReadAudioWholeDisc(benchmark::State& state) {
    const std::string dir = BenchDir();
    if (!MakeImage(dir)) {
        state.SkipWithError(("cannot write the image in " + dir).c_str());
        return;
    }
    korvida::Settings settings;
    settings.BufferSize = kBufferSize;
    korvida::DriveSources sources;
    sources.scanRealDrives = false;
    sources.images = {dir + "/bench.cue"};
    korvida::CSCSIDriverNative driver(korvida::DriverOptionsFrom(settings), sources);
    if (!driver.Init(0)) {
        state.SkipWithError("the image did not load");
        return;
    }
    std::vector<std::uint8_t> buffer(kBufferSize * korvida::kRawSectorSize);
    for (auto _ : state) {
        for (std::uint32_t lba = 0; lba < kFrames; lba += kBufferSize) {
            korvida::AudioReadRequest request;
            request.startLba = lba;
            request.sectorCount = std::min(kBufferSize, kFrames - lba);
            request.byteLength = request.sectorCount * korvida::kRawSectorSize;
            request.buffer = buffer.data();
            if (!driver.ReadAudio(request)) {
                state.SkipWithError(driver.LastErrorText().c_str());
                return;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    const double bytes = double(kFrames) * korvida::kRawSectorSize;
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * double(state.iterations())));
    state.counters["MB/s"] =
        benchmark::Counter(bytes / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["xSpeed"] = benchmark::Counter(
        double(kFrames) / 75.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ReadAudioWholeDisc)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

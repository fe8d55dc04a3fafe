// Gap and index detection on a 74-minute, 20-track disc through the virtual drive: the
// search (DetectGaps) against reading the Q sub-channel of every frame in the same five
// seconds before each track. Both count the drive commands they send; bench/detect-gaps
// prints the commands a track and the ratio of the two times.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/cdrom/CSCSIDriverNative.h"
#include "core/cdrom/QReader.h"
#include "core/disc/DiscInfo.h"
#include "core/jobs/JobContext.h"
#include "core/rip/DetectGaps.h"
#include "core/settings/Settings.h"

namespace {

constexpr std::uint32_t kFrames = 74 * 60 * 75;
constexpr std::uint32_t kTracks = 20;
constexpr std::uint32_t kTrackFrames = kFrames / kTracks;
constexpr std::uint32_t kWindow = 5 * 75;

std::string BenchDir() {
    const char* dir = std::getenv("KORVIDA_BENCH_DIR");
    return dir && *dir ? dir : "/tmp/korvida-bench";
}

// Every track after the first has a two-second pregap, every fourth an INDEX 02 in its
// middle. The frames are left sparse: the search reads the sub-channel, not the music.
bool MakeImage(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string bin = dir + "/gaps.bin";
    { std::ofstream out(bin, std::ios::binary | std::ios::trunc); }
    if (::truncate(bin.c_str(), static_cast<off_t>(kFrames) * korvida::kRawSectorSize) != 0)
        return false;
    std::ofstream cue(dir + "/gaps.cue", std::ios::trunc);
    cue << "FILE \"gaps.bin\" BINARY\n";
    const auto msf = [](std::uint32_t f) {
        char text[16];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", f / 4500, f / 75 % 60, f % 75);
        return std::string(text);
    };
    for (std::uint32_t t = 0; t < kTracks; ++t) {
        const std::uint32_t start = t * kTrackFrames;
        char line[32];
        std::snprintf(line, sizeof line, "  TRACK %02u AUDIO\n", t + 1);
        cue << line;
        if (t > 0)
            cue << "    INDEX 00 " << msf(start - 150) << "\n";
        cue << "    INDEX 01 " << msf(start) << "\n";
        if (t % 4 == 3)
            cue << "    INDEX 02 " << msf(start + kTrackFrames / 2) << "\n";
    }
    return static_cast<bool>(cue);
}

struct Disc {
    korvida::Settings settings;
    std::unique_ptr<korvida::CSCSIDriverNative> driver;
    korvida::DiscInfo info;
};

bool Open(Disc& disc, benchmark::State& state) {
    const std::string dir = BenchDir();
    if (!MakeImage(dir)) {
        state.SkipWithError(("cannot write the image in " + dir).c_str());
        return false;
    }
    korvida::DriveSources sources;
    sources.scanRealDrives = false;
    sources.images = {dir + "/gaps.cue"};
    disc.driver = std::make_unique<korvida::CSCSIDriverNative>(
        korvida::DriverOptionsFrom(disc.settings), sources);
    std::uint8_t toc[804] = {};
    if (!disc.driver->Init(0) || !disc.driver->ReadTOC(toc, 0)) {
        state.SkipWithError("the image did not load");
        return false;
    }
    std::memcpy(disc.info.rawToc.data(), toc, sizeof toc);
    return true;
}

void BM_DetectGapsSearch(benchmark::State& state) {
    Disc disc;
    if (!Open(disc, state))
        return;
    std::size_t commands = 0;
    for (auto _ : state) {
        korvida::JobContext context;
        const korvida::DiscIndexes found = korvida::DetectGaps(*disc.driver, disc.info, context);
        if (!found.detected) {
            state.SkipWithError("nothing detected");
            return;
        }
        commands = found.commands;
    }
    state.counters["commands_per_track"] = double(commands) / kTracks;
}

void BM_DetectGapsScan(benchmark::State& state) {
    Disc disc;
    if (!Open(disc, state))
        return;
    std::size_t commands = 0;
    for (auto _ : state) {
        korvida::QReader reader(*disc.driver);
        for (std::uint32_t t = 1; t < kTracks; ++t)
            for (std::uint32_t lba = t * kTrackFrames - kWindow; lba < t * kTrackFrames; ++lba)
                benchmark::DoNotOptimize(reader.At(lba));
        commands = reader.commands();
    }
    state.counters["commands_per_track"] = double(commands) / kTracks;
}

BENCHMARK(BM_DetectGapsSearch)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_DetectGapsScan)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// ReplayGain through the whole program: three tracks of different loudness ripped with
// the setting on, the values in the tags read back by other programs and held against
// loudgain's figures for the same samples.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "support/RipTestSupport.h"
#include "support/RunCli.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

constexpr std::uint32_t kTrackFrames = 75 * 6;  // 6 s a track
constexpr std::size_t kTrackSamples = kTrackFrames * test::kFrameBytes / 2;

// A stereo track: two tones at `amplitude` of full scale, the right one a fifth higher.
std::vector<std::int16_t> Track(double amplitude, double hz) {
    std::vector<std::int16_t> samples(kTrackSamples);
    for (std::size_t i = 0; i < kTrackSamples / 2; ++i) {
        const double t = static_cast<double>(i) / 44100;
        samples[2 * i] = static_cast<std::int16_t>(32767 * amplitude * std::sin(2 * M_PI * hz * t));
        samples[2 * i + 1] =
            static_cast<std::int16_t>(32767 * amplitude * std::sin(3 * M_PI * hz * t));
    }
    return samples;
}

// Numbers at the start of "-6.02 dB" or "0.912345".
double Number(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

struct Figures {
    double gain = NAN;
    double peak = NAN;
};

// loudgain's table (-O): one row a file, then "Album"; gain and true peak columns.
std::map<std::string, Figures> LoudgainFigures(const std::vector<std::string>& files) {
    std::string command = "loudgain -q -a -O";
    for (const std::string& file : files)
        command += " '" + file + "'";
    std::map<std::string, Figures> figures;
    std::istringstream table(test::RunCommand(command + " 2>/dev/null"));
    for (std::string line; std::getline(table, line);) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() > 8 && cells[0] != "File")
            figures[cells[0]] = {Number(cells[8]), Number(cells[3])};
    }
    return figures;
}

// The file's tags as KEY=value lines, by mutagen (the system's Python has it): ID3v2
// TXXX frames by their description, Vorbis comments (Ogg, FLAC, Opus) by their key.
std::map<std::string, std::string> Tags(const std::string& file) {
    static const char* const kList = R"(
import sys, mutagen
tags = mutagen.File(sys.argv[1]).tags
for key in tags.keys():
    value = tags[key]
    print(key.removeprefix("TXXX:").upper() + "=" + str(value.text[0] if hasattr(value, "text") else value[0]))
)";
    const std::string listing =
        test::RunCommand(std::string("/usr/bin/python3 -c '") + kList + "' '" + file + "'");
    std::map<std::string, std::string> tags;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            tags[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return tags;
}

TEST(ReplayGain, RipTagsTrackAndAlbumValuesAsLoudgainMeasuresThem) {
    for (const char* program : {"loudgain", "ogginfo", "flac", "/usr/bin/python3"})
        if (!test::HaveTool(program))
            GTEST_SKIP() << program << " is not installed";
    test::TempHome home;
    const std::vector<std::vector<std::int16_t>> tracks = {Track(0.9, 997), Track(0.25, 440),
                                                           Track(0.05, 3000)};
    std::string bin;
    std::vector<std::string> wavs;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        bin += test::PcmBytes(tracks[i]);
        wavs.push_back(home / ("t" + std::to_string(i + 1) + ".wav"));
        test::WriteFile(wavs.back(), test::CdWav(tracks[i]));
    }
    std::filesystem::create_directories(home / "disc");
    const std::string cue =
        test::WriteDisc(home / "disc", {0, kTrackFrames, 2 * kTrackFrames}, 3 * kTrackFrames, bin);
    const auto expected = LoudgainFigures(wavs);
    ASSERT_EQ(expected.size(), 4u);

    ASSERT_EQ(test::RunCli({"settings", "--set", "Misc.ReplayGain=1"}).status, 0);
    const auto album = expected.at("Album");
    for (const std::string format : {"ogg", "mp3", "flac", "opus"}) {
        SCOPED_TRACE(format);
        const auto r = test::RunCli({"--quiet", "--image", cue, "rip", "--format", format,
                                     "--output", home / format, "--rule", "<number>"});
        ASSERT_EQ(r.status, 0) << r.err;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            const auto track = expected.at(wavs[i]);
            const std::string file = home / format + "/0" + std::to_string(i + 1) + "." +
                                     (format == "mp3" ? "MP3" : format);
            auto tags = Tags(file);
            SCOPED_TRACE(file);
            if (format == "opus") {
                // 1/256 dB towards -23 LUFS, 5 dB below the -18 of the others; no peaks.
                EXPECT_NEAR(Number(tags["R128_TRACK_GAIN"]), (track.gain - 5) * 256, 0.1 * 256);
                EXPECT_NEAR(Number(tags["R128_ALBUM_GAIN"]), (album.gain - 5) * 256, 0.1 * 256);
                EXPECT_EQ(tags.count("REPLAYGAIN_TRACK_GAIN"), 0u);
                continue;
            }
            EXPECT_THAT(tags["REPLAYGAIN_TRACK_GAIN"], ::testing::EndsWith(" dB"));
            EXPECT_NEAR(Number(tags["REPLAYGAIN_TRACK_GAIN"]), track.gain, 0.1);
            EXPECT_NEAR(Number(tags["REPLAYGAIN_TRACK_PEAK"]), track.peak, 0.002);
            EXPECT_NEAR(Number(tags["REPLAYGAIN_ALBUM_GAIN"]), album.gain, 0.1);
            EXPECT_NEAR(Number(tags["REPLAYGAIN_ALBUM_PEAK"]), album.peak, 0.002);
            EXPECT_EQ(tags["TITLE"].empty() && tags["TIT2"].empty(), false);
        }
        // Every rewrite went through its temporary file and nothing else stayed behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home / format),
                                std::filesystem::directory_iterator()),
                  3);
    }
    // A batch encode: track values only, its files need not be one album.
    const auto batch =
        test::RunCli({"--quiet", "encode", "--format", "ogg", "--output", home / "batch", wavs[1]});
    ASSERT_EQ(batch.status, 0) << batch.err;
    auto tags = Tags(home / "batch/t2.ogg");
    EXPECT_NEAR(Number(tags["REPLAYGAIN_TRACK_GAIN"]), expected.at(wavs[1]).gain, 0.1);
    EXPECT_EQ(tags.count("REPLAYGAIN_ALBUM_GAIN"), 0u);

    // The files are still sound after their tags were rewritten.
    for (const std::string& file : {home / "ogg/03.ogg", home / "opus/03.opus"})
        EXPECT_THAT(test::RunCommand("ogginfo '" + file + "' 2>&1; echo status=$?"),
                    ::testing::AllOf(::testing::HasSubstr("status=0"),
                                     ::testing::Not(::testing::HasSubstr("WARNING"))));
    EXPECT_EQ(test::RunCommand("flac -t -s '" + home / "flac/03.flac" + "' 2>&1; echo $?"), "0\n");
}

}  // namespace
}  // namespace korvida

// korvida-cli encode, decode and normalize as scripts run them: the whole binary.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/batch/Mp3Fixtures.h"
#include "support/RunCli.h"
#include "support/TempHome.h"

namespace korvida {
namespace {

using test::ReadFile;
using test::RunCli;
using test::WriteFile;
using ::testing::HasSubstr;

// WAV to MP3 with our encoder and back with our decoder: the paths on standard output in
// job order, and a decoded file as long as the source plus the encoder's delay and
// padding (under two frames). A file that is no MP3 fails the job.
TEST(BatchCommands, EncodeAndDecode) {
    test::TempHome home;
    WriteFile(home / "a.wav", test::ToneWav(1.0));
    WriteFile(home / "b.wav", test::ToneWav(0.5));
    const auto encoded = RunCli({"--quiet", "encode", "--format", "mp3", "--output", home / "mp3",
                                 home / "a.wav", home / "b.wav"});
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    EXPECT_EQ(encoded.out, home / "mp3/a.MP3\n" + home / "mp3/b.MP3\n");

    const auto decoded =
        RunCli({"decode", "--output", home / "wav", home / "mp3/a.MP3", home / "mp3/b.MP3"});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, home / "wav/a.WAV\n" + home / "wav/b.WAV\n");
    EXPECT_THAT(decoded.err, HasSubstr("正在解码(02/02): " + home / "mp3/b.MP3"));
    const test::WavView a = test::ViewWav(ReadFile(home / "wav/a.WAV"));
    EXPECT_TRUE(a.consistent);
    EXPECT_GE(a.data.size(), 176400u);
    EXPECT_LT(a.data.size(), 176400u + 2 * 4608);

    const auto failed = RunCli({"--quiet", "decode", home / "a.wav"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_THAT(failed.err, HasSubstr("坏的或不支持的 MPEG 文件。"));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"decode"}, {"normalize", "--bogus", "x.wav"}, {"encode", "--format", "aiff", "x"}})
        EXPECT_EQ(RunCli(args).status, 2) << args.back();
}

// Files from other tools carry chunks besides "fmt " and "data": normalising scales the
// samples and leaves every other byte alone. What is not 16-bit PCM is refused untouched.
TEST(BatchCommands, NormalizeKeepsOtherChunksAndRefusesOtherFormats) {
    test::TempHome home;
    const std::string samples = test::PcmBytes({1000, -2000, 4000, -3000});
    const std::string head = test::RiffFile({test::Chunk("fmt ", test::FmtBody(44100, 2, 16)),
                                             test::Chunk("LIST", "INFOISFT\x06\0\0\0tools\0"),
                                             test::Chunk("data", samples)});
    WriteFile(home / "tagged.wav", head);
    const auto r = RunCli({"--quiet", "normalize", home / "tagged.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, home / "tagged.wav\n");
    const std::string after = ReadFile(home / "tagged.wav");
    ASSERT_EQ(after.size(), head.size());
    const std::size_t data = head.size() - samples.size();
    EXPECT_EQ(after.substr(0, data), head.substr(0, data));
    EXPECT_EQ(test::Samples(after.substr(data)),
              (std::vector<std::int16_t>{7782, -15563, 31129, -23345}));

    std::string floatFormat = test::FmtBody(44100, 2, 32);
    floatFormat[0] = 3;  // IEEE float
    const std::string floats =
        test::RiffFile({test::Chunk("fmt ", floatFormat), test::Chunk("data", samples)});
    WriteFile(home / "float.wav", floats);
    const auto refused = RunCli({"--quiet", "normalize", home / "float.wav"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, HasSubstr("不支持文件 " + home / "float.wav" + " 的 wave 格式"));
    EXPECT_EQ(ReadFile(home / "float.wav"), floats);
}

// A named pipe given as a file is refused at once, by name, never waited on; Ctrl+C
// could not end an open() waiting for a writer.
TEST(BatchCommands, APipeGivenAsAFileIsRefusedNotWaitedOn) {
    test::TempHome home;
    ASSERT_EQ(::mkfifo((home / "pipe.mp3").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((home / "pipe.wav").c_str(), 0600), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--quiet", "decode", "--output", home.path(), home / "pipe.mp3"},
             {"--quiet", "encode", "--format", "flac", "--output", home.path(),
              home / "pipe.wav"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.status, 1) << args.back();
        EXPECT_THAT(r.err, HasSubstr(args.back() + "：它不是普通文件"));
    }
}

}  // namespace
}  // namespace korvida

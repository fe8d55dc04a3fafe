#include "core/encode/OggCommentRewrite.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "EncodeTestSupport.h"

namespace korvida {
namespace {

using namespace test;
using ::testing::HasSubstr;
using ::testing::Not;

class OggCommentRewriteTest : public EncodeJobTest {
  protected:
    void SetUp() override {
        EncodeJobTest::SetUp();
        item().track.Title = "标题";
        UseSource(NoiseWav(3 * 44100));
        ASSERT_EQ(EncodeOgg(job, env), 1);
        path = item().outputPath;
        samples = Decoded();
    }
    std::string Decoded() {
        RunCommand("oggdec -Q -o '" + dir / "decoded.wav" + "' '" + path + "'");
        return ReadFile(dir / "decoded.wav");
    }
    // ogginfo checks the page numbers and checksums as well as the streams.
    std::string OggInfo() { return RunCommand("ogginfo '" + path + "' 2>&1; echo status=$?"); }
    std::size_t FilesInFolder() const {
        auto files = std::filesystem::directory_iterator(std::filesystem::path(path).parent_path());
        return static_cast<std::size_t>(std::distance(files, {}));
    }
    std::string path;
    std::string samples;
};

TEST_F(OggCommentRewriteTest, HeadersGrowingAndShrinkingAcrossPagesKeepTheAudioIntact) {
    // 100 kB of comment takes the headers over many more pages than before, and back.
    const std::string big(100000, 'x');
    for (const std::string& value : {big, std::string("small")}) {
        ASSERT_TRUE(RewriteOggComments(path, [&](std::vector<std::string>& comments) {
            EXPECT_EQ(comments.front(), "TITLE=标题");
            comments.resize(1);
            comments.push_back("NOTE=" + value);
        }));
        EXPECT_THAT(OggInfo(), HasSubstr("status=0"));
        EXPECT_THAT(OggInfo(), Not(HasSubstr("WARNING")));
        EXPECT_EQ(Decoded(), samples);
        EXPECT_EQ(RunCommand("vorbiscomment -l '" + path + "'"),
                  "TITLE=标题\nNOTE=" + value + "\n");
    }
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(OggCommentRewriteTest, ADamagedOrForeignFileIsLeftAsItWas) {
    const std::string whole = ReadFile(path);
    for (const std::string& bytes :
         {whole.substr(0, whole.size() - 100), std::string("RIFF not an Ogg file at all"),
          whole.substr(0, 3000) + std::string(500, '\0') + whole.substr(3500)}) {
        WriteFile(path, bytes);
        std::string error;
        EXPECT_FALSE(RewriteOggComments(
            path, [](std::vector<std::string>& comments) { comments.clear(); }, &error));
        EXPECT_THAT(error, HasSubstr(path));
        EXPECT_EQ(ReadFile(path), bytes);
        EXPECT_EQ(FilesInFolder(), 1u);
    }
}

}  // namespace
}  // namespace korvida

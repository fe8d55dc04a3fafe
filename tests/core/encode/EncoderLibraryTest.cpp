#include "core/encode/EncoderLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EncodeTestSupport.h"
#include "core/encode/Mp3Encoder.h"
#include "support/RecordingNotifier.h"

namespace korvida {
namespace {

using namespace test;

class OptionalOrRequired : public ::testing::TestWithParam<const char*> {};

// Each of the five required names missing leaves nothing bound; the VBR header writers
// alone may be missing.
TEST_P(OptionalOrRequired, BindingIsAllOrNothing) {
    const std::string hidden = GetParam();
    static int dummy;
    const EncoderEntryPoints e = BindEncoderEntryPoints(
        [&](const char* name) -> void* { return hidden == name ? nullptr : &dummy; });
    const bool optional =
        hidden == lame_enc::kWriteVBRHeader || hidden == lame_enc::kWriteStreamVBRHeader;
    EXPECT_EQ(e.IsBound(), optional);
    EXPECT_EQ(e.beInitStream != nullptr, optional);
    EXPECT_EQ(e.beVersion != nullptr, optional);
}

INSTANTIATE_TEST_SUITE_P(Names, OptionalOrRequired,
                         ::testing::Values(lame_enc::kInitStream, lame_enc::kEncodeChunk,
                                           lame_enc::kDeinitStream, lame_enc::kCloseStream,
                                           lame_enc::kVersion, lame_enc::kWriteVBRHeader,
                                           lame_enc::kWriteStreamVBRHeader));

TEST(EncoderLibraryTest, MissingOrIncompleteModulesAndOtherEnginesBindNothing) {
    TempDir dir;
    EncoderLibrary library;
    ASSERT_TRUE(library.Load(0)) << library.errorText();
    EXPECT_NE(library.entryPoints().beWriteVBRHeader, nullptr);
    EXPECT_NE(library.entryPoints().beWriteStreamVBRHeader, nullptr);
    const std::string module = library.path();

    EXPECT_FALSE(library.Load(0, {dir / "liblame_enc.so"}));
    EXPECT_FALSE(library.IsBound());
    EXPECT_FALSE(library.errorText().empty());
    // A real library without the entry points: loaded, found wanting, unloaded.
    EXPECT_FALSE(library.Load(0, {"libm.so.6"}));
    EXPECT_FALSE(library.IsBound());
    EXPECT_TRUE(library.path().empty());
    // Candidates that fail do not stop the search.
    EXPECT_TRUE(library.Load(0, {dir / "nothing.so", "libm.so.6", module}));
    EXPECT_EQ(library.path(), module);
}

TEST(EncoderLibraryTest, StartUpTellsTheUserWhenTheModuleCannotBeBound) {
    RecordingNotifier notifier;
    EXPECT_FALSE(BindEncoderAtStartUp(1, notifier));
    EXPECT_THAT(notifier.messages, ::testing::ElementsAre("没有找到编码所需的 DLL！"));
    notifier.messages.clear();
    EXPECT_TRUE(BindEncoderAtStartUp(0, notifier));
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(TheEncoderLibrary().IsBound());
}

// The module guards the caller's buffers and its own handles: a chunk larger than it
// announced is refused (its output might not fit), and a closed stream is not touched.
TEST(ModuleTest, RefusesOversizedChunksAndClosedStreams) {
    EncoderLibrary library;
    ASSERT_TRUE(library.Load(0));
    const EncoderEntryPoints& be = library.entryPoints();
    std::uint32_t samples = 0;
    std::uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    ASSERT_EQ(be.beInitStream(BuildLameConfig(Settings{}, WavFormat{}).data(), &samples,
                              &bufferSize, &stream),
              BE_ERR_SUCCESSFUL);
    EXPECT_EQ(samples, 2304u);  // one MPEG-1 frame of stereo samples
    std::vector<std::int16_t> pcm(samples + 2);
    std::vector<std::uint8_t> out(bufferSize);
    std::uint32_t bytes = 0;
    EXPECT_EQ(be.beEncodeChunk(stream, samples, pcm.data(), out.data(), &bytes), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(be.beEncodeChunk(stream, samples + 2, pcm.data(), out.data(), &bytes),
              BE_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(be.beCloseStream(stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(be.beEncodeChunk(stream, 0, pcm.data(), out.data(), &bytes), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(be.beCloseStream(stream), BE_ERR_INVALID_HANDLE);
}

}  // namespace
}  // namespace korvida

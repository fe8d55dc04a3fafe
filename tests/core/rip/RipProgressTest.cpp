// What a rip's window says of the whole rip, fed the messages of a rip whose reader runs
// ahead of its encoders, and of the steps around the reads.
#include <gtest/gtest.h>

#include "core/jobs/Messages.h"
#include "core/rip/RipProgress.h"
#include "core/rip/RipStep.h"

namespace korvida {
namespace {

Message Step(RipStep step, int number = 0) {
    return {WM_RIP_STEP, static_cast<std::intptr_t>(step), number, {}};
}

std::vector<int> Items(const RipProgress& rip) {
    std::vector<int> items;
    for (const auto& line : rip.encoding())
        items.push_back(line.item);
    return items;
}

// Three tracks of 1000, 2000 and 1000 frames; two encoders behind the reader.
TEST(RipProgress, TheReaderRunsAheadTheSlowerStageGivesTheTimeLeft) {
    RipProgress rip(3, {1000, 2000, 1000});
    EXPECT_EQ(rip.LeftMs(0), std::nullopt);
    rip.Take({WM_ITEM_STATUS, 0, 0, "a"}, 0);
    rip.Take({WM_EXTRACT_PROGRESS, 500, 1000, {}}, 1000);
    EXPECT_EQ(rip.LeftMs(1000), 7000u);  // 500 of 4000 frames in a second
    EXPECT_EQ(rip.Caption("正在抓取 (01/03): a"), "正在抓取 (01/03): a");

    rip.Take({WM_ITEM_STATUS, 0, 0, "b"}, 2000);
    rip.Take({WM_ENCODE_BEHIND, 1, 3, "a"}, 2000);
    rip.Take({WM_ITEM_STATUS, 0, 0, "c"}, 3000);
    rip.Take({WM_ENCODE_BEHIND, 2, 3, "b"}, 3000);
    rip.Take({WM_ENCODE_BEHIND_PROGRESS, 250, 2, {}}, 3500);
    rip.Take({WM_ENCODE_BEHIND_PROGRESS, 500, 1, {}}, 4000);
    EXPECT_EQ(Items(rip), (std::vector<int>{1, 2}));
    EXPECT_EQ(rip.EncodingText(rip.encoding()[1]), "正在编码 (02/03): b");
    EXPECT_EQ(rip.encoding()[1].perMille, 250u);
    EXPECT_EQ(rip.Caption("正在抓取 (03/03): c"), "正在抓取 (03/03): c — 已编码 0/3");
    // Read 3000 of 4000 frames in 4 s, encoded 1000 in 2 s: the encoders end later.
    EXPECT_EQ(rip.LeftMs(4000), 6000u);

    rip.Take({WM_EXTRACT_PROGRESS, 1000, 900, {}}, 4500);
    rip.Take(Step(RipStep::kReadingDone), 4500);
    rip.Take({WM_ENCODE_BEHIND_PROGRESS, 1000, 1, {}}, 5000);
    EXPECT_TRUE(rip.readingDone());
    EXPECT_EQ(rip.stageText(), "读取完成，正在编码余下的音轨");
    EXPECT_EQ(rip.Caption("正在抓取 (03/03): c"), "正在编码 (02/03): b");
    // The last track may start and end while an older one is still at work.
    rip.Take({WM_ENCODE_BEHIND, 3, 3, "c"}, 5000);
    rip.Take({WM_ENCODE_BEHIND_PROGRESS, 1000, 3, {}}, 5500);
    EXPECT_EQ(Items(rip), std::vector<int>{2});
    rip.Take({WM_ENCODE_BEHIND_PROGRESS, 1000, 2, {}}, 6000);
    EXPECT_TRUE(rip.encoding().empty());
    EXPECT_EQ(rip.encodedCount(), 3);
    EXPECT_EQ(rip.LeftMs(6000), 0u);

    rip.Take(Step(RipStep::kAlbumReplayGain), 6000);
    EXPECT_EQ(rip.stageText(), "正在写入专辑的 ReplayGain 标签");
    EXPECT_EQ(rip.Caption("正在抓取 (03/03): c"), "正在写入专辑的 ReplayGain 标签");
}

TEST(RipProgress, ReadPassesAreNamedAndOneThreadKeepsItsCaptions) {
    RipProgress rip(2);
    rip.Take({WM_ITEM_STATUS, 0, 0, "a"}, 0);
    rip.Take(Step(RipStep::kTestRead), 0);
    EXPECT_EQ(rip.stageText(), "正在抓取 CDDA: 测试读取");
    rip.Take(Step(RipStep::kCopyRead), 100);
    EXPECT_EQ(rip.stageText(), "正在抓取 CDDA: 复制读取");
    rip.Take(Step(RipStep::kReread, 2), 200);
    EXPECT_EQ(rip.stageText(), "正在抓取 CDDA: 第 2 次重新读取");
    // Normalising reads the file, not the disc: the track counts as read.
    rip.Take({WM_EXTRACT_PROGRESS, 800, 0, {}}, 300);
    rip.Take({WM_ITEM_STATUS, 1, 0, "a"}, 300);
    rip.Take({WM_EXTRACT_PROGRESS, 100, 0, {}}, 400);
    EXPECT_EQ(rip.LeftMs(400), 400u);  // one of two tracks in 400 ms

    // Read, then encode, on one thread: its captions are the window's own.
    rip.Take({WM_ENCODE_STATUS, 0, 0, "a"}, 500);
    rip.Take({WM_ENCODE_PROGRESS, 500, 0, {}}, 600);
    EXPECT_EQ(rip.Caption("正在编码 (01/02): a"), "正在编码 (01/02): a");
    rip.Take({WM_ITEM_STATUS, 0, 0, "b"}, 700);
    EXPECT_EQ(rip.stageText(), "正在抓取 CDDA ");
    EXPECT_EQ(rip.encodedCount(), 1);
    rip.Take({WM_ENCODE_STATUS, 0, 0, "b"}, 800);
    rip.Take(Step(RipStep::kRipLog), 900);
    EXPECT_EQ(rip.encodedCount(), 2);
    EXPECT_EQ(rip.Caption("x"), "正在写入抓取日志");
}

}  // namespace
}  // namespace korvida

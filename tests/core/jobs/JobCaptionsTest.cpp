#include <gtest/gtest.h>

#include "core/jobs/JobCaptions.h"
#include "core/jobs/Messages.h"

namespace korvida {
namespace {

// A rip that normalises and encodes each track: only a new item's first status counts.
TEST(JobCaptions, CountItemsOnlyOnTheirFirstStatus) {
    JobCaptions rip(3, false);
    EXPECT_EQ(rip.For({WM_EXTRACT_PROGRESS, 10, 0, {}}), std::nullopt);
    for (const char* name : {"a", "b", "c"}) {
        ASSERT_TRUE(rip.For({WM_ITEM_STATUS, 0, 0, name}));
        ASSERT_TRUE(rip.For({WM_ITEM_STATUS, 1, 0, name}));
    }
    EXPECT_EQ(rip.For({WM_ITEM_STATUS, 2, 0, "c"}), "正在规格化(03/03): c");
    EXPECT_EQ(rip.For({WM_ENCODE_STATUS, 1, 0, "c"}), "正在编码 (03/03): c");

    JobCaptions decode(2, true);
    EXPECT_EQ(decode.For({WM_ITEM_STATUS, 0, 0, "x.mp3"}), "正在编码 (01/02): x.mp3");
    EXPECT_EQ(decode.For({WM_DECODE_STATUS, 0, 0, "x.mp3"}), "正在解码(01/02): x.mp3");
    JobCaptions many(120, false);
    EXPECT_EQ(many.For({WM_ITEM_STATUS, 0, 0, "t"}), "正在抓取 (01/120): t");
}

}  // namespace
}  // namespace korvida

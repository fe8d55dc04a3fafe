// The rip log's text and seal and the cue sheet's text, from plain job records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "core/disc/DiscInfo.h"
#include "core/encode/EncoderFormats.h"
#include "core/rip/CueSheetText.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipLogText.h"
#include "core/verify/RipLogSeal.h"

namespace korvida {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct TocEntry {
    std::uint8_t track;
    std::uint8_t adrControl;
    std::uint32_t lba;
};

// A disc with the given READ TOC descriptors (the lead-out last) and their ranges.
std::shared_ptr<DiscInfo> Disc(const std::vector<TocEntry>& entries) {
    auto disc = std::make_shared<DiscInfo>();
    auto& raw = disc->rawToc;
    const std::size_t length = 2 + entries.size() * 8;
    raw[0] = static_cast<std::uint8_t>(length >> 8);
    raw[1] = static_cast<std::uint8_t>(length);
    raw[2] = entries.front().track;
    raw[3] = entries[entries.size() - 2].track;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* d = &raw[4 + i * 8];
        d[1] = entries[i].adrControl;
        d[2] = entries[i].track;
        for (int b = 0; b < 4; ++b)
            d[4 + b] = static_cast<std::uint8_t>(entries[i].lba >> (24 - 8 * b));
        if (i + 1 < entries.size())
            disc->trackRanges[i] = {entries[i].lba, entries[i + 1].lba};
    }
    disc->trackCount = static_cast<std::int32_t>(entries.size() - 1);
    return disc;
}

// A finished rip of the disc's tracks `indexes` into /music/Album.
void AddItems(RipJob& job, const std::vector<int>& indexes) {
    for (int i : indexes) {
        RipJobItem item;
        item.index = i;
        item.start = job.disc->trackRanges[static_cast<std::size_t>(i)].start;
        item.end = job.disc->trackRanges[static_cast<std::size_t>(i)].end;
        item.name = "Song \"" + std::to_string(i + 1) + "\"";
        item.track.Artist = "Band";
        item.track.Album = "Album";
        item.outputPath = "/music/Album/0" + std::to_string(i + 1) + ".WAV";
        job.items.push_back(std::move(item));
    }
}

TEST(RipLogSeal, EveryOneByteEditAndEveryAppendShow) {
    const std::string sealed = SealRipLog("音轨 01\n  CRC32: 1234abcd\n");
    ASSERT_EQ(CheckRipLogSeal(sealed), RipLogSealCheck::kIntact);
    EXPECT_THAT(sealed, ::testing::EndsWith(" ====\n"));
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        std::string edited = sealed;
        edited[i] = static_cast<char>(edited[i] ^ 0x01);
        EXPECT_NE(CheckRipLogSeal(edited), RipLogSealCheck::kIntact) << "byte " << i;
    }
    EXPECT_EQ(CheckRipLogSeal(sealed + "more\n"), RipLogSealCheck::kChanged);
    EXPECT_EQ(CheckRipLogSeal(sealed.substr(0, sealed.size() - 1)), RipLogSealCheck::kChanged);
    EXPECT_EQ(CheckRipLogSeal("x" + sealed), RipLogSealCheck::kChanged);
    EXPECT_EQ(CheckRipLogSeal("a log without its last line\n"), RipLogSealCheck::kNoSeal);
    EXPECT_EQ(CheckRipLogSeal(""), RipLogSealCheck::kNoSeal);
}

TEST(RipLogText, FiguresAsFilledAndASummaryThatNamesEveryDoubtfulTrack) {
    RipJob job;
    job.disc = Disc({{1, 0x10, 0}, {2, 0x10, 1000}, {3, 0x10, 2000}, {0xAA, 0x10, 3000}});
    AddItems(job, {0, 1, 2});
    TrackVerification& accurate = job.items[0].verification;
    accurate.checked = true;
    accurate.sums = {0x1234abcd, 0x0badcafe, 0xdeadbeef, 0x00c0ffee, 0, false, false, 0, {}};
    accurate.peak = 32767;
    accurate.outcome = AccurateRipOutcome::kAccurate;
    accurate.confidence = 7;
    accurate.version = 2;
    TrackVerification& suspicious = job.items[1].verification;
    suspicious.tested = true;
    suspicious.testCrc = 0x11111111;
    suspicious.copyCrc = 0x22222222;
    suspicious.suspicious = true;
    suspicious.skippedSectors = {1500, 1527};
    suspicious.outcome = AccurateRipOutcome::kAccurate;  // the database alone is not enough
    job.items[2].verification.outcome = AccurateRipOutcome::kNotInDatabase;

    const std::string log = RipLogText(job, RipEnd::kDone, {"Korvida 9", "now", "DRIVE", "x.cue"});
    EXPECT_THAT(log, HasSubstr("  CRC32: 1234abcd\n  CRC32-nonull: 0badcafe\n"
                               "  ARv1: deadbeef\n  ARv2: 00c0ffee\n"));
    EXPECT_THAT(log, HasSubstr("  AccurateRip: accurately ripped (confidence 7, v2)\n"));
    EXPECT_THAT(log, HasSubstr("  峰值: 100.0 %\n"));
    EXPECT_THAT(log, HasSubstr("跳过的扇区: 2 处: LBA 1500 (00:22:00) LBA 1527 (00:22:27)"));
    EXPECT_THAT(log, HasSubstr("测试 CRC 11111111, 复制 CRC 22222222"));
    // Figures nobody filled are not shown as zeros.
    EXPECT_THAT(log, HasSubstr("  CRC32, ARv1, ARv2: 未计算\n"));
    EXPECT_THAT(log, Not(HasSubstr("00000000")));
    EXPECT_THAT(log, HasSubstr("  02    音频  00:15:25          1000  00:13:25          1999\n"));
    EXPECT_THAT(log, HasSubstr("未能确认准确抓取的音轨:\n"
                               "    02  测试与复制的两次读取始终不一致，可疑\n"
                               "    03  not in the database\n"));
    EXPECT_THAT(log, Not(HasSubstr("所有音轨均已准确抓取")));

    for (RipJobItem& item : job.items) {
        item.verification.suspicious = false;
        item.verification.outcome = AccurateRipOutcome::kAccurate;
    }
    EXPECT_THAT(RipLogText(job, RipEnd::kDone, {}), HasSubstr("  所有音轨均已准确抓取\n"));
    // Trimming changes what was written from what was checked; the log says so.
    job.items[2].start += 10;
    job.items[2].outputPath.clear();
    const std::string failed = RipLogText(job, RipEnd::kFailed, {});
    EXPECT_THAT(failed, HasSubstr("  抓取失败\n  未能确认准确抓取的音轨:\n    03  未完成\n"));
    EXPECT_THAT(failed, HasSubstr("写入的文件与校验的音频不同: 已删除静音"));
    EXPECT_FALSE(AllTracksAccurate(job, RipEnd::kCancelled));
}

// Logs are shared as proof of a rip: the format they name must be the one written.
TEST(RipLogText, NamesEveryOutputFormat) {
    RipJob job;
    const std::pair<int, const char*> formats[] = {{kOutputMp3, "MP3"},
                                                   {kOutputWav, "WAV"},
                                                   {kOutputOgg, "Ogg Vorbis"},
                                                   {kOutputFlac, "FLAC"},
                                                   {kOutputOpus, "Opus"}};
    for (const auto& [format, name] : formats) {
        job.settings.OutputFormat = format;
        EXPECT_THAT(RipLogText(job, RipEnd::kDone, {}),
                    HasSubstr(std::string("  输出格式: ") + name + "\n\n"));
    }
}

TEST(CueSheetText, DataTracksLeftOutFirstAudioTrackGetsItsPregapNamesStayQuoted) {
    RipJob job;
    job.settings.OutputFormat = kOutputWav;
    // Mixed mode: data first, then two audio tracks, the first with pre-emphasis.
    job.disc = Disc({{1, 0x14, 0}, {2, 0x11, 10000}, {3, 0x10, 20000}, {0xAA, 0x10, 30000}});
    AddItems(job, {1, 2});
    const CueSheet sheet = CueSheetText(job, "/music/Album", "Korvida 9");
    ASSERT_EQ(sheet.problem, "");
    // The freedb id as python3-libdiscid computes it for this TOC.
    EXPECT_EQ(sheet.text,
              "REM DISCID 1B019003\n"
              "REM COMMENT \"Korvida 9\"\n"
              "PERFORMER \"Band\"\n"
              "TITLE \"Album\"\n"
              "REM DATA TRACK 01 LBA 0 NOT RIPPED\n"
              "FILE \"02.WAV\" WAVE\n"
              "  TRACK 02 AUDIO\n"
              "    TITLE \"Song '2'\"\n"
              "    PERFORMER \"Band\"\n"
              "    FLAGS PRE\n"
              "    PREGAP 02:13:25\n"
              "    INDEX 01 00:00:00\n"
              "FILE \"03.WAV\" WAVE\n"
              "  TRACK 03 AUDIO\n"
              "    TITLE \"Song '3'\"\n"
              "    PERFORMER \"Band\"\n"
              "    INDEX 01 00:00:00\n");

    job.items[1].end -= 75;  // trimmed: the files no longer have the disc's TOC
    EXPECT_THAT(CueSheetText(job, "/music/Album", "").text, HasSubstr("REM 文件已删除静音"));
    job.items.pop_back();
    EXPECT_EQ(CueSheetText(job, "/music/Album", "").problem, "并非所有音轨都已抓取");
    job.settings.OutputFormat = kOutputMp3;
    EXPECT_NE(CueSheetText(job, "/music/Album", "").problem, "");
}

// With the disc's layout detected the sheet carries what the disc says beyond its TOC,
// and only what it says: no empty SONGWRITER, no CATALOG of the wrong length.
TEST(CueSheetText, DetectedLayoutAddsIndexesCodesAndTexts) {
    RipJob job;
    job.settings.OutputFormat = kOutputWav;
    job.settings.DetectGaps = 1;
    auto disc = Disc({{1, 0x10, 0}, {2, 0x10, 1000}, {3, 0x10, 2000}, {0xAA, 0x10, 3000}});
    disc->catalog = "0123456789012";
    job.disc = disc;
    AddItems(job, {0, 1, 2});
    job.items[0].track.GenreName = "Jazz";
    job.items[0].track.Year = "1971";
    job.items[1].isrc = "USABC7100001";
    job.items[1].track.Composer = "Writer";
    job.indexes.detected = true;
    job.indexes.tracks.resize(3);
    job.indexes.tracks[1].index0 = 963;  // 37 frames before track 2
    job.indexes.tracks[1].later = {1500};
    const std::string text = CueSheetText(job, "/music/Album", "K").text;
    EXPECT_THAT(text, HasSubstr("REM GENRE \"Jazz\"\nREM DATE \"1971\"\nREM DISCID "));
    EXPECT_THAT(text, HasSubstr("CATALOG 0123456789012\nPERFORMER \"Band\"\n"));
    EXPECT_THAT(text, HasSubstr("    INDEX 01 00:00:00\n"
                                "  TRACK 02 AUDIO\n"
                                "    TITLE \"Song '2'\"\n"
                                "    PERFORMER \"Band\"\n"
                                "    SONGWRITER \"Writer\"\n"
                                "    ISRC USABC7100001\n"
                                "    INDEX 00 00:12:63\n"
                                "FILE \"02.WAV\" WAVE\n"
                                "    INDEX 01 00:00:00\n"
                                "    INDEX 02 00:06:50\n"));
    EXPECT_THAT(text, Not(HasSubstr("SONGWRITER \"\"")));
    // Without detection the same job gets today's sheet.
    job.settings.DetectGaps = 0;
    job.indexes = {};
    EXPECT_THAT(
        CueSheetText(job, "/music/Album", "K").text,
        Not(::testing::AnyOf(HasSubstr("INDEX 00"), HasSubstr("ISRC"), HasSubstr("REM GENRE"))));
}

}  // namespace
}  // namespace korvida

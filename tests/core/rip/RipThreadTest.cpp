#include "core/rip/RipThread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/batch/BatchJobs.h"
#include "core/cdrom/Cdb.h"
#include "core/disc/CoverArtStore.h"
#include "core/disc/LoadDisc.h"
#include "core/encode/EncodeTask.h"
#include "core/encode/EncoderLibrary.h"
#include "core/jobs/MessageQueue.h"
#include "core/jobs/Messages.h"
#include "core/rip/RipCommand.h"
#include "core/rip/RipJobHandle.h"
#include "core/text/Utf8.h"
#include "support/FakeSgIoKernel.h"
#include "support/RecordingNotifier.h"
#include "support/RipBench.h"

namespace korvida {
namespace {

using test::Frames;
using test::LogTexts;
using test::ReadFile;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// Five tracks of 60 frames on the pattern disc, loaded as the main window loads a disc;
// the rip runs on its own thread, as the GUI starts it.
class RipThreadTest : public ::testing::Test, public test::RipBench {
  protected:
    RipThreadTest() : RipBench({0, 60, 120, 180, 240}, 300) {
        settings.OutputFolder = home / "out";
        settings.OutputFormat = kOutputWav;
        Load();
        rows.CheckAll(false);
    }

    void Tick(std::initializer_list<int> trackNumbers) {
        for (int n : trackNumbers)
            rows.row(rows.FindTrack(n - 1)).checked = true;
    }

    // Runs the job to its end. The end message is sent while the job still exists: its
    // items are copied there, as the progress window lists them.
    void Rip() {
        progress.onMessage = [this, previous = progress.onMessage](const Message& m) {
            if (previous)
                previous(m);
            if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED) {
                ended = m.id == WM_JOB_DONE ? "done" : "failed";
                finalItems = reinterpret_cast<const RipJob*>(m.wParam)->items;
                jobCover = reinterpret_cast<const RipJob*>(m.wParam)->coverArt;
            }
        };
        ASSERT_TRUE(RunRip());
    }

    // The item names announced to the progress window, in order.
    std::vector<std::string> Announced() const {
        std::vector<std::string> names;
        for (const Message& m : progress.Only(WM_ITEM_STATUS))
            if (m.wParam == 0)
                names.push_back(m.text);
        return names;
    }
    std::vector<std::intptr_t> Highlighted() const {
        std::vector<std::intptr_t> tracks;
        for (const Message& m : main.Only(WM_CURRENT_TRACK))
            tracks.push_back(m.wParam);
        return tracks;
    }
    std::vector<std::string> OutputFiles() const {
        std::vector<std::string> names;
        for (const RipJobItem& item : finalItems)
            names.push_back(std::filesystem::path(item.outputPath).filename().string());
        return names;
    }

    std::string ended;
    std::vector<RipJobItem> finalItems;
    CoverImage jobCover;
};

TEST_F(RipThreadTest, TickedTracksAreRippedInListOrderUnderTheirOwnNumbers) {
    Tick({2, 5});
    Rip();
    EXPECT_EQ(ended, "done");
    EXPECT_THAT(Announced(), ElementsAre("音轨 2", "音轨 5"));
    EXPECT_THAT(Highlighted(), ElementsAre(1, 4));
    EXPECT_THAT(OutputFiles(), ElementsAre("02-音轨 2.WAV", "05-音轨 5.WAV"));
    EXPECT_TRUE(ReadFile(finalItems[1].outputPath).substr(44) == Frames(240, 60));
}

TEST_F(RipThreadTest, TheStoredCoverRidesWithTheJobAndLandsInTheAlbumFolderWhenAsked) {
    namespace fs = std::filesystem;
    Tick({1, 2});
    settings.NamingRule = "<album>/<number>-<title>";
    Rip();  // no cover stored: nothing to carry, nothing written
    EXPECT_EQ(jobCover, nullptr);
    const fs::path album = fs::path(finalItems.at(0).outputPath).parent_path();
    EXPECT_NE(album, fs::path(home / "out"));
    EXPECT_FALSE(fs::exists(album / "cover.jpg"));

    const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 9};
    EXPECT_FALSE(StoreCoverArt(info, {'<', 'h', 't', 'm', 'l', '>'}));
    ASSERT_TRUE(StoreCoverArt(info, png));
    ASSERT_TRUE(StoreCoverArt(info, jpeg));  // replaces the PNG, which would shadow it
    EXPECT_EQ(fs::directory_iterator(home / "db")->path().extension(), ".jpg");
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "db"), fs::directory_iterator()), 1);

    settings.CoverFile = 0;
    Rip();
    ASSERT_NE(jobCover, nullptr);
    EXPECT_EQ(*jobCover, jpeg);
    EXPECT_FALSE(fs::exists(album / "cover.jpg"));

    settings.CoverFile = 1;
    Rip();
    EXPECT_EQ(ended, "done");
    const std::string written = ReadFile(album / "cover.jpg");
    EXPECT_EQ(std::vector<std::uint8_t>(written.begin(), written.end()), jpeg);
    EXPECT_THAT(OutputFiles(), ElementsAre("01-音轨 1.WAV", "02-音轨 2.WAV"));
}

TEST_F(RipThreadTest, MovedRowIsRippedFirstAndKeepsItsTrackNumber) {
    Tick({2, 5});
    rows.HighlightOnly(rows.FindTrack(4));
    ASSERT_EQ(rows.MoveHighlighted(TrackList::Move::kTop), 0);
    Rip();
    EXPECT_THAT(Announced(), ElementsAre("音轨 5", "音轨 2"));
    EXPECT_THAT(Highlighted(), ElementsAre(4, 1));
    EXPECT_THAT(OutputFiles(), ElementsAre("05-音轨 5.WAV", "02-音轨 2.WAV"));
    EXPECT_TRUE(ReadFile(finalItems[0].outputPath).substr(44) == Frames(240, 60));
}

TEST_F(RipThreadTest, CancelDuringTheSecondOfThreeTracksEndsOnTheCompletionPage) {
    Tick({1, 2, 3});
    int items = 0;
    progress.onMessage = [&](const Message& m) {
        if (m.id == WM_ITEM_STATUS && m.wParam == 0)
            ++items;
        if (items == 2 && m.id == WM_EXTRACT_PROGRESS && m.wParam == 0)
            Cancel();  // after the first chunk of track 2
    };
    Rip();
    EXPECT_EQ(ended, "done");
    EXPECT_THAT(Announced(), ElementsAre("音轨 1", "音轨 2"));
    EXPECT_THAT(OutputFiles(), ElementsAre("01-音轨 1.WAV", "02-音轨 2.WAV", ""));
    EXPECT_TRUE(ReadFile(finalItems[0].outputPath).substr(44) == Frames(0, 60));
    EXPECT_TRUE(ReadFile(finalItems[1].outputPath).substr(44) == Frames(60, 26));
    EXPECT_FALSE(std::filesystem::exists(home / "out/03-音轨 3.WAV"));
    EXPECT_THAT(LogTexts(main), Contains("用户取消操作。"));
}

TEST_F(RipThreadTest, CancelledReplayGainRipKeepsWholeFilesWithTrackValuesOnly) {
    Tick({1, 2, 3});
    settings.OutputFormat = kOutputOgg;
    settings.ReplayGain = 1;
    settings.EncoderThreads = 1;  // the moment below is one of reading and encoding in turn
    int encodes = 0;
    progress.onMessage = [&](const Message& m) {
        if (m.id == WM_ENCODE_STATUS && ++encodes == 2)
            Cancel();  // as track 2's encode begins
    };
    Rip();
    EXPECT_EQ(ended, "done");
    // No album values without the whole album, and no file half-made or half-rewritten.
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(home / "out"))
        files.push_back(entry.path().filename().string());
    EXPECT_THAT(files, ElementsAre("01-音轨 1.ogg"));
    const std::string comments =
        test::RunCommand("vorbiscomment -l '" + home / "out/01-音轨 1.ogg'");
    EXPECT_THAT(comments, HasSubstr("REPLAYGAIN_TRACK_GAIN="));
    EXPECT_THAT(comments, Not(HasSubstr("REPLAYGAIN_ALBUM")));
}

TEST_F(RipThreadTest, RequestLeftFromAnEarlierJobDoesNotCancelThisOne) {
    Tick({1, 2});
    test::ScriptedTarget earlierProgress;
    JobParties earlierParties = parties;
    earlierParties.progressWindow = &earlierProgress;
    RipJobHandle earlier = StartRip(rows, info, earlierParties, settings, notifier);
    earlier.Wait();
    earlier.Cancel();  // the Close button of the finished job
    Rip();
    EXPECT_EQ(ended, "done");
    EXPECT_THAT(Announced(), ElementsAre("音轨 1", "音轨 2"));
}

TEST_F(RipThreadTest, FailingTrackEndsTheJobAndLaterTracksAreNotBegun) {
    Tick({1, 2, 3});
    disc.drive->faults().unreadable = {{70, 1}};
    Rip();
    EXPECT_EQ(ended, "failed");
    EXPECT_THAT(Announced(), ElementsAre("音轨 1", "音轨 2"));
    EXPECT_TRUE(std::filesystem::exists(finalItems[0].outputPath));
    EXPECT_TRUE(finalItems[2].outputPath.empty());
}

TEST_F(RipThreadTest, NothingTickedIsRefusedWithoutAThread) {
    EXPECT_EQ(PrepareRip(rows, info, disc.driver.get(), notifier), 0);
    EXPECT_FALSE(StartRip(rows, info, parties, settings, notifier).started());
    EXPECT_THAT(notifier.messages, ElementsAre(kSelectTrackMessage, kSelectTrackMessage));
    Tick({3});
    EXPECT_EQ(PrepareRip(rows, info, disc.driver.get(), notifier), 1);
}

// A rule that names two tracks alike would write them one over the other and end as done.
TEST_F(RipThreadTest, RuleThatGivesTracksOneFileIsRefusedBeforeAnythingIsReadOrMade) {
    disc.drive->SetRecording(true);
    for (const int i : {0, 1})
        info.tracks[static_cast<std::size_t>(i)].Artist = "A";
    for (const int i : {3, 4})
        info.tracks[static_cast<std::size_t>(i)].Artist = "B";
    settings.NamingRule = "<artist>";
    Tick({1, 2, 3, 4, 5});
    EXPECT_FALSE(StartRip(rows, info, parties, settings, notifier).started());
    ASSERT_EQ(notifier.messages.size(), 1u);
    const std::string& message = notifier.messages[0];
    EXPECT_THAT(message, HasSubstr("命名规则 <artist> "));
    EXPECT_THAT(message, HasSubstr("\n音轨 1、2 → " + (home / "out/A.WAV") + "\n"));
    EXPECT_THAT(message, HasSubstr("\n音轨 4、5 → " + (home / "out/B.WAV") + "\n"));
    EXPECT_THAT(message, Not(HasSubstr("Artist.WAV")));
    EXPECT_THAT(test::Reads(*disc.drive), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(home / "out"));
    EXPECT_THAT(progress.messages(), IsEmpty());
    // The reason is in the log too, where the progress window's error page points.
    EXPECT_THAT(LogTexts(main), ElementsAre(message));
    EXPECT_EQ(main.messages().size(), 1u);

    // Names that are told apart only past the longest name a file can have are one file.
    settings.NamingRule = "<title>";
    const std::string longTitle(300, 'x');
    rows.row(rows.FindTrack(0)).texts[1] = longTitle + "1";
    rows.row(rows.FindTrack(1)).texts[1] = longTitle + "2";
    EXPECT_FALSE(StartRip(rows, info, parties, settings, notifier).started());
    EXPECT_THAT(notifier.messages.back(), HasSubstr("\n音轨 1、2 → "));
}

TEST_F(RipThreadTest, TitleTooLongForAFileNameIsCutBehindTheNumberAndTheNextTrackFollows) {
    std::string title;
    for (int i = 0; i < 100; ++i)
        title += "长";
    rows.row(rows.FindTrack(0)).texts[1] = title;
    Tick({1, 2});
    Rip();
    EXPECT_EQ(ended, "done");
    const std::vector<std::string> names = OutputFiles();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_LE(names[0].size(), 255u);
    EXPECT_EQ(names[0].rfind("01-长长", 0), 0u) << names[0];
    EXPECT_TRUE(IsValidUtf8(names[0]));
    EXPECT_TRUE(ReadFile(finalItems[0].outputPath).substr(44) == Frames(0, 60));
    EXPECT_EQ(names[1], "02-音轨 2.WAV");
}

// An encoder stage that checks what it gets and deletes the temporary file, as the
// encoders do.
int FakeMp3Stage(EncodeTask& task) {
    const std::string wav = ReadFile(task.inputPath);
    EXPECT_EQ(wav.size(), 44u + 60 * 2352) << task.inputPath;
    EXPECT_TRUE(task.temporaryInput);
    task.item->outputPath = task.inputPath + ".MP3";
    std::filesystem::remove(task.inputPath);
    return 1;
}

// The built-in formats with the MP3 stage replaced.
EncoderFormats WithMp3Stage(EncoderStageFunction stage) {
    EncoderFormats formats = BuiltInEncoders();
    for (EncoderFormat& format : formats)
        if (format.outputFormat == kOutputMp3)
            format.encode = std::move(stage);
    return formats;
}

TEST_F(RipThreadTest, EncodedFormatsRipToATemporaryFileForTheirStage) {
    settings.OutputFormat = kOutputMp3;
    Tick({1, 4});
    info.isrc[3] = "FRZ039900212";
    std::mutex mutex;  // the encoders work beside each other
    std::vector<std::pair<std::intptr_t, std::string>> stageSaw;
    // StartRip builds its own job; the stage is given through a job built the same way.
    std::unique_ptr<RipJob> job = BuildRipJob(rows, info);
    job->driver = disc.driver.get();
    job->context.progressWindow = &progress;
    job->context.mainWindow = &main;
    job->settings = settings;
    job->coverArt = std::make_shared<const std::vector<std::uint8_t>>(3, 0xFF);
    RipThread(*job, WithMp3Stage([&](JobContext&, EncodeTask& task) {
        {
            std::lock_guard lock(mutex);
            stageSaw.emplace_back(task.item->index, task.item->isrc);
        }
        EXPECT_EQ(task.coverArt, job->coverArt) << "the album's cover, for the tags";
        return FakeMp3Stage(task);
    }));
    EXPECT_THAT(stageSaw, ::testing::UnorderedElementsAre(
                              std::pair<std::intptr_t, std::string>(0, ""),
                              std::pair<std::intptr_t, std::string>(3, "FRZ039900212")));
    EXPECT_TRUE(std::filesystem::is_empty(home / "tmp"));
    EXPECT_EQ(progress.Only(WM_JOB_DONE).size(), 1u);
}

// A stage that gives up before it opens anything (an encoder library that will not load)
// leaves no temporary WAV behind, in turn or on the workers.
TEST_F(RipThreadTest, AStageThatGivesUpAtOnceLeavesNoTemporaryWav) {
    settings.OutputFormat = kOutputMp3;
    Tick({1, 2});
    for (int threads : {1, 2}) {
        settings.EncoderThreads = threads;
        std::unique_ptr<RipJob> job = BuildRipJob(rows, info);
        job->driver = disc.driver.get();
        job->context.mainWindow = &main;
        job->settings = settings;
        RipThread(*job, WithMp3Stage([](JobContext&, EncodeTask&) { return 0; }));
        EXPECT_TRUE(std::filesystem::is_empty(home / "tmp")) << threads << " thread(s)";
    }
}

// Passes everything on to a queue handled on the test's thread, as the GUI's event loop
// handles a window's messages, and counts the sends under way, so a test knows when the
// worker waits in one.
class QueuedWindow : public MessageTarget {
  public:
    void post(Message message) override { queue.post(std::move(message)); }
    void send(Message message) override {
        ++underWay_;
        queue.send(std::move(message));
        --underWay_;
    }
    using MessageTarget::post;
    using MessageTarget::send;
    int underWay() const { return underWay_.load(); }

    // Handles what is queued, waiting up to timeoutMs for the first message.
    void Dispatch(std::uint32_t timeoutMs) {
        queue.Dispatch(
            [this](const Message& m) {
                if (m.id == WM_JOB_LOG)  // without its time stamp
                    log.push_back(m.text.substr(m.text.find(' ', m.text.find(' ') + 1) + 1));
                if (m.id == WM_JOB_DONE || m.id == WM_JOB_FAILED)
                    ends.push_back(m.id);
            },
            timeoutMs);
    }
    bool Logged(const std::string& text) const {
        return std::find(log.begin(), log.end(), text) != log.end();
    }

    MessageQueue queue;
    std::vector<std::string> log;
    std::vector<unsigned> ends;

  private:
    std::atomic<int> underWay_{0};
};

// The owner goes away while the worker runs: the worker must neither be left waiting in a
// send to a thread that no longer handles messages nor outlive its record.
TEST_F(RipThreadTest, DroppedMidRipTheHandleCancelsAndHandlesMessagesUntilTheEnd) {
    Tick({1, 2, 3});
    QueuedWindow window;
    parties.progressWindow = parties.mainWindow = &window;
    RipJobHandle job = StartRip(rows, info, parties, settings, notifier);
    job.SetPump([&](std::uint32_t ms) { window.Dispatch(ms); });
    // The worker waits in the send of this line until it is handled here.
    while (!window.Logged("正在抓取 音轨 2 ..."))
        window.Dispatch(1000);

    job = RipJobHandle();

    EXPECT_THAT(window.ends, ElementsAre(WM_JOB_DONE));
    EXPECT_THAT(window.log, Contains("用户取消操作。"));
    EXPECT_THAT(window.log, Not(Contains("抓取 音轨 3 完成！")));
    EXPECT_EQ(window.queue.Dispatch([](const Message&) {}, 0), 0) << "nothing after the end";
}

TEST_F(RipThreadTest, ARipCancelledWhileItsWindowClosesEndsWithoutADeadlock) {
    Tick({1, 2, 3});
    QueuedWindow window;
    parties.progressWindow = parties.mainWindow = &window;
    RipJobHandle job = StartRip(rows, info, parties, settings, notifier);
    // Nobody handles messages: the worker is soon waiting in its first send.
    while (window.underWay() == 0)
        std::this_thread::yield();

    job.Cancel();          // the Abort button …
    window.queue.Close();  // … and the window closes before it handled anything more
    job.Wait();            // no pump: only the closed window can release the worker

    EXPECT_TRUE(job.finished());
    EXPECT_TRUE(job->context.aborted);
    EXPECT_TRUE(job->endSent);
    EXPECT_TRUE(window.ends.empty()) << "a closed window handles nothing";
    EXPECT_FALSE(std::filesystem::exists(home / "out/02-音轨 2.WAV"));
}

class EncodedRipTest : public RipThreadTest, public ::testing::WithParamInterface<int> {};

// MP3 and Ogg Vorbis rips run the real encoders and leave only the encoded files.
TEST_P(EncodedRipTest, LeavesOneEncodedFilePerTrackAndNoTemporaryFile) {
    ASSERT_TRUE(LoadEncoderLibrary(0));
    settings.OutputFormat = GetParam();
    Tick({1, 2});
    Rip();
    EXPECT_EQ(ended, "done");
    EXPECT_TRUE(std::filesystem::is_empty(home / "tmp"));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home / "out"))
        names.push_back(entry.path().extension().string());
    EXPECT_THAT(names, ::testing::UnorderedElementsAre(GetParam() == kOutputOgg ? ".ogg" : ".MP3",
                                                       GetParam() == kOutputOgg ? ".ogg" : ".MP3"));
}

INSTANTIATE_TEST_SUITE_P(Mp3AndOgg, EncodedRipTest, ::testing::Values(kOutputMp3, kOutputOgg));

struct PriorityCase {
    int setting;
    int stored;
    int nice;
};

class ThreadPriorityTest : public RipThreadTest,
                           public ::testing::WithParamInterface<PriorityCase> {};

TEST_P(ThreadPriorityTest, WorkerRunsAtTheSettingsPriority) {
    ASSERT_TRUE(LoadEncoderLibrary(0));
    settings.ThreadPriority = GetParam().setting;
    settings.OutputFormat = kOutputMp3;
    settings.EncoderThreads = 2;
    Tick({1, 2});
    std::atomic<int> readerNice = -100;
    std::mutex mutex;  // two encoders may log at once
    std::vector<int> encoderNice;
    main.onMessage = [&](const Message& m) {
        const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
        if (m.id == WM_CURRENT_TRACK)  // runs on the reader's thread
            readerNice = nice;
        if (m.id == WM_JOB_LOG && m.text.find("正在编码") != std::string::npos) {  // an encoder's
            std::lock_guard lock(mutex);
            encoderNice.push_back(nice);
        }
    };
    Rip();
    EXPECT_EQ(settings.ThreadPriority, GetParam().stored);
    EXPECT_EQ(readerNice, GetParam().nice);
    EXPECT_THAT(encoderNice, ElementsAre(GetParam().nice, GetParam().nice));
}

INSTANTIATE_TEST_SUITE_P(Settings, ThreadPriorityTest,
                         ::testing::Values(PriorityCase{7, 2, 0}, PriorityCase{0, 0, 19},
                                           PriorityCase{1, 1, 10}));

// The encode-files job over three files, with the given Ogg stage.
RipJobHandle EncodeThree(test::ScriptedTarget& progress, test::ScriptedTarget& log,
                         EncoderStageFunction stage) {
    auto job = std::make_unique<RipJob>();
    SetFileJobItems(*job, {"a.wav", "b.wav", "c.wav"});
    EncoderFormats formats = BuiltInEncoders();
    for (EncoderFormat& format : formats)
        if (format.outputFormat == kOutputOgg)
            format.encode = std::move(stage);
    JobParties parties;
    parties.progressWindow = &progress;
    parties.mainWindow = &log;
    Settings settings;
    settings.EncoderThreads = 1;  // the stages below see the files one after another
    RipJobHandle handle =
        StartFileJob(std::move(job), FileJobKind::kEncodeOgg, parties, settings, formats);
    handle.Wait();
    return handle;
}

TEST(EncodeFilesThreadTest, StopsAtTheFirstFailingFileAndEndsOnACancel) {
    test::ScriptedTarget progress;
    test::ScriptedTarget log;
    std::vector<std::string> seen;
    RipJobHandle job = EncodeThree(progress, log, [&](JobContext&, EncodeTask& task) {
        seen.push_back(task.item->name);
        return task.item->name == "b.wav" ? 0 : 1;
    });
    EXPECT_THAT(seen, ElementsAre("a.wav", "b.wav"));
    EXPECT_EQ(progress.Only(WM_JOB_FAILED).size(), 1u);
    EXPECT_TRUE(job->keepWav && job->fileJob && job->encodeFormat == kOutputOgg);

    seen.clear();
    job = EncodeThree(progress, log, [&](JobContext& context, EncodeTask& task) {
        seen.push_back(task.item->name);
        context.aborted = true;  // the stage saw the cancel request
        return 1;
    });
    EXPECT_THAT(seen, ElementsAre("a.wav"));
    EXPECT_EQ(progress.Only(WM_JOB_DONE).size(), 1u);
}

// No exception may end a worker thread (the process would abort) or end a job without
// its end message (the progress window would wait for ever).
TEST_F(RipThreadTest, AStageThatThrowsEndsItsJobAsFailedExactlyOnce) {
    settings.OutputFormat = kOutputMp3;
    settings.EncoderThreads = 1;  // a pipeline reads track 3 while track 2 encodes
    Tick({1, 2, 3});
    std::unique_ptr<RipJob> job = BuildRipJob(rows, info);
    job->driver = disc.driver.get();
    job->context.progressWindow = &progress;
    job->context.mainWindow = &main;
    job->settings = settings;
    const EncoderFormats formats = WithMp3Stage([](JobContext&, EncodeTask& task) {
        if (task.item->index == 1)
            throw std::runtime_error("disk on fire");
        return FakeMp3Stage(task);
    });
    StartJobThread(
        std::move(job), [&](RipJob& record) { RipThread(record, formats); }, 2)
        .Wait();
    EXPECT_EQ(progress.Only(WM_JOB_FAILED).size(), 1u);
    EXPECT_THAT(progress.Only(WM_JOB_DONE), IsEmpty());
    EXPECT_THAT(Announced(), ElementsAre("音轨 1", "音轨 2"));
    EXPECT_THAT(LogTexts(main), Contains("错误: 意外错误，错误原因: disk on fire！"));

    // Anything thrown, in a file job too.
    test::ScriptedTarget fileProgress;
    test::ScriptedTarget fileLog;
    EncodeThree(fileProgress, fileLog, [](JobContext&, EncodeTask&) -> int { throw 42; });
    EXPECT_EQ(fileProgress.messages().back().id, WM_JOB_FAILED);
    EXPECT_EQ(fileProgress.Only(WM_JOB_FAILED).size() + fileProgress.Only(WM_JOB_DONE).size(), 1u);
    EXPECT_THAT(LogTexts(fileLog), ElementsAre("错误: 意外错误，错误原因: unknown exception！"));
}

// The rip as a real drive is driven: discovery, INQUIRY, READ TOC and the reads all go
// out as SG_IO requests through the pass-through transport. The speed chosen goes before
// the first read; a drive without READ CD fails the rip until the drive type is changed,
// which then reads the same bytes.
TEST_F(RipThreadTest, RipsThroughThePassThroughTransportAsARealDrive) {
    test::FakeSgIoKernel kernel({"sr0"});
    kernel.drive = disc.drive;
    DriveSources sources;
    sources.system = kernel.System();
    CSCSIDriverNative native(DriverOptionsFrom(settings), sources);
    ASSERT_EQ(native.Init(0), 1);
    EXPECT_EQ(DriveName(native.drives[0]), "KORVIDA VIRTUAL CD-ROM  ");
    ASSERT_TRUE(LoadDisc(native, settings, info, rows, notifier).ok);
    EXPECT_EQ(rows.size(), 5u);
    rows.CheckAll(false);
    parties.driver = &native;
    settings.ReadSpeed = 8;
    kernel.cdbs.clear();
    Tick({2});
    Rip();
    ASSERT_EQ(ended, "done");
    const std::string bytes = ReadFile(finalItems.at(0).outputPath);
    EXPECT_TRUE(bytes.substr(44) == Frames(60, 60));
    ASSERT_FALSE(kernel.cdbs.empty());
    EXPECT_EQ(CdbToHex(kernel.cdbs[0].data(), kernel.cdbs[0].size()),
              "BB 00 05 83 FF FF 00 00 00 00 00 00")
        << "8x: 1411 kB/s";
    EXPECT_EQ(kernel.cdbs[1][0], 0xBE);

    disc.drive->faults().rejectedOpcodes = {0xBE};
    settings.OutputFolder = home / "out2";
    Rip();
    EXPECT_EQ(ended, "failed");
    native.SetDeviceType(1);
    Rip();
    ASSERT_EQ(ended, "done");
    EXPECT_TRUE(ReadFile(finalItems.at(0).outputPath) == bytes);
    EXPECT_EQ(kernel.cdbs.back()[0], 0x28);
}

}  // namespace
}  // namespace korvida

#include "core/rip/ExtractTrack.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/audio/BinaryFile.h"
#include "core/audio/Normalisation.h"
#include "core/audio/WavFile.h"
#include "core/cdrom/CSCSIDriver.h"
#include "core/cdrom/Toc.h"
#include "core/jobs/JobLog.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/ErrorText.h"
#include "core/platform/TemporaryFile.h"
#include "core/platform/TickCount.h"
#include "core/rip/OffsetReader.h"
#include "core/rip/OutputNameClashes.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"
#include "core/rip/RipStep.h"
#include "core/rip/RipThread.h"
#include "core/rip/SecureRead.h"
#include "core/rip/StoreTrackChecksums.h"
#include "core/settings/Settings.h"
#include "core/verify/Crc32.h"
#include "core/verify/SuspiciousPositions.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "core/verify/VerificationText.h"

namespace korvida {
namespace {

// The frames that always stay after trimming: one second.
constexpr std::uint32_t kMinimumFrames = 75;

// What the progress window shows while a temporary file is normalised.
constexpr char kTemporaryWaveName[] = "临时 Wave 文件     ";

// The driver's own words for the failed read, else the system's text for an I/O error.
std::string ReadFailureText(const CSCSIDriver* driver) {
    std::string text = driver ? driver->LastErrorText() : std::string();
    return text.empty() ? ErrorText(EIO) : text;
}

int ReadFrames(CSCSIDriver* driver, std::uint32_t lba, std::uint32_t count, std::uint8_t* buffer) {
    if (driver == nullptr)
        return 0;
    AudioReadRequest request;
    request.startLba = lba;
    request.sectorCount = count;
    request.byteLength = count * kCdFrameBytes;
    request.buffer = buffer;
    return driver->ReadAudio(request);
}

// The frames the warm-up and the read offset may reach into: the audio around the track
// as the disc's TOC has it, the rip's own or else the drive's. A drive answers an audio
// read that reaches a data track or the lead-out with an error or with data sectors.
ReadableArea AudioAreaOf(RipJob& job) {
    std::uint8_t toc[DiscInfo::kRawTocSize] = {};
    if (job.disc && job.disc->trackCount > 0)
        std::memcpy(toc, job.disc->rawToc.data(), sizeof toc);
    else if (job.driver == nullptr || !job.driver->ReadTOC(toc, 0))
        return {};  // the reads past the disc then fail, and are handled as any failed read
    return AudioAreaAround(ParseTocReply(toc, sizeof toc), job.current->start);
}

// What every read of one track shares.
struct TrackReads {
    TrackReads(RipJob& job, const Settings& settings)
        : job(job), settings(settings), whole{job.current->start, job.current->end} {}

    RipJob& job;
    const Settings& settings;
    TrackRange whole;  // the track as on the disc, before trimming: the checksums' range
    ReadableArea area;
    // One buffer for every read of the track, so memory does not grow with its length.
    std::vector<std::uint8_t> buffer;
    std::uint32_t firstFrame = 0;  // the first frame a read of the track asks for
    std::uint32_t endFrame = 0;    // one past the last
    std::uint32_t t0 = 0;          // when the reads began, for the progress messages
    // Verification: the checksums of the read the file holds.
    std::optional<TrackChecksumAccumulator> sums;
    // SecureMode 1 and 2: every read of the track goes through it.
    std::unique_ptr<SecureReader> secure;

    std::uint32_t bufferFrames() const {
        return static_cast<std::uint32_t>(buffer.size() / kCdFrameBytes);
    }
};

// The file a track is read into: a temporary WAV for the encoder, or the WAV the user
// wants, written beside its name and moved there at the end. Every failure before that
// deletes it.
struct TrackFile {
    TemporaryFile wav;
    std::string folder;  // keepWav: the output folder with one trailing '/'
    std::string path;    // the name the user (or the encoder) knows the file by
    BinaryFile file;
    PeakMeter peak;  // normalising: the level of what the file holds
    std::uint32_t bytesWritten = 0;

    // Empties the file for another read of the track: a header and no samples.
    bool Restart() {
        peak = PeakMeter();
        bytesWritten = 0;
        return file.Close() && file.Open(wav.path(), BinaryFile::Mode::kCreate) &&
               WriteCdAudioWavHeader(file, 0);
    }
};

// kRestart: the drive's C2 pointers missed a wrong sector, so the read must start again.
enum class PassEnd { kDone, kCancelled, kFailed, kRestart };

// One read of the whole track.
struct Pass {
    TrackFile* file = nullptr;  // null: the test read, which writes nothing
    bool peak = false;          // normalising: the file's level is measured
    bool crc = false;           // test and copy: the CRC32 of the bytes read
    // Verification: the checksums of the track, fed every chunk of this read.
    TrackChecksumAccumulator* sums = nullptr;
    int progressFrom = 0;  // the per-mille range this read's progress takes
    int progressSpan = 1000;

    std::uint32_t crc32 = 0;
    std::uint32_t zeroSamples = 0;
    std::vector<std::uint32_t> skipped;  // first frame of every read left out
};

PassEnd ReadPass(TrackReads& reads, const std::string& path, Pass& pass) {
    RipJob& job = reads.job;
    const Settings& settings = reads.settings;
    const RipJobItem& item = *job.current;
    OffsetReader reader(job.driver, {item.start, item.end}, settings.ReadOffset, reads.area,
                        reads.bufferFrames(), reads.buffer);
    if (reads.secure) {
        reads.secure->BeginPass();
        reader.SetFrameRead([&reads](std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
            return reads.secure->Read(lba, count, out);
        });
    }
    auto cancelled = [&job] {
        if (FirstToReportCancel(job.context))
            LogPlain(job.context, "用户取消操作。");
        job.context.aborted = true;
        return PassEnd::kCancelled;
    };
    std::uint32_t crc = 0;
    for (;;) {
        if (ConsumeCancelRequest(job.context))
            return cancelled();
        const OffsetReader::Result got = reader.Next();
        if (got == OffsetReader::Result::kDone)
            break;
        if (got == OffsetReader::Result::kFailed && reads.secure) {
            if (reads.secure->stop() == SecureReader::Stop::kCancelled)
                return cancelled();
            if (reads.secure->stop() == SecureReader::Stop::kC2Untrusted)
                return PassEnd::kRestart;
        }
        if (got == OffsetReader::Result::kFailed) {
            LogPlain(job.context, "错误: " + ReadFailureText(job.driver) + "！");
            if (!settings.BoolSkipError)
                return PassEnd::kFailed;
            pass.skipped.push_back(reader.failedFrame());
            if (pass.sums)
                pass.sums->Skip(reader.failedFrame(), reads.bufferFrames());
            continue;  // skipped: the file is shorter by this chunk
        }

        // A chunk of the track's PCM bytes, as read (offset corrected).
        const std::uint8_t* pcm = reader.data();
        const std::size_t bytes = reader.bytes();
        if (pass.crc)
            crc = Crc32(crc, pcm, bytes);
        if (pass.sums)
            pass.sums->Feed(pcm, bytes);
        if (pass.file) {
            if (pass.peak)
                pass.file->peak.Update(pcm, bytes);
            if (!pass.file->file.Write(pcm, bytes)) {
                LogFileError(job.context, path, pass.file->file.lastErrorText());
                return PassEnd::kFailed;
            }
            pass.file->bytesWritten += static_cast<std::uint32_t>(bytes);
        }

        // The chunk's first sample: the figure lags one chunk behind the reads.
        const std::uint64_t perMille =
            pass.progressFrom + reader.samplesBefore() *
                                    static_cast<std::uint64_t>(pass.progressSpan) /
                                    reader.totalSamples();
        if (job.context.progressWindow)
            job.context.progressWindow->post(WM_EXTRACT_PROGRESS,
                                             static_cast<std::intptr_t>(perMille),
                                             static_cast<std::intptr_t>(TickCount() - reads.t0));
    }
    pass.crc32 = crc;
    pass.zeroSamples = reader.zeroSamples();
    return PassEnd::kDone;
}

// Frames that trimming leaves out of the file are still read, for the checksums only:
// they describe the track as it is on the disc, whatever the file keeps of it.
void ReadForChecksums(TrackReads& reads, TrackRange range) {
    if (range.end <= range.start)
        return;
    OffsetReader reader(reads.job.driver, range, reads.settings.ReadOffset, reads.area,
                        reads.bufferFrames(), reads.buffer);
    for (;;) {
        const OffsetReader::Result got = reader.Next();
        if (got == OffsetReader::Result::kDone)
            return;
        if (got == OffsetReader::Result::kFailed)
            reads.sums->Skip(reader.failedFrame(), reads.bufferFrames());
        else
            reads.sums->Feed(reader.data(), reader.bytes());
    }
}

std::string Hex32(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string SignedNumber(int value) {
    return (value > 0 ? "+" : "") + std::to_string(value);
}

// Makes room for the file: the temporary WAV is made here (a kept WAV gets its name only
// once the reads can start), and its file system must hold `size` bytes. False after
// logging.
bool ReserveOutput(RipJob& job, const Settings& settings, std::uint64_t size, TrackFile& out) {
    std::string spaceProbe;  // the path whose file system must hold the track
    if (job.keepWav) {
        out.folder = OutputBase(settings.OutputFolder);
        spaceProbe = out.folder;
    } else {
        out.wav = TemporaryFile::Create(settings.TEMPDIRECTORY, "PW", ".tmp",
                                        TemporaryFile::Access::kPrivate);
        if (!out.wav.owned()) {
            LogPlain(job.context, "错误: 不能打开临时文件 " +
                                      NormalizedFolder(settings.TEMPDIRECTORY) + "PW*.tmp！");
            return false;
        }
        spaceProbe = out.wav.path();
    }
    const FreeDiskSpace space = FreeSpaceFor(job.context, spaceProbe);
    if (!HasRoomFor(space, size)) {
        LogPlain(job.context, "错误: 磁盘 " + space.mountPoint + " 没有足够的可用空间！");
        return false;
    }
    return true;
}

// The buffer, the frames the reads may reach, and the warm-up read, which spins the drive
// up and settles its read position just before the track (its data is thrown away).
// False after logging.
bool PrepareReads(TrackReads& reads) {
    RipJob& job = reads.job;
    const Settings& settings = reads.settings;
    const RipJobItem& item = *job.current;
    const auto bufferFrames = static_cast<std::uint32_t>(std::max(settings.BufferSize, 1));
    try {
        reads.buffer.resize(std::size_t{bufferFrames} * kCdFrameBytes);
    } catch (const std::bad_alloc&) {
        LogPlain(job.context, "错误: 内存不足！");
        return false;
    }

    // Found before the warm-up (a drive may be asked for its TOC), so the warm-up still
    // settles the drive just before the track's first read.
    reads.area = AudioAreaOf(job);
    const OffsetReader plan(nullptr, {item.start, item.end}, settings.ReadOffset, reads.area,
                            bufferFrames, reads.buffer);
    reads.firstFrame = plan.firstReadFrame();
    reads.endFrame = std::max(reads.firstFrame, plan.endFrame());

    const TrackRange warmUp = WarmUpRead(reads.firstFrame, bufferFrames, reads.area);
    if (warmUp.end > warmUp.start &&
        !ReadFrames(job.driver, warmUp.start, warmUp.end - warmUp.start, reads.buffer.data())) {
        LogPlain(job.context, "错误: " + ReadFailureText(job.driver) + "！");
        if (!settings.BoolSkipError)
            return false;
    }
    return true;
}

// Opens the file under its name, the temporary one or the kept WAV's beside its own, and
// writes a header of no samples. False after logging.
bool OpenOutput(RipJob& job, const Settings& settings, TrackFile& out) {
    if (job.keepWav) {
        out.path = OutputPath(*job.current, out.folder, RipOutputExtension(kOutputWav), settings);
        if (!out.path.empty())
            out.wav = TemporaryFile::CreateBeside(out.path);
        if (!out.wav.owned() || !out.file.Open(out.wav.path(), BinaryFile::Mode::kCreate)) {
            LogPlain(job.context, "错误: 不能打开文件 " + out.path + "！");
            return false;
        }
    } else {
        out.path = out.wav.path();
        job.tempWavPath = out.path;
        if (!out.file.Open(out.path, BinaryFile::Mode::kCreate)) {
            LogPlain(job.context, "错误: 不能打开临时文件 " + out.path + "！");
            return false;
        }
    }
    if (!WriteCdAudioWavHeader(out.file, 0)) {
        LogFileError(job.context, out.path, out.file.lastErrorText());
        return false;
    }
    return true;
}

// Every read after the test read must come from the disc: a drive answering from its
// cache would repeat a misread and make it look confirmed.
void DefeatCache(TrackReads& reads) {
    if (reads.job.driver)
        reads.job.current->verification.cacheDefeat =
            reads.job.driver->DefeatCache(reads.firstFrame, reads.endFrame - reads.firstFrame);
}

// The drive's C2 pointers let a wrong sector through unflagged: from now on the job
// compares two reads of everything, this track again from its start.
void LogC2Untrusted(RipJob& job) {
    job.c2Untrusted = true;
    LogPlain(job.context,
             "C2 错误指针没有标出读错的扇区，不再信任 C2: 改用比较模式，从头重新读取 " +
                 job.current->name + " ...");
}

// SecureMode 1 and 2: the reader every read of the track goes through. A job whose drive
// has shown its C2 pointers cannot be had or trusted compares from the start.
void StartSecureReads(TrackReads& reads) {
    RipJob& job = reads.job;
    const int mode = job.c2Untrusted ? 1 : reads.settings.SecureMode;
    SecureReader::Hooks hooks;
    hooks.cancelled = [&job] { return ConsumeCancelRequest(job.context); };
    hooks.rereading = [&job](int n) { PostRipStep(job, RipStep::kSecureReread, n); };
    hooks.turnedToCompare = [&job] {
        if (!std::exchange(job.c2Untrusted, true))
            LogPlain(job.context, "光驱不提供 C2 错误指针，改用比较模式 (每个扇区读取两次)。");
    };
    reads.secure =
        std::make_unique<SecureReader>(job.driver, mode, reads.settings.SecureRereads, hooks);
}

// Keeps what the secure reads of the file's read met, and logs the re-reads and the
// suspicious positions as times within the track. The reads are in the drive's
// addresses, shifted by the read offset; the times are the track's own.
void KeepSecureResults(TrackReads& reads) {
    RipJob& job = reads.job;
    TrackVerification& check = job.current->verification;
    const SecureReader& secure = *reads.secure;
    check.secureMode = secure.mode();
    check.c2Used = secure.c2Used();
    check.rereadSectors = secure.rereadSectors();
    // A read offset of part of a frame spreads a sector over two of the track's frames.
    std::set<std::uint32_t> frames;
    for (std::uint32_t lba : secure.suspicious()) {
        const std::int64_t first = std::int64_t{lba} * kSamplesPerFrame -
                                   reads.settings.ReadOffset -
                                   std::int64_t{reads.whole.start} * kSamplesPerFrame;
        const std::int64_t last = first + kSamplesPerFrame - 1;
        for (std::int64_t sample : {first, last})
            if (sample >= 0)
                frames.insert(static_cast<std::uint32_t>(sample / kSamplesPerFrame));
    }
    check.suspiciousSpans = SpansOf({frames.begin(), frames.end()});
    if (check.rereadSectors > 0)
        LogPlain(job.context, "安全读取: " + job.current->name + " 有 " +
                                  std::to_string(check.rereadSectors) + " 个扇区重新读取。");
    if (!secure.suspicious().empty()) {
        LogPlain(job.context, std::string(kSuspiciousMark) + ": " + job.current->name + " 有 " +
                                  std::to_string(secure.suspicious().size()) +
                                  " 个扇区多次读取都不一致！");
        for (const FrameSpan& span : check.suspiciousSpans)
            LogPlain(job.context, "可疑位置 " + SpanText(span));
    }
}

// One read of the track into the file. The checksums cover the track as on the disc: the
// frames trimming cuts off its head are read for them first (those of its tail once the
// file holds its last read). Every read into the file starts them afresh, so they describe
// the read the file holds.
PassEnd CopyRead(TrackReads& reads, TrackFile& out, Pass& copy) {
    for (;;) {
        copy.sums = nullptr;
        if (reads.settings.AccurateRipVerify) {
            reads.sums.emplace(reads.job.accurateRip.PositionOf(reads.job.current->index),
                               reads.settings.CtdbVerify != 0);
            ReadForChecksums(reads, {reads.whole.start, reads.job.current->start});
            copy.sums = &*reads.sums;
        }
        const PassEnd end = ReadPass(reads, out.path, copy);
        if (end != PassEnd::kRestart)
            return end;
        LogC2Untrusted(reads.job);
        if (!out.Restart()) {
            LogFileError(reads.job.context, out.path, out.file.lastErrorText());
            return PassEnd::kFailed;
        }
        copy.skipped.clear();
    }
}

// The index of an earlier read whose CRC32 is the last one's; the count of reads when
// none is.
std::size_t AgreeingRead(const std::vector<std::uint32_t>& crcs) {
    for (std::size_t i = 0; i + 1 < crcs.size(); ++i)
        if (crcs[i] == crcs.back())
            return i;
    return crcs.size();
}

void LogAgreement(RipJob& job, std::size_t agreed) {
    const RipJobItem& item = *job.current;
    const TrackVerification& check = item.verification;
    if (check.suspicious) {
        LogPlain(job.context, std::string(kSuspiciousMark) + ": " + item.name + " 的 " +
                                  std::to_string(check.readCrcs.size()) +
                                  " 次读取互不一致，文件保存的是最后一次读取！");
    } else if (check.rereads == 0) {
        LogPlain(job.context, "测试与复制: 两次读取一致 (CRC32 " + Hex32(check.copyCrc) + ")。");
    } else {
        LogPlain(job.context, "测试与复制: 第 " + std::to_string(check.readCrcs.size()) +
                                  " 次读取与第 " + std::to_string(agreed + 1) +
                                  " 次读取一致 (CRC32 " + Hex32(check.copyCrc) + ")。");
    }
}

// Test and copy after the copy read: a copy that disagrees with the test is read again,
// each time into the file, until a read agrees with one before it (RetryTimes re-reads at
// most): the file then holds bytes two reads agree on. Reads that never agree leave the
// last one in the file and the item suspicious.
PassEnd ReadUntilTwoAgree(TrackReads& reads, TrackFile& out, Pass& copy) {
    RipJob& job = reads.job;
    const RipJobItem& item = *job.current;
    TrackVerification& check = job.current->verification;
    check.readCrcs.push_back(copy.crc32);
    std::size_t agreed = AgreeingRead(check.readCrcs);
    if (agreed == check.readCrcs.size())
        LogPlain(job.context, "测试与复制: 测试读取 (CRC32 " + Hex32(check.readCrcs[0]) +
                                  ") 与复制读取 (CRC32 " + Hex32(copy.crc32) +
                                  ") 不一致，重新读取。");
    while (agreed == check.readCrcs.size() && check.rereads < reads.settings.RetryTimes) {
        ++check.rereads;
        LogPlain(job.context, "正在重新抓取 " + item.name + " (第 " +
                                  std::to_string(check.rereads) + " 次) ...");
        PostRipStep(job, RipStep::kReread, check.rereads);
        if (!out.Restart()) {
            LogFileError(job.context, out.path, out.file.lastErrorText());
            return PassEnd::kFailed;
        }
        DefeatCache(reads);
        copy.skipped.clear();
        const PassEnd end = CopyRead(reads, out, copy);
        if (end != PassEnd::kDone)
            return end;
        check.readCrcs.push_back(copy.crc32);
        agreed = AgreeingRead(check.readCrcs);
    }
    check.tested = true;
    check.testCrc = check.readCrcs[0];
    check.copyCrc = check.readCrcs.back();
    check.suspicious = agreed == check.readCrcs.size();
    check.agreedWith = check.suspicious ? -1 : static_cast<int>(agreed);
    LogAgreement(job, agreed);
    return PassEnd::kDone;
}

// Reads the track into the file: with test and copy, a test read first, which writes
// nothing (its CRC32 is what the copy must match), and after the copy the re-reads until
// two reads agree. Then the checksums are completed and the item's verification keeps
// what the read in the file met.
PassEnd ReadTrack(TrackReads& reads, TrackFile& out) {
    RipJob& job = reads.job;
    const Settings& settings = reads.settings;
    RipJobItem& item = *job.current;
    TrackVerification& check = item.verification;
    const bool testAndCopy = settings.TestAndCopy != 0;
    if (settings.SecureMode > 0)
        StartSecureReads(reads);
    reads.t0 = TickCount();

    PassEnd end = PassEnd::kDone;
    if (testAndCopy) {
        LogPlain(job.context, "正在测试 " + item.name + " ...");
        PostRipStep(job, RipStep::kTestRead);
        Pass test;
        test.crc = true;
        test.progressSpan = 500;
        while ((end = ReadPass(reads, out.path, test)) == PassEnd::kRestart) {
            LogC2Untrusted(job);
            test.skipped.clear();
        }
        if (end == PassEnd::kFailed)
            return end;
        check.readCrcs.push_back(test.crc32);
    }

    Pass copy;
    copy.file = &out;
    copy.peak = settings.Normalize != 0;
    copy.crc = testAndCopy;
    copy.progressFrom = testAndCopy ? 500 : 0;
    copy.progressSpan = testAndCopy ? 500 : 1000;
    if (end == PassEnd::kDone) {
        if (testAndCopy) {
            DefeatCache(reads);
            PostRipStep(job, RipStep::kCopyRead);
        }
        LogPlain(job.context, "正在抓取 " + item.name + " ...");
        end = CopyRead(reads, out, copy);
        if (testAndCopy && end == PassEnd::kDone)
            end = ReadUntilTwoAgree(reads, out, copy);
        if (end == PassEnd::kFailed)
            return end;
    }

    check.offsetZeroSamples = copy.zeroSamples;
    check.skippedSectors = copy.skipped;
    if (reads.secure && end == PassEnd::kDone)
        KeepSecureResults(reads);
    if (reads.sums && end == PassEnd::kDone) {
        ReadForChecksums(reads, {item.end, reads.whole.end});
        StoreTrackChecksums(job, *reads.sums, reads.whole, settings.Normalize != 0);
    }
    if (copy.zeroSamples > 0)
        LogPlain(job.context, "读取偏移 " + SignedNumber(settings.ReadOffset) + ": " +
                                  std::to_string(copy.zeroSamples) +
                                  " 个采样在光盘之外，以零填充。");
    if (job.context.progressWindow)
        job.context.progressWindow->post(WM_EXTRACT_PROGRESS, 1000,
                                         static_cast<std::intptr_t>(TickCount() - reads.t0));
    return end;
}

// After the reads: the header tells the file's size, the file is normalised when the
// settings ask, and a kept WAV takes its name (a cancelled one too: it is well-formed
// and holds the frames read so far) while a temporary one is left to the encoder. False
// after logging.
bool FinishOutput(RipJob& job, const Settings& settings, TrackFile& out, bool cancelled) {
    if (!WriteCdAudioWavHeader(out.file, out.bytesWritten) || !out.file.Close()) {
        LogFileError(job.context, out.path, out.file.lastErrorText());
        return false;
    }
    if (settings.Normalize != 0) {
        if (job.context.progressWindow)
            job.context.progressWindow->send(
                WM_ITEM_STATUS, 1, 0, job.keepWav ? out.path : std::string(kTemporaryWaveName));
        // A silent track has no gain (peak 0); ApplyGain then leaves it as it is.
        const double gain = NormalizeGain(settings.NormalizeRatio, out.peak.Peak()).value_or(0.0);
        // The track counts as extracted whatever the gain pass says, but a cancel seen
        // there cancels the track: the rip thread stops at once, so no encoder stage would
        // ever read or delete the temporary file.
        ApplyGain(job.context.progressWindow, out.wav.path(), gain, job.context);
        if (job.context.aborted)
            cancelled = true;
    }
    RipJobItem& item = *job.current;
    if (job.keepWav) {
        std::string error;
        if (!out.wav.MoveTo(out.path, &error)) {
            LogFileError(job.context, out.path, error);
            return false;
        }
        item.outputPath = out.path;
        item.outputFolder = out.folder;
    } else if (!cancelled) {
        out.wav.Keep();  // the encoder's input, deleted by the encoder
    }
    if (!cancelled)
        LogPlain(job.context, "抓取 " + item.name + " 完成！");
    return true;
}

}  // namespace

TrackRange TrimSilence(TrackRange track, int leadingFrames, int trailingFrames) {
    const std::uint32_t length = track.end > track.start ? track.end - track.start : 0;
    if (length <= kMinimumFrames)
        return track;
    const auto lead = static_cast<std::uint32_t>(std::max(leadingFrames, 0));
    const auto trail = static_cast<std::uint32_t>(std::max(trailingFrames, 0));
    // The leading cut stops one second before the end; the trailing cut then stops one
    // second after the new start. The same as "start + lead, at most end - 75; end - trail,
    // at least start + 75", without the unsigned wrap on short tracks.
    TrackRange trimmed;
    trimmed.start = track.start + std::min(lead, length - kMinimumFrames);
    trimmed.end = track.end - std::min(trail, track.end - trimmed.start - kMinimumFrames);
    return trimmed;
}

TrackRange WarmUpRead(std::uint32_t firstFrame, std::uint32_t bufferFrames, ReadableArea area) {
    const std::uint32_t end = std::max(area.end, area.first);
    const std::uint32_t start =
        std::clamp(firstFrame > bufferFrames ? firstFrame - bufferFrames : 0u, area.first, end);
    return {start, start + std::min(bufferFrames, end - start)};
}

int Extract(RipJob& job, const Settings& settings) {
    RipJobItem& item = *job.current;
    item.startTick = TickCount();
    TrackReads reads(job, settings);
    if (settings.DeleteSilence) {
        const TrackRange trimmed =
            TrimSilence({item.start, item.end}, settings.LeadingFrame, settings.TrailingFrame);
        item.start = trimmed.start;
        item.end = trimmed.end;
    }
    const std::uint32_t frames = item.end > item.start ? item.end - item.start : 0;

    TrackFile out;
    if (!ReserveOutput(job, settings, std::uint64_t{frames} * kCdFrameBytes, out) ||
        !PrepareReads(reads) || !OpenOutput(job, settings, out))
        return 0;
    const PassEnd end = ReadTrack(reads, out);
    if (end == PassEnd::kFailed)
        return 0;
    return FinishOutput(job, settings, out, end == PassEnd::kCancelled) ? 1 : 0;
}

}  // namespace korvida

#include "core/encode/EncodeSteps.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/encode/EncodeEnvironment.h"
#include "core/encode/EncoderLibrary.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/rip/FreeBytes.h"
#include "core/rip/OutputPath.h"
#include "core/rip/RipJob.h"

namespace korvida {
namespace {

bool IsPcm16(const WavFormat& format) {
    return IsPcm(format) && format.bitsPerSample == 16 &&
           (format.channels == 1 || format.channels == 2) && format.sampleRate > 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

EncodeEnvironment DefaultEncodeEnvironment(const RipJob& job) {
    EncodeEnvironment env;
    // The job's own copy: the process-wide settings may be changing on the UI thread.
    env.settings = &job.settings;
    env.outputFolder = job.settings.OutputFolder;
    env.encoder = &TheEncoderLibrary().entryPoints();
    env.freeSpace = job.freeBytes;
    return env;
}

std::string BatchOutputPath(std::string_view source, std::string_view folder,
                            std::string_view extension) {
    std::string_view name = source;
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    const std::string base = OutputBase(folder);
    if (base.empty())
        return {};
    return base + std::string(name) + std::string(extension);
}

std::intptr_t PerMille(std::uint64_t done, std::uint64_t total) {
    if (total == 0)
        return 1000;
    return static_cast<std::intptr_t>(std::min<std::uint64_t>(1000, done * 1000 / total));
}

void LogFileError(RipJob& job, const BinaryFile& file) {
    LogFileError(job, file.path(), file.lastErrorText());
}

EncodeFiles::EncodeFiles(RipJob& job, const EncodeEnvironment& env) : job_(job), env_(env) {
    if (!job.keepWav && !job.tempWavPath.empty())
        temporaryInput_ = TemporaryFile(job.tempWavPath);
}

bool EncodeFiles::CreateOutput(std::string_view extension) {
    RipJobItem& item = *job_.current;
    inputPath_ = job_.fileJob ? item.name : job_.tempWavPath;
    if (job_.fileJob) {
        outputPath_ = BatchOutputPath(item.name, env_.outputFolder, extension);
        if (!outputPath_.empty()) {
            std::error_code ignored;  // a folder that cannot be made fails the open below
            std::filesystem::create_directories(OutputBase(env_.outputFolder), ignored);
        }
    } else {
        outputPath_ = OutputPath(item, env_.outputFolder, extension, *env_.settings);
    }
    // The finished output replaces the file of its name: if that is the input, the
    // samples would be gone.
    if (!outputPath_.empty() && !SameFile(outputPath_, inputPath_))
        written_ = TemporaryFile::CreateBeside(outputPath_);
    if (!written_.owned() || !output_.Open(written_.path(), BinaryFile::Mode::kCreate)) {
        LogPlain(job_, "错误: 不能打开文件 " + outputPath_ + "！");
        return false;
    }
    output_.SetShownPath(outputPath_);
    return true;
}

bool EncodeFiles::OpenInput(Accept accept) {
    if (!input_.Open(inputPath_, BinaryFile::Mode::kRead)) {
        LogPlain(job_, "错误: 不能打开文件 " + inputPath_ + "！");
        return false;
    }
    const WavReadResult read = ReadWavInfo(input_, wav_);
    if (read == WavReadResult::kShort) {
        LogFormatted(job_, "错误: 不能读取文件 " + inputPath_ + "！");
        return false;
    }
    const bool accepted = read == WavReadResult::kOk && IsPcm16(wav_.format) &&
                          (accept == Accept::kAnyPcm16 || IsCdAudio(wav_.format));
    if (!accepted) {
        LogFormatted(job_, "错误: 不支持文件 " + inputPath_ + " 的 wave 格式！");
        return false;
    }
    // A data chunk that claims more than the file holds (a writer that stopped early, or
    // a streamed file's 0xFFFFFFFF) is read to the end of the file.
    const std::int64_t size = input_.Size();
    const std::uint64_t available = size > 0 && static_cast<std::uint64_t>(size) > wav_.dataOffset
                                        ? static_cast<std::uint64_t>(size) - wav_.dataOffset
                                        : 0;
    dataLength_ = std::min<std::uint64_t>(wav_.dataSize, available);
    return true;
}

bool EncodeFiles::HasRoomForOutput() {
    const FreeDiskSpace space =
        env_.freeSpace ? env_.freeSpace(outputPath_) : FreeBytes(outputPath_);
    if (HasRoomFor(space, dataLength_ / 4))
        return true;
    LogPlain(job_, "错误: 磁盘 " + space.mountPoint + " 没有足够的可用空间！");
    return false;
}

bool EncodeFiles::Finish(bool cancelled, std::uint32_t loopStartTick) {
    RipJobItem& item = *job_.current;
    if (!cancelled) {
        std::string error;
        if (!written_.MoveTo(outputPath_, &error)) {
            LogFileError(job_, outputPath_, error);
            return false;
        }
        item.outputPath = outputPath_;
        item.outputFolder = env_.outputFolder;
    }
    if (job_.progressWindow)
        job_.progressWindow->post(WM_ENCODE_PROGRESS, 1000,
                                  static_cast<std::intptr_t>(TickCount() - loopStartTick));
    temporaryInput_.Discard();
    written_.Discard();  // cancelled: nothing was moved
    item.startTick = TickCount() - item.startTick;
    if (!cancelled)
        LogPlain(job_, "编码 " + item.name + " 完成！");
    return true;
}

}  // namespace korvida

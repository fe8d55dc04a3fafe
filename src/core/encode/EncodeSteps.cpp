#include "core/encode/EncodeSteps.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/encode/EncodeItem.h"
#include "core/jobs/JobContext.h"
#include "core/jobs/MessageTarget.h"
#include "core/jobs/Messages.h"
#include "core/platform/TickCount.h"
#include "core/text/Translate.h"

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

std::intptr_t PerMille(std::uint64_t done, std::uint64_t total) {
    if (total == 0)
        return 1000;
    return static_cast<std::intptr_t>(std::min<std::uint64_t>(1000, done * 1000 / total));
}

void LogFileError(const JobContext& context, const BinaryFile& file) {
    LogFileError(context, file.path(), file.lastErrorText());
}

EncodeFiles::EncodeFiles(JobContext& context, EncodeTask& task) : context_(context), task_(task) {}

void EncodeFiles::Announce(int format) {
    LogPlain(context_, Tr("正在编码 ") + task_.item->name + " ...");
    if (context_.progressWindow)
        context_.progressWindow->post(WM_ENCODE_STATUS, format, 0, task_.item->name);
}

bool EncodeFiles::Begin(int format) {
    if (!task_.item || !context_.settings)
        return false;
    Announce(format);
    return CreateOutput() && OpenInput(Accept::kCdAudio);
}

bool EncodeFiles::CreateOutput() {
    inputPath_ = task_.inputPath;
    outputPath_ = task_.outputPath;
    // The finished output replaces the file of its name: if that is the input, the
    // samples would be gone.
    if (!outputPath_.empty() && !SameFile(outputPath_, inputPath_))
        written_ = TemporaryFile::CreateBeside(outputPath_);
    if (!written_.owned() || !output_.Open(written_.path(), BinaryFile::Mode::kCreate)) {
        LogPlain(context_, Tr("错误: 不能打开文件 ") + outputPath_ + Tr("！"));
        return false;
    }
    output_.SetShownPath(outputPath_);
    return true;
}

bool EncodeFiles::OpenInput(Accept accept) {
    // A FIFO named as a file job's input would hold the open until a writer came.
    if (!input_.Open(inputPath_, BinaryFile::Mode::kReadRegular)) {
        if (input_.notRegular())
            LogPlain(context_, Tr("错误: 不能打开文件 ") + inputPath_ + Tr("：它不是普通文件！"));
        else
            LogPlain(context_, Tr("错误: 不能打开文件 ") + inputPath_ + Tr("！"));
        return false;
    }
    const WavReadResult read = ReadWavInfo(input_, wav_);
    if (read == WavReadResult::kShort) {
        LogFormatted(context_, Tr("错误: 不能读取文件 ") + inputPath_ + Tr("！"));
        return false;
    }
    const bool accepted = read == WavReadResult::kOk && IsPcm16(wav_.format) &&
                          (accept == Accept::kAnyPcm16 || IsCdAudio(wav_.format));
    if (!accepted) {
        LogFormatted(context_, Tr("错误: 不支持文件 ") + inputPath_ + Tr(" 的 wave 格式！"));
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
    const FreeDiskSpace space = FreeSpaceFor(context_, outputPath_);
    if (HasRoomFor(space, dataLength_ / 4))
        return true;
    LogPlain(context_, Tr("错误: 磁盘 ") + space.mountPoint + Tr(" 没有足够的可用空间！"));
    return false;
}

bool EncodeFiles::Finish(bool cancelled, std::uint32_t loopStartTick) {
    EncodeItem& item = *task_.item;
    if (!cancelled) {
        std::string error;
        if (!written_.MoveTo(outputPath_, &error)) {
            LogFileError(context_, outputPath_, error);
            return false;
        }
        item.outputPath = outputPath_;
        item.outputFolder = task_.outputFolder;
    }
    if (context_.progressWindow)
        context_.progressWindow->post(WM_ENCODE_PROGRESS, 1000,
                                      static_cast<std::intptr_t>(TickCount() - loopStartTick));
    if (task_.temporaryInput)
        task_.temporaryInput->Discard();
    written_.Discard();  // cancelled: nothing was moved
    item.startTick = TickCount() - item.startTick;
    if (!cancelled)
        LogPlain(context_, Tr("编码 ") + item.name + Tr(" 完成！"));
    return true;
}

}  // namespace korvida

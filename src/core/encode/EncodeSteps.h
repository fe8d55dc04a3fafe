#pragma once

// Steps the encoder stages share: naming and opening the files, reading the
// WAV header, the free-space test, and the end of an item.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/audio/BinaryFile.h"
#include "core/audio/WavFile.h"
#include "core/encode/EncodeTask.h"
#include "core/jobs/JobLog.h"
#include "core/platform/TemporaryFile.h"

namespace korvida {

struct JobContext;

// Per-mille of the data consumed. Computed against the whole length rather than
// length / 1000, which overshoots 1000 and divides by zero below 1000 bytes.
std::intptr_t PerMille(std::uint64_t done, std::uint64_t total);

// "错误: 文件操作错误，错误原因: <the file>: <the system's text>！" for a failed read or
// write.
void LogFileError(const JobContext& context, const BinaryFile& file);

// One item's files, opened in the order the stages need them. Nothing half-made stays
// behind: the output is written beside its name and moved there by Finish, and a rip's
// temporary WAV is deleted however the encode ends (a file job's source is never touched).
class EncodeFiles {
  public:
    EncodeFiles(JobContext& context, EncodeTask& task);

    // The "正在编码 <item> ..." line and WM_ENCODE_STATUS with the format's number (0 MP3,
    // 1 Ogg Vorbis, 3 FLAC, 4 Opus).
    void Announce(int format);

    // The start of an encode of CD audio: false for a task without an item or a context
    // without settings; then Announce, CreateOutput and OpenInput of CD audio, false (and
    // logged) when one fails.
    bool Begin(int format);

    // Creates the file the task's output is written to. Logs and returns false when it
    // cannot be created. An output that would be the input itself is refused.
    bool CreateOutput();

    // Opens the task's input and reads its header. Logs and returns false on failure.
    enum class Accept { kAnyPcm16, kCdAudio };
    bool OpenInput(Accept accept);

    // The free-space test before encoding: refused (and logged) only when the query
    // worked and the free bytes are not more than a quarter of the PCM data.
    bool HasRoomForOutput();

    // The end of an item after both files are closed. Unless cancelled, the output is
    // moved to its name and stored in the item with the task's output folder (a failed
    // move is logged and returns false). Then progress 1000, the temporary WAV deleted,
    // a cancelled output deleted, startTick turned into the elapsed milliseconds, and the
    // "编码 … 完成！" line unless cancelled.
    bool Finish(bool cancelled, std::uint32_t loopStartTick);

    BinaryFile& output() { return output_; }
    BinaryFile& input() { return input_; }
    // The output's name, and the file written until Finish moves it there: tags and the
    // VBR header go into the latter.
    const std::string& outputPath() const { return outputPath_; }
    const std::string& writtenPath() const { return written_.path(); }
    const std::string& inputPath() const { return inputPath_; }
    const WavInfo& wav() const { return wav_; }
    // Bytes of samples to encode: the data chunk, as far as the file really holds it.
    std::uint64_t dataLength() const { return dataLength_; }

  private:
    JobContext& context_;
    EncodeTask& task_;
    TemporaryFile written_;
    BinaryFile output_;
    BinaryFile input_;
    std::string outputPath_;
    std::string inputPath_;
    WavInfo wav_;
    std::uint64_t dataLength_ = 0;
};

}  // namespace korvida

#pragma once

// Steps the MP3 and Ogg Vorbis stages share: naming and opening the files, reading the
// WAV header, the free-space test, and the end of an item.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/audio/BinaryFile.h"
#include "core/audio/WavFile.h"

namespace korvida {

struct EncodeEnvironment;
struct RipJob;

// folder/<name>.<ext> for a file job: the source's file name without its folder and
// without the text from its last '.' on, in the working output folder.
std::string BatchOutputPath(std::string_view source, std::string_view folder,
                            std::string_view extension);

// Per-mille of the data consumed. Computed against the whole length rather than
// length / 1000, which overshoots 1000 and divides by zero below 1000 bytes.
std::intptr_t PerMille(std::uint64_t done, std::uint64_t total);

// Job-log lines: texts of the string table in parentheses, formatted ones in brackets.
void LogPlain(RipJob& job, std::string_view text);
void LogFormatted(RipJob& job, std::string_view text);
// "错误: 文件操作错误，错误原因: <the system's text>！" for a failed read or write.
void LogFileError(RipJob& job, const BinaryFile& file);

// One item's files, opened in the order the stages need them.
class EncodeFiles {
  public:
    EncodeFiles(RipJob& job, const EncodeEnvironment& env) : job_(job), env_(env) {}

    // Names the output (batch name or naming rule with `extension`), creates it, and
    // stores the path and the working output folder in the current item. Logs and
    // returns false when it cannot be created. An output that would be the input itself
    // is refused before it is truncated.
    bool CreateOutput(std::string_view extension);

    // Opens the input (the item's path in a file job, tempWavPath in a rip) and reads
    // its header. Logs and returns false on failure.
    enum class Accept { kAnyPcm16, kCdAudio };
    bool OpenInput(Accept accept);

    // The free-space test before encoding: refused (and logged) only when the query
    // worked and the free bytes are not more than a quarter of the PCM data.
    bool HasRoomForOutput();

    BinaryFile& output() { return output_; }
    BinaryFile& input() { return input_; }
    const std::string& outputPath() const { return outputPath_; }
    const std::string& inputPath() const { return inputPath_; }
    const WavInfo& wav() const { return wav_; }
    // Bytes of samples to encode: the data chunk, as far as the file really holds it.
    std::uint64_t dataLength() const { return dataLength_; }

  private:
    RipJob& job_;
    const EncodeEnvironment& env_;
    BinaryFile output_;
    BinaryFile input_;
    std::string outputPath_;
    std::string inputPath_;
    WavInfo wav_;
    std::uint64_t dataLength_ = 0;
};

// The end of an item after both files are closed: progress 1000, the temporary WAV
// deleted unless kept, a cancelled output deleted, startTick turned into the elapsed
// milliseconds, and the "编码 … 完成！" line unless cancelled. A cancelled item keeps no
// outputPath, since its file is gone.
void FinishEncodedItem(RipJob& job, const std::string& outputPath, bool cancelled,
                       std::uint32_t loopStartTick);

}  // namespace korvida

#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace korvida {

struct EncodeTask;
struct JobContext;

// Values of the OutputFormat setting.
constexpr int kOutputMp3 = 0;
constexpr int kOutputWav = 1;
constexpr int kOutputOgg = 2;
constexpr int kOutputFlac = 3;
constexpr int kOutputOpus = 4;

// An encoder stage: nonzero when the task's item was encoded or the user cancelled it
// (context.aborted tells which), 0 after it logged why it failed.
using EncoderStageFunction = std::function<int(JobContext& context, EncodeTask& task)>;

// One encoded output format: the rip and the encode-files job name the output with the
// extension and hand the task to the stage.
struct EncoderFormat {
    int outputFormat = kOutputMp3;  // its value of the OutputFormat setting
    std::string_view extension;     // appended to the output name as it is
    EncoderStageFunction encode;
};
using EncoderFormats = std::vector<EncoderFormat>;

// Every encoder the program has, one line each.
const EncoderFormats& BuiltInEncoders();

// The format for an OutputFormat value. A value no format claims gets the first (MP3),
// as it always has. `formats` must not be empty.
const EncoderFormat& FindEncoder(const EncoderFormats& formats, int outputFormat);

}  // namespace korvida

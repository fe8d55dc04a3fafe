#pragma once

#include <string>

namespace korvida {

class BinaryFile;
class TemporaryFile;
struct JobContext;

// Opens a decoder's source for reading. Only a regular file is taken: a FIFO would hold
// the open (and Ctrl+C) until a writer came, a device like /dev/zero never ends. False
// after logging "不能打开输入文件 <source>。" or, for those, why not.
bool OpenDecoderInput(JobContext& context, const std::string& source, BinaryFile& in);

// Opens the file a decoder writes `output` through: a temporary file beside it, moved
// over the name once it is a sound WAV, so a failure (a half-written header, a disk that
// filled up) leaves nothing behind and an earlier file of that name stays as it was.
// Refuses an output that is the source itself, which the first write would destroy.
// False after logging "不能打开输出文件 <output>。".
bool OpenDecodedWav(JobContext& context, const std::string& source, const std::string& output,
                    TemporaryFile& written, BinaryFile& out);

}  // namespace korvida

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/encode/WriteReplayGainTags.h"

namespace korvida {

class EncodeFiles;
struct EncodeTask;
struct JobContext;

enum class EncodeLoopEnd { kDone, kCancelled, kFailed };

// The read loop every encoder stage runs between setting its format up and finishing its
// file; the format only encodes each block and finishes. One per encode, on the job's
// worker thread.
class EncodeLoop {
  public:
    EncodeLoop(JobContext& context, EncodeTask& task, EncodeFiles& files);
    ~EncodeLoop();
    EncodeLoop(const EncodeLoop&) = delete;
    EncodeLoop& operator=(const EncodeLoop&) = delete;

    // The buffer one read goes to. False after logging "错误: 内存不足！".
    bool Allocate(std::size_t blockBytes);

    // Encodes the block just read: bytes() of the WAV's little-endian 16-bit samples, as
    // samples() on this host. False after logging.
    using Encode = std::function<bool(std::size_t bytes)>;

    // Starts the track's loudness meter, then reads the first `total` bytes of the data chunk
    // in blocks of the allocated size (the last one shorter), each read exactly: a cancel request
    // before a read ends the loop (kCancelled, with "用户取消操作。" logged by the job's first
    // stage to see it and context.aborted set); a read that fails or comes short (the file shrank)
    // is logged and ends it (kFailed), as does a block `encode` refuses. Every block is measured by
    // the meter before it is encoded. WM_ENCODE_PROGRESS goes to context.progressWindow every
    // `readsPerProgress` reads.
    EncodeLoopEnd Run(std::uint64_t total, std::uint32_t readsPerProgress, const Encode& encode);

    // What Run does for each block, for a format that takes the rest of the data itself:
    // reads the next `bytes` (at most a block) exactly and measures them. False after
    // logging.
    bool ReadBlock(std::size_t bytes);
    const std::uint8_t* bytes() const;
    const std::int16_t* samples() const { return buffer_.get(); }

    // The end of every encode once its format has written the last of the file: the output
    // is closed (a failure is logged and returns 0, unless cancelled: the file goes anyway)
    // and, unless cancelled, the track's ReplayGain tags go into it (a failure is logged
    // and returns 0); then the input is closed and the item finished (EncodeFiles::Finish).
    // 1 or 0, as the stages return.
    int Finish(bool cancelled, TagFormat format);

  private:
    JobContext& context_;
    EncodeTask& task_;
    EncodeFiles& files_;
    std::unique_ptr<std::int16_t[]> buffer_;
    std::size_t blockBytes_ = 0;
    std::uint32_t startTick_ = 0;  // when the reads began: progress and the item's time
};

}  // namespace korvida

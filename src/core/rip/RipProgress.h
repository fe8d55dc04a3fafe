#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/jobs/MessageTarget.h"

namespace korvida {

// What a rip's progress window says beyond the bar of the track being read: how that
// track is read (test, copy, re-read), the track each encoder works on, the steps after
// the last track, and the time the whole rip has taken and still needs. Fed the worker's
// messages as they come, with the milliseconds since the rip began.
//
// The time left is that of the slower stage: the reading's rate so far over the frames
// still to read, and the encoders' rate (since the first began) over the frames still to
// encode. Tracks are weighed by their lengths.
class RipProgress {
  public:
    // The items' lengths in frames, in job order; without them every item weighs alike.
    RipProgress(int itemCount, std::vector<std::uint32_t> itemFrames = {});

    void Take(const Message& message, std::uint32_t nowMs);

    struct Encoding {
        int item = 0;  // 1-based place in the job
        std::string name;
        std::uint32_t perMille = 0;
    };
    // The tracks being encoded, oldest first, and the line that names one.
    std::vector<Encoding> encoding() const;
    std::string EncodingText(const Encoding& line) const;
    int encodedCount() const { return encodedCount_; }
    int itemCount() const { return itemCount_; }
    // Every track has been read.
    bool readingDone() const { return readingDone_; }
    // What the reading stage does now: "正在抓取 CDDA " or the read pass or, once every
    // track is read, what the rip still does (encoding, the steps at its end).
    std::string stageText() const;
    // The window's caption, given the caption of the item being read: once encoders work
    // behind the reading it adds how many tracks are encoded; once the reading is done it
    // names the oldest track being encoded, then the step at the end.
    std::string Caption(const std::string& readCaption) const;
    // None until a stage has made progress to measure.
    std::optional<std::uint32_t> LeftMs(std::uint32_t nowMs) const;

  private:
    std::uint64_t Frames(int item) const;  // 1-based
    void EncodeEnded(int item);

    const int itemCount_;
    const std::vector<std::uint32_t> itemFrames_;
    std::uint64_t totalFrames_ = 0;

    int reading_ = 0;  // the item being read, 1-based; 0 before the first
    std::uint32_t readPerMille_ = 0;
    bool normalising_ = false;      // the item is read; its file is being normalised
    std::uint64_t readFrames_ = 0;  // of the items before `reading_`
    bool readingDone_ = false;
    std::string readStep_;  // the pass being read, empty for a plain read

    struct Active {
        std::string name;
        std::uint32_t perMille = 0;
    };
    std::map<int, Active> encoding_;  // by item number
    int inTurn_ = 0;       // one thread reads and encodes: the item it encodes, 0 for none
    bool behind_ = false;  // encoders work behind the reading
    std::uint64_t encodedFrames_ = 0;
    int encodedCount_ = 0;
    std::optional<std::uint32_t> firstEncodeMs_;

    std::string endStep_;  // a step after the encoding, once one began
};

}  // namespace korvida

#pragma once

#include <optional>
#include <string>

#include "core/jobs/MessageTarget.h"

namespace korvida {

// The caption of the item a job works on, as every front end shows it: the step, the
// item's number of the job's count, the item's name ("正在抓取 (01/03): 音轨 1"). An item
// is counted when its first status arrives; its later steps (normalising, encoding,
// decoding) keep its number.
class JobCaptions {
  public:
    // encodeMode: a new item is announced as encoded (encode and decode jobs), else as
    // ripped (rips and normalise jobs). itemFormat ("…(%02d/%02d): "), when given,
    // announces new items in its words instead (a check of files ripped before).
    JobCaptions(int total, bool encodeMode, const char* itemFormat = nullptr)
        : total_(total), encodeMode_(encodeMode), itemFormat_(itemFormat) {}

    // The caption a status message announces; none for any other message.
    std::optional<std::string> For(const Message& message);

  private:
    std::string Caption(const char* format, const std::string& name) const;

    int total_;
    bool encodeMode_;
    const char* itemFormat_;
    int counter_ = 0;
};

}  // namespace korvida

#include "core/rip/RipProgress.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "core/jobs/Messages.h"
#include "core/rip/RipStep.h"
#include "core/text/FormatText.h"

namespace korvida {
namespace {

std::uint32_t PerMille(std::intptr_t value) {
    return static_cast<std::uint32_t>(std::clamp<std::intptr_t>(value, 0, 1000));
}

// Frames still to go at the rate `done` frames took `elapsedMs`.
std::optional<std::uint64_t> Remaining(std::uint64_t total, std::uint64_t done,
                                       std::uint32_t elapsedMs) {
    if (done == 0 || elapsedMs == 0)
        return std::nullopt;
    return (total > done ? total - done : 0) * elapsedMs / done;
}

}  // namespace

RipProgress::RipProgress(int itemCount, std::vector<std::uint32_t> itemFrames)
    : itemCount_(std::max(itemCount, 0)),
      itemFrames_(itemFrames.size() == static_cast<std::size_t>(itemCount_)
                      ? std::move(itemFrames)
                      : std::vector<std::uint32_t>{}) {
    for (int item = 1; item <= itemCount_; ++item)
        totalFrames_ += Frames(item);
}

std::uint64_t RipProgress::Frames(int item) const {
    if (item < 1 || item > itemCount_)
        return 0;
    if (itemFrames_.empty())
        return 1;
    // An item of no length still counts, or a rip of such items would never progress.
    return std::max<std::uint64_t>(itemFrames_[static_cast<std::size_t>(item - 1)], 1);
}

void RipProgress::EncodeEnded(int item) {
    if (encoding_.erase(item) == 0)
        return;
    encodedFrames_ += Frames(item);
    ++encodedCount_;
}

void RipProgress::Take(const Message& m, std::uint32_t nowMs) {
    switch (m.id) {
        case WM_ITEM_STATUS:
            if (m.wParam != 0) {
                normalising_ = true;
                return;
            }
            if (inTurn_ != 0)
                EncodeEnded(std::exchange(inTurn_, 0));
            if (reading_ > 0)
                readFrames_ += Frames(reading_);
            ++reading_;
            readPerMille_ = 0;
            normalising_ = false;
            readStep_.clear();
            return;
        case WM_EXTRACT_PROGRESS:
            if (!normalising_)
                readPerMille_ = PerMille(m.wParam);
            return;
        case WM_RIP_STEP: {
            const auto step = static_cast<RipStep>(m.wParam);
            if (step == RipStep::kTestRead || step == RipStep::kCopyRead ||
                step == RipStep::kReread || step == RipStep::kDetectGaps ||
                step == RipStep::kSecureReread) {
                readStep_ = RipStepText(step, static_cast<int>(m.lParam));
                return;
            }
            readingDone_ = true;
            if (step == RipStep::kReadingDone)
                return;
            if (inTurn_ != 0)
                EncodeEnded(std::exchange(inTurn_, 0));
            endStep_ = RipStepText(step);
            return;
        }
        case WM_ENCODE_STATUS:
            // One thread reads a track, then encodes it.
            inTurn_ = reading_;
            encoding_[inTurn_] = Active{m.text, 0};
            break;
        case WM_ENCODE_PROGRESS:
            if (const auto at = encoding_.find(inTurn_); inTurn_ != 0 && at != encoding_.end())
                at->second.perMille = PerMille(m.wParam);
            return;
        case WM_ENCODE_BEHIND:
            behind_ = true;
            encoding_[static_cast<int>(m.wParam)] = Active{m.text, 0};
            break;
        case WM_ENCODE_BEHIND_PROGRESS: {
            const int item = static_cast<int>(m.lParam);
            if (m.wParam >= 1000)
                EncodeEnded(item);
            else if (const auto at = encoding_.find(item); at != encoding_.end())
                at->second.perMille = PerMille(m.wParam);
            return;
        }
        default:
            return;
    }
    if (!firstEncodeMs_)
        firstEncodeMs_ = nowMs;
}

std::vector<RipProgress::Encoding> RipProgress::encoding() const {
    std::vector<Encoding> lines;
    for (const auto& [item, active] : encoding_)
        lines.push_back(Encoding{item, active.name, active.perMille});
    return lines;
}

std::string RipProgress::EncodingText(const Encoding& line) const {
    return FormatText("正在编码 (%02d/%02d): ", line.item, itemCount_) + line.name;
}

std::string RipProgress::stageText() const {
    if (!endStep_.empty())
        return endStep_;
    if (readingDone_)
        return RipStepText(RipStep::kReadingDone);
    return readStep_.empty() ? "正在抓取 CDDA " : readStep_;
}

std::string RipProgress::Caption(const std::string& readCaption) const {
    if (!endStep_.empty())
        return endStep_;
    if (!behind_)
        return readCaption;
    if (readingDone_ && !encoding_.empty())
        return EncodingText(encoding().front());
    return readCaption + FormatText(" — 已编码 %d/%d", encodedCount_, itemCount_);
}

std::optional<std::uint32_t> RipProgress::LeftMs(std::uint32_t nowMs) const {
    std::optional<std::uint64_t> left;
    if (!readingDone_) {
        const std::uint64_t read =
            readFrames_ +
            (normalising_ ? Frames(reading_) : Frames(reading_) * readPerMille_ / 1000);
        left = Remaining(totalFrames_, read, nowMs);
        if (!left)
            return std::nullopt;
    }
    if (firstEncodeMs_ && (!encoding_.empty() || !readingDone_)) {
        std::uint64_t encoded = encodedFrames_;
        for (const auto& [item, active] : encoding_)
            encoded += Frames(item) * active.perMille / 1000;
        const auto encodeLeft =
            Remaining(totalFrames_, encoded, nowMs > *firstEncodeMs_ ? nowMs - *firstEncodeMs_ : 0);
        if (!encodeLeft && readingDone_)
            return std::nullopt;  // the encoders began, nothing to measure yet
        left = std::max(left.value_or(0), encodeLeft.value_or(0));
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(left.value_or(0), UINT32_MAX));
}

}  // namespace korvida

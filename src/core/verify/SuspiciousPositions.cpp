#include "core/verify/SuspiciousPositions.h"

#include "core/text/FormatText.h"

namespace korvida {

std::string TrackTime(std::uint32_t frames) {
    return FormatText("%02u:%02u.%02u", frames / 4500, frames / 75 % 60, frames % 75);
}

std::vector<FrameSpan> SpansOf(const std::vector<std::uint32_t>& frames) {
    std::vector<FrameSpan> spans;
    for (std::uint32_t frame : frames) {
        if (!spans.empty() && spans.back().end == frame)
            spans.back().end = frame + 1;
        else
            spans.push_back({frame, frame + 1});
    }
    return spans;
}

std::string SpanText(const FrameSpan& span) {
    return TrackTime(span.first) + " - " + TrackTime(span.end);
}

std::string CompactSpansText(const std::vector<FrameSpan>& spans) {
    std::string text;
    for (const FrameSpan& span : spans)
        text += (text.empty() ? "" : ",") + TrackTime(span.first) + "-" + TrackTime(span.end);
    return text;
}

}  // namespace korvida

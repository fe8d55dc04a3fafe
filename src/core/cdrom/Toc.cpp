#include "core/cdrom/Toc.h"

#include <algorithm>
#include <cstdio>

#include "core/cdrom/ScsiTypes.h"

namespace korvida {

TocView ParseTocReply(const std::uint8_t* buffer, std::size_t size, bool msf) {
    TocView toc;
    if (buffer == nullptr || size < 4)
        return toc;
    toc.firstTrack = buffer[2];
    toc.lastTrack = buffer[3];
    // The data length counts the bytes after itself: the two track numbers and the
    // descriptors.
    std::size_t claimed = 2 + ((std::size_t{buffer[0]} << 8) | buffer[1]);
    std::size_t end = std::min({claimed, size, kTocBufferSize});
    for (std::size_t at = 4; at + 8 <= end; at += 8) {
        const std::uint8_t* d = buffer + at;
        TocDescriptor descriptor;
        descriptor.adrControl = d[1];
        descriptor.trackNumber = d[2];
        if (msf) {
            std::uint32_t frames = (std::uint32_t{d[5]} * 60 + d[6]) * 75 + d[7];
            descriptor.lba = frames >= kMsfOffset ? frames - kMsfOffset : 0;
        } else {
            descriptor.lba = (std::uint32_t{d[4]} << 24) | (d[5] << 16) | (d[6] << 8) | d[7];
        }
        toc.descriptors.push_back(descriptor);
        if (descriptor.IsLeadout())
            break;
    }
    return toc;
}

std::uint32_t AudioSessionEnd(const TocView& toc) {
    if (toc.descriptors.empty() || !toc.descriptors.back().IsLeadout())
        return 0;
    std::size_t tracks = toc.descriptors.size() - 1;
    std::size_t audio = tracks;  // one past the last audio track
    while (audio > 0 && toc.descriptors[audio - 1].IsData())
        --audio;
    if (audio == 0 || audio == tracks)
        return toc.descriptors.back().lba;
    const std::uint32_t dataStart = toc.descriptors[audio].lba;
    const std::uint32_t lastAudioStart = toc.descriptors[audio - 1].lba;
    return dataStart > lastAudioStart + kSessionGapFrames ? dataStart - kSessionGapFrames
                                                          : dataStart;
}

std::string FormatMsf(std::uint32_t lba) {
    std::uint32_t frames = lba + kMsfOffset;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / (60 * 75), frames / 75 % 60,
                  frames % 75);
    return text;
}

std::vector<std::string> TocDescriptorLines(const TocView& toc) {
    std::vector<std::string> lines;
    for (const TocDescriptor& d : toc.descriptors) {
        char number[16];
        if (d.IsLeadout()) {
            std::snprintf(number, sizeof number, "leadout");
        } else {
            std::snprintf(number, sizeof number, "%02u", d.trackNumber);
        }
        char line[96];
        std::snprintf(line, sizeof line, "%s\t%02X\t%u\t%s", number, d.adrControl, d.lba,
                      FormatMsf(d.lba).c_str());
        lines.push_back(line);
    }
    return lines;
}

}  // namespace korvida

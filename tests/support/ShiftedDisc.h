#pragma once

// A disc image as a drive with a read offset reads it, and the AccurateRip pressing of the
// true audio: for the tests of the read-offset search.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/verify/AccurateRipDisc.h"
#include "core/verify/TrackChecksumAccumulator.h"
#include "support/AudioTestSupport.h"
#include "support/DiscImage.h"

namespace korvida::test {

struct ShiftedDisc {
    // Four tracks, 53 seconds of the image pattern.
    std::vector<std::uint32_t> starts = {0, 1000, 2200, 3000};
    std::uint32_t leadout = 4000;
    std::string audio;  // the disc's true samples
    std::string cue;
    AccurateRipDisc disc;

    // Writes disc.cue and disc.bin into `folder`: a drive with read offset +N answers for
    // sample s with the disc's sample s - N.
    ShiftedDisc(const std::string& folder, int offset) {
        audio = Frames(0, leadout);
        const std::int64_t shift = std::int64_t{offset} * 4;
        std::string image(audio.size(), '\0');
        for (std::int64_t at = 0; at < static_cast<std::int64_t>(image.size()); ++at) {
            const std::int64_t from = at - shift;
            if (from >= 0 && from < static_cast<std::int64_t>(audio.size()))
                image[static_cast<std::size_t>(at)] = audio[static_cast<std::size_t>(from)];
        }
        std::filesystem::create_directories(folder);
        cue = WriteDisc(folder, starts, leadout, image);
        disc = AccurateRipDiscOf(LbaToc(starts, leadout).data());
    }

    // A pressing holding each track's v1 or v2 figure of the true audio.
    std::string Pressing(int confidence, bool v2) const {
        std::string bytes(1, static_cast<char>(starts.size()));
        bytes += Le32(disc.id1) + Le32(disc.id2) + Le32(disc.freedbId);
        for (std::size_t t = 0; t < starts.size(); ++t) {
            const std::uint32_t end = t + 1 < starts.size() ? starts[t + 1] : leadout;
            TrackChecksumAccumulator sums(disc.PositionOf(static_cast<int>(t)));
            sums.Feed(reinterpret_cast<const std::uint8_t*>(audio.data()) + starts[t] * 2352,
                      std::size_t{end - starts[t]} * 2352);
            TrackVerification v;
            sums.Store(v);
            bytes += static_cast<char>(confidence) + Le32(v2 ? v.sums.arV2 : v.sums.arV1) + Le32(0);
        }
        return bytes;
    }

    std::string DatabaseTarget() const { return "/accuraterip/" + disc.DatabasePath(); }
};

}  // namespace korvida::test

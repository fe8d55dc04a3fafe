#include "core/musicbrainz/MusicBrainzDiscId.h"

#include <discid/discid.h>

#include <memory>

#include "core/cdrom/Toc.h"

namespace korvida {

namespace {

constexpr std::uint32_t kPregap = 150;

struct DiscIdDeleter {
    void operator()(DiscId* disc) const { discid_free(disc); }
};

}  // namespace

MusicBrainzDiscId ComputeMusicBrainzDiscId(std::span<const std::uint8_t, kTocResponseSize> lbaToc) {
    MusicBrainzDiscId result;
    const TocView toc = ParseTocReply(lbaToc.data(), lbaToc.size());
    if (toc.descriptors.size() < 2 || !toc.descriptors.back().IsLeadout())
        return result;
    std::size_t tracks = toc.descriptors.size() - 1;
    while (tracks > 0 && toc.descriptors[tracks - 1].IsData())
        --tracks;
    // An enhanced CD's id ends with its audio session.
    const std::uint32_t leadout = AudioSessionEnd(toc);
    if (tracks == 0)
        return result;

    // The numbers are those the TOC gives, so a disc whose first track is not 1 keeps them.
    const int first = toc.descriptors[0].trackNumber;
    const int last = first + static_cast<int>(tracks) - 1;
    if (first < 1 || last > 99)
        return result;
    int offsets[100] = {};
    offsets[0] = static_cast<int>(leadout + kPregap);
    for (std::size_t i = 0; i < tracks; ++i)
        offsets[first + static_cast<int>(i)] = static_cast<int>(toc.descriptors[i].lba + kPregap);

    std::unique_ptr<DiscId, DiscIdDeleter> disc(discid_new());
    if (!disc || !discid_put(disc.get(), first, last, offsets))
        return result;
    result.ok = true;
    result.id = discid_get_id(disc.get());
    result.submissionUrl = discid_get_submission_url(disc.get());
    // libdiscid still writes the address with http; the site serves it over https, and
    // an address a user copies should be the safe one.
    if (result.submissionUrl.rfind("http://", 0) == 0)
        result.submissionUrl.replace(0, 4, "https");
    result.toc = discid_get_toc_string(disc.get());
    result.firstTrack = first;
    result.lastTrack = last;
    for (int n = first; n <= last; ++n)
        result.trackSectors.push_back((n == last ? offsets[0] : offsets[n + 1]) - offsets[n]);
    return result;
}

}  // namespace korvida

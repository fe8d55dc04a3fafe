#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/disc/TrackInfo.h"

namespace korvida {

// Frames of one track: start <= frame < end, in LBA.
struct TrackRange {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

// The disc in the current drive. One exists at a time; a load rebuilds it whole.
struct DiscInfo {
    // READ TOC format 0 with LBA addresses, exactly as the drive returned it: a 4-byte
    // header (data length big-endian, first and last track number) and 100 descriptors
    // of 8 bytes (reserved, ADR/control, track number, reserved, big-endian start LBA),
    // the last valid one being the lead-out.
    static constexpr int kRawTocSize = 4 + 100 * 8;
    static constexpr int kMaxTracks = 99;

    std::array<std::uint8_t, kRawTocSize> rawToc{};
    // Valid entries of trackRanges; 0 when no disc is loaded.
    std::int32_t trackCount = 0;
    // Indexed by the 0-based track index in TOC order, never by the TOC track number.
    std::array<TrackRange, 100> trackRanges{};
    TrackInfo album;
    std::array<TrackInfo, kMaxTracks> tracks;
    // Revision counters of the disc entry (local database, freedb read and submission).
    std::int32_t Revision = 0;
    std::int32_t bRevision = 0;
    // What the disc itself says beside its names (READ SUB-CHANNEL at load): the
    // catalogue number (13 digits) and each track's ISRC (12 characters, by track
    // index); empty when the disc has none. Kept beside the description records, which
    // the database and the tag writers read field by field.
    std::string catalog;
    std::array<std::string, kMaxTracks> isrc;
    // The disc's place in a set of several ("disc 2 of 3"), from the release it was
    // named after; both 0 for a disc that is no part of a set (or not known to be).
    std::int32_t discNumber = 0;
    std::int32_t discCount = 0;

    // A set's disc: a number from 1 to a count of 2 or more.
    bool InSet() const { return discCount > 1 && discNumber >= 1 && discNumber <= discCount; }
};

}  // namespace korvida

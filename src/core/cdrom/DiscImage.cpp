#include "core/cdrom/DiscImage.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/cdrom/ScsiTypes.h"
#include "core/platform/ErrorText.h"

namespace korvida {

namespace {

// Positioned read of exactly `length` bytes; a file that ends early yields zeros, as the
// partial last frame of a WAVE file must.
bool ReadAt(const ImageFile& file, std::uint64_t offset, std::uint8_t* out, std::size_t length,
            std::string* errorText) {
    std::uint64_t end = file.dataOffset + file.dataBytes;
    std::size_t available =
        offset >= end ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(length, end - offset));
    std::size_t done = 0;
    while (done < available) {
        ssize_t got =
            ::pread(file.fd.get(), out + done, available - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (errorText) {
                *errorText = file.path + ": " +
                             (got < 0 ? ErrorText(errno) : std::string("file became shorter"));
            }
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    std::memset(out + available, 0, length - available);
    if (file.kind == ImageFileKind::kMotorola) {
        for (std::size_t i = 0; i + 1 < length; i += 2)
            std::swap(out[i], out[i + 1]);
    }
    return true;
}

}  // namespace

const ImageTrack* DiscImage::TrackAt(std::uint32_t lba) const {
    if (lba >= leadout || tracks.empty())
        return nullptr;
    const ImageTrack* found = &tracks.front();
    for (const ImageTrack& track : tracks) {
        std::uint32_t begins = track.hasIndex0 ? track.indexLbas.front() : track.startLba;
        if (begins > lba)
            break;
        found = &track;
    }
    return found;
}

bool DiscImage::ReadFrames(std::uint32_t lba, std::uint32_t count, std::uint8_t* out,
                           std::string* errorText) const {
    if (lba > leadout || count > leadout - lba) {
        if (errorText)
            *errorText = "frames outside the disc";
        return false;
    }
    // The segment whose range holds lba: the last one starting at or before it.
    std::size_t index =
        static_cast<std::size_t>(std::upper_bound(segments.begin(), segments.end(), lba,
                                                  [](std::uint32_t value, const ImageSegment& s) {
                                                      return value < s.discStart;
                                                  }) -
                                 segments.begin() - 1);
    for (; count > 0; ++index) {
        const ImageSegment& segment = segments[index];
        std::uint32_t within = lba - segment.discStart;
        std::uint32_t take = std::min(count, segment.frames - within);
        std::size_t bytes = static_cast<std::size_t>(take) * kRawSectorSize;
        if (segment.file == kFramesNotInImage) {
            if (errorText)
                *errorText = "frames the image holds no data for";
            return false;
        }
        if (segment.file < 0) {
            std::memset(out, 0, bytes);
        } else if (!ReadAt(files[static_cast<std::size_t>(segment.file)],
                           segment.byteOffset + std::uint64_t{within} * kRawSectorSize, out, bytes,
                           errorText)) {
            return false;
        }
        out += bytes;
        lba += take;
        count -= take;
    }
    return true;
}

}  // namespace korvida

#include "core/freedb/FreedbDiscId.h"

namespace korvida {

namespace {

int DigitSum(int value) {
    int sum = 0;
    for (; value > 0; value /= 10)
        sum += value % 10;
    return sum;
}

struct Msf {
    int minute;
    int second;
    int frame;
};

Msf DescriptorMsf(std::span<const std::uint8_t, kTocResponseSize> toc, int k) {
    const std::uint8_t* d = toc.data() + 4 + 8 * k;
    return {d[5], d[6], d[7]};
}

}  // namespace

bool ComputeFreedbDiscId(std::span<const std::uint8_t, kTocResponseSize> msfToc,
                         FreedbTocSummary& summary) {
    summary.fill(0);
    const int first = msfToc[2];
    const int last = msfToc[3];
    const int n = last - first + 1;
    // Track numbers run from 1; the lead-out descriptor follows the last track among the
    // 100 slots. An all-zero response (nothing read) has first track 0.
    if (first < 1 || n < 1 || n > 99)
        return false;

    int digitSum = 0;
    for (int k = 0; k < n; ++k) {
        const Msf msf = DescriptorMsf(msfToc, k);
        const int seconds = msf.minute * 60 + msf.second;
        summary[k + 2] = seconds * 75 + msf.frame;
        digitSum += DigitSum(seconds);
    }
    const Msf leadOut = DescriptorMsf(msfToc, n);
    const Msf firstTrack = DescriptorMsf(msfToc, 0);
    const int discSeconds = leadOut.minute * 60 + leadOut.second;
    const int playSeconds = discSeconds - (firstTrack.minute * 60 + firstTrack.second);

    // Unsigned arithmetic: a lead-out before the first track (a broken TOC) gives a
    // strange id, not undefined behaviour.
    const std::uint32_t id = (static_cast<std::uint32_t>(digitSum % 255) << 24) |
                             (static_cast<std::uint32_t>(playSeconds) << 8) |
                             static_cast<std::uint32_t>(n);
    summary[0] = static_cast<std::int32_t>(id);
    summary[1] = n;
    summary[n + 2] = discSeconds;
    return true;
}

std::array<std::uint8_t, kTocResponseSize> LbaTocToMsfToc(
    std::span<const std::uint8_t, kTocResponseSize> lbaToc) {
    std::array<std::uint8_t, kTocResponseSize> msf{};
    for (int i = 0; i < kTocResponseSize; ++i)
        msf[i] = lbaToc[i];
    for (int k = 0; k < 100; ++k) {
        std::uint8_t* d = msf.data() + 4 + 8 * k;
        const std::uint32_t lba = (std::uint32_t{d[4]} << 24) | (std::uint32_t{d[5]} << 16) |
                                  (std::uint32_t{d[6]} << 8) | std::uint32_t{d[7]};
        // MSF counts the two-second lead-in that LBA 0 starts after.
        const std::uint32_t frames = lba + 150;
        d[4] = 0;
        d[5] = static_cast<std::uint8_t>(frames / (60 * 75));
        d[6] = static_cast<std::uint8_t>((frames / 75) % 60);
        d[7] = static_cast<std::uint8_t>(frames % 75);
    }
    return msf;
}

bool FreedbDiscIdOfLbaToc(std::span<const std::uint8_t, kTocResponseSize> lbaToc,
                          std::uint32_t& id) {
    FreedbTocSummary summary{};
    if (!ComputeFreedbDiscId(LbaTocToMsfToc(lbaToc), summary))
        return false;
    id = FreedbDiscId(summary);
    return true;
}

}  // namespace korvida

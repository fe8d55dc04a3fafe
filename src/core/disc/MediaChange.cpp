#include "core/disc/MediaChange.h"

#include "core/cdrom/CSCSIDriver.h"

namespace korvida {

MediaChangeAction DecideMediaChange(const MediaChangeEvent& event, CSCSIDriver& driver,
                                    const std::array<std::uint8_t, DiscInfo::kRawTocSize>& rawToc) {
    if (!IsCdromDeviceName(event.device))
        return MediaChangeAction::kNothing;
    // A failed read leaves the buffer zeroed: no disc, which differs from any disc listed.
    std::array<std::uint8_t, DiscInfo::kRawTocSize> now{};
    driver.ReadTOC(now.data(), 0);
    return now == rawToc ? MediaChangeAction::kNothing : MediaChangeAction::kStoreAndReload;
}

}  // namespace korvida

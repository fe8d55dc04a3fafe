#pragma once

#include <cstdint>
#include <string>

namespace korvida {

// One entry of the driver's drive table. The identification strings are kept exactly as
// the drive's INQUIRY data has them (space padding included) and NUL-terminated.
struct SCSIDriveInfo {
    char vendor[255] = {};          // 8 bytes
    char product[255] = {};         // 16 bytes
    char revision[255] = {};        // 4 bytes
    std::uint32_t hostAdapter = 0;  // SCSI channel (path id) on the pass-through
    std::uint32_t target = 0;
    std::uint32_t lun = 0;  // goes into CDB byte 1 bits 7-5 where a command has a LUN field
};

// The name shown for a drive everywhere: 8 vendor bytes followed at once by 16 product
// bytes. A field shorter than its width (a drive that could not be identified) is padded
// with blanks so that the name keeps its 24 columns.
std::string DriveName(const SCSIDriveInfo& info);

// Copies vendor, product and revision out of standard INQUIRY data (at least 36 bytes).
void SetIdentityFromInquiry(SCSIDriveInfo& info, const std::uint8_t* inquiry, std::size_t length);

}  // namespace korvida

#include "core/cdrom/SCSIDriveInfo.h"

#include <cstring>

namespace korvida {

namespace {

std::string Field(const char* text, std::size_t width) {
    std::string field(text, strnlen(text, width));
    field.resize(width, ' ');
    return field;
}

void CopyField(char* field, const std::uint8_t* source, std::size_t width) {
    std::memset(field, 0, 255);
    std::memcpy(field, source, width);
}

}  // namespace

std::string DriveName(const SCSIDriveInfo& info) {
    return Field(info.vendor, 8) + Field(info.product, 16);
}

void SetIdentityFromInquiry(SCSIDriveInfo& info, const std::uint8_t* inquiry, std::size_t length) {
    if (length < 36)
        return;
    CopyField(info.vendor, inquiry + 8, 8);
    CopyField(info.product, inquiry + 16, 16);
    CopyField(info.revision, inquiry + 32, 4);
}

}  // namespace korvida

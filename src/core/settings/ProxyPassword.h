#pragma once

#include <string>

namespace korvida {

class ProfileFile;

// The proxy password is kept out of plain sight in section "CDDB": "Proxy000" holds the
// scrambled length and "Proxy001", "Proxy002", … the scrambled characters (at most 81).
// This is obfuscation against a glance over the shoulder, not encryption.
void WriteProxyPassword(ProfileFile& file, const std::string& password);
std::string ReadProxyPassword(const ProfileFile& file);

}  // namespace korvida

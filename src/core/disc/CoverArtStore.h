#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvida {

struct DiscInfo;

using CoverImage = std::shared_ptr<const std::vector<std::uint8_t>>;

// The kinds of picture a cover may be: what the tags and cover files can carry.
enum class CoverImageType { kNone, kJpeg, kPng };

// The type the bytes begin with (their signature), kNone for anything else.
CoverImageType SniffCoverImage(const std::vector<std::uint8_t>& bytes);

// ".jpg" or ".png"; empty for kNone.
const char* CoverImageExtension(CoverImageType type);

// The album's front cover lives beside the disc's entry in the local database, under the
// same name with the extension of its type ("db/<key>.jpg" or ".png"). Storing replaces
// the file whole and removes a cover of the other type; bytes that are no JPEG or PNG
// are refused. False, with *errorText set, when nothing was stored.
bool StoreCoverArt(const DiscInfo& disc, const std::vector<std::uint8_t>& image,
                   std::string* errorText = nullptr);

// Removes the disc's stored cover, of either type: the cover of a release the user no
// longer has picked must not reach the tags of later rips.
void RemoveCoverArt(const DiscInfo& disc);

// The disc's stored cover; null when there is none, or the file holds no JPEG or PNG.
CoverImage LoadCoverArt(const DiscInfo& disc);

}  // namespace korvida

#include "core/rip/AlbumCoverFile.h"

#include <string_view>

#include "core/ini/WriteFileAtomically.h"

namespace korvida {

bool WriteAlbumCoverFile(const CoverImage& cover, const std::string& firstOutputPath,
                         std::string* errorText) {
    if (!cover || firstOutputPath.empty())
        return true;
    const CoverImageType type = SniffCoverImage(*cover);
    if (type == CoverImageType::kNone)
        return true;
    const std::size_t slash = firstOutputPath.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : firstOutputPath.substr(0, slash + 1);
    // A PNG under a ".jpg" name is a file that some players refuse to show.
    const std::string path = folder + "cover" + CoverImageExtension(type);
    const std::string_view bytes(reinterpret_cast<const char*>(cover->data()), cover->size());
    return WriteFileAtomically(path, bytes, errorText);
}

}  // namespace korvida

#include "core/disc/CoverArtStore.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>

#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"
#include "core/disc/LocalDiscKey.h"
#include "core/ini/WriteFileAtomically.h"
#include "core/platform/AppHome.h"
#include "core/platform/MakeSureDirectoryPathExists.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

// A cover larger than this is no cover of a CD's booklet; the file is not read whole.
constexpr std::streamoff kMaxStoredBytes = 32 << 20;

// The database entry's path without ".db"; empty without a disc.
std::string CoverBase(const DiscInfo& disc) {
    const DiscToc toc = ReadDiscToc(disc.rawToc.data());
    if (disc.trackCount == 0 || !toc.ok)
        return {};
    std::string path = DiscDatabasePath(LocalDiscKey(toc));
    return path.substr(0, path.size() - std::string_view(".db").size());
}

}  // namespace

CoverImageType SniffCoverImage(const std::vector<std::uint8_t>& bytes) {
    static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto startsWith = [&bytes](const auto& signature) {
        return bytes.size() > sizeof signature &&
               std::equal(std::begin(signature), std::end(signature), bytes.begin());
    };
    if (startsWith(kJpeg))
        return CoverImageType::kJpeg;
    if (startsWith(kPng))
        return CoverImageType::kPng;
    return CoverImageType::kNone;
}

const char* CoverImageExtension(CoverImageType type) {
    switch (type) {
        case CoverImageType::kJpeg:
            return ".jpg";
        case CoverImageType::kPng:
            return ".png";
        case CoverImageType::kNone:
            break;
    }
    return "";
}

bool StoreCoverArt(const DiscInfo& disc, const std::vector<std::uint8_t>& image,
                   std::string* errorText) {
    const CoverImageType type = SniffCoverImage(image);
    const std::string base = CoverBase(disc);
    if (type == CoverImageType::kNone || base.empty()) {
        if (errorText)
            *errorText = type == CoverImageType::kNone ? Tr("封面图片不是 JPEG 或 PNG 格式。")
                                                       : Tr("没有 CD 可以使用！");
        return false;
    }
    if (!MakeSureDirectoryPathExists(AppHome() + "db")) {
        if (errorText)
            *errorText = Tr("不能打开目录 ") + AppHome() + Tr("db 。");
        return false;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (!WriteFileAtomically(base + CoverImageExtension(type), bytes, errorText))
        return false;
    // Two covers would leave the choice to the order of a look-up.
    const CoverImageType other =
        type == CoverImageType::kJpeg ? CoverImageType::kPng : CoverImageType::kJpeg;
    std::remove((base + CoverImageExtension(other)).c_str());
    return true;
}

void RemoveCoverArt(const DiscInfo& disc) {
    const std::string base = CoverBase(disc);
    if (base.empty())
        return;
    for (CoverImageType type : {CoverImageType::kJpeg, CoverImageType::kPng})
        std::remove((base + CoverImageExtension(type)).c_str());
}

CoverImage LoadCoverArt(const DiscInfo& disc) {
    const std::string base = CoverBase(disc);
    if (base.empty())
        return nullptr;
    for (CoverImageType type : {CoverImageType::kJpeg, CoverImageType::kPng}) {
        std::ifstream in(base + CoverImageExtension(type), std::ios::binary | std::ios::ate);
        if (!in)
            continue;
        const std::streamoff size = in.tellg();
        if (size <= 0 || size > kMaxStoredBytes)
            continue;
        in.seekg(0);
        auto bytes = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(size));
        if (!in.read(reinterpret_cast<char*>(bytes->data()), size))
            continue;
        if (SniffCoverImage(*bytes) == type)
            return bytes;
    }
    return nullptr;
}

}  // namespace korvida

#include "core/musicbrainz/ReleaseColumns.h"
#include "core/text/Translate.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace korvida {
namespace {

// MusicBrainz's own codes, and the countries that release most of the discs our users
// look up; any other code is shown as it is.
struct Country {
    std::string_view code;
    std::string_view name;
};
constexpr Country kCountries[] = {
    {"XW", TR_NOOP("全世界")},   {"XE", TR_NOOP("欧洲")},       {"XG", TR_NOOP("东德")},
    {"XU", TR_NOOP("未知")},     {"CN", TR_NOOP("中国")},       {"HK", TR_NOOP("香港")},
    {"TW", TR_NOOP("台湾")},     {"MO", TR_NOOP("澳门")},       {"JP", TR_NOOP("日本")},
    {"KR", TR_NOOP("韩国")},     {"SG", TR_NOOP("新加坡")},     {"MY", TR_NOOP("马来西亚")},
    {"TH", TR_NOOP("泰国")},     {"ID", TR_NOOP("印度尼西亚")}, {"PH", TR_NOOP("菲律宾")},
    {"IN", TR_NOOP("印度")},     {"US", TR_NOOP("美国")},       {"CA", TR_NOOP("加拿大")},
    {"MX", TR_NOOP("墨西哥")},   {"BR", TR_NOOP("巴西")},       {"AR", TR_NOOP("阿根廷")},
    {"GB", TR_NOOP("英国")},     {"IE", TR_NOOP("爱尔兰")},     {"DE", TR_NOOP("德国")},
    {"FR", TR_NOOP("法国")},     {"IT", TR_NOOP("意大利")},     {"ES", TR_NOOP("西班牙")},
    {"PT", TR_NOOP("葡萄牙")},   {"NL", TR_NOOP("荷兰")},       {"BE", TR_NOOP("比利时")},
    {"AT", TR_NOOP("奥地利")},   {"CH", TR_NOOP("瑞士")},       {"SE", TR_NOOP("瑞典")},
    {"NO", TR_NOOP("挪威")},     {"DK", TR_NOOP("丹麦")},       {"FI", TR_NOOP("芬兰")},
    {"PL", TR_NOOP("波兰")},     {"CZ", TR_NOOP("捷克")},       {"HU", TR_NOOP("匈牙利")},
    {"GR", TR_NOOP("希腊")},     {"RU", TR_NOOP("俄罗斯")},     {"UA", TR_NOOP("乌克兰")},
    {"TR", TR_NOOP("土耳其")},   {"IL", TR_NOOP("以色列")},     {"ZA", TR_NOOP("南非")},
    {"AU", TR_NOOP("澳大利亚")}, {"NZ", TR_NOOP("新西兰")},
};

const MusicBrainzMedium* ShownMedium(const MusicBrainzRelease& release) {
    if (release.media.empty())
        return nullptr;
    const bool known =
        release.medium >= 0 && static_cast<std::size_t>(release.medium) < release.media.size();
    return &release.media[known ? static_cast<std::size_t>(release.medium) : 0];
}

}  // namespace

std::vector<ReleaseColumn> ReleaseColumnsFor(const std::vector<MusicBrainzRelease>& releases) {
    std::vector<ReleaseColumn> columns = {ReleaseColumn::kTitle, ReleaseColumn::kArtist,
                                          ReleaseColumn::kDate, ReleaseColumn::kCountry};
    for (ReleaseColumn column : {ReleaseColumn::kFormat, ReleaseColumn::kTracks,
                                 ReleaseColumn::kBarcode, ReleaseColumn::kMedium}) {
        std::set<std::string> values;
        for (const MusicBrainzRelease& release : releases)
            values.insert(ReleaseCell(release, column));
        // The disc of a set is worth its column whenever one is listed: picking a set
        // picks one of its discs.
        const bool medium = column == ReleaseColumn::kMedium &&
                            std::any_of(values.begin(), values.end(),
                                        [](const std::string& v) { return !v.empty(); });
        if (values.size() > 1 || medium)
            columns.push_back(column);
    }
    return columns;
}

std::string ReleaseColumnHeader(ReleaseColumn column) {
    switch (column) {
        case ReleaseColumn::kTitle:
            return Tr("标题");
        case ReleaseColumn::kArtist:
            return Tr("艺术家");
        case ReleaseColumn::kDate:
            return Tr("日期");
        case ReleaseColumn::kCountry:
            return Tr("国家/地区");
        case ReleaseColumn::kFormat:
            return Tr("格式");
        case ReleaseColumn::kTracks:
            return Tr("音轨数");
        case ReleaseColumn::kBarcode:
            return Tr("条形码");
        case ReleaseColumn::kMedium:
            return Tr("碟片");
    }
    return {};
}

std::string ReleaseCell(const MusicBrainzRelease& release, ReleaseColumn column) {
    const MusicBrainzMedium* medium = ShownMedium(release);
    switch (column) {
        case ReleaseColumn::kTitle:
            return release.title;
        case ReleaseColumn::kArtist:
            return release.artist;
        case ReleaseColumn::kDate:
            return release.date;
        case ReleaseColumn::kCountry:
            return ReleaseCountryName(release.country);
        case ReleaseColumn::kFormat:
            return medium ? medium->format : std::string();
        case ReleaseColumn::kTracks: {
            if (!medium)
                return {};
            const int count = std::max(medium->trackCount, static_cast<int>(medium->tracks.size()));
            return count > 0 ? std::to_string(count) : std::string();
        }
        case ReleaseColumn::kBarcode:
            return release.barcode;
        case ReleaseColumn::kMedium:
            return release.MediumText();
    }
    return {};
}

std::string ReleaseCountryName(const std::string& code) {
    for (const Country& country : kCountries)
        if (country.code == code)
            return Tr(std::string(country.name));
    return code;
}

}  // namespace korvida

#include "core/musicbrainz/ReleaseColumns.h"

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
    {"XW", "全世界"}, {"XE", "欧洲"},       {"XG", "东德"},   {"XU", "未知"},
    {"CN", "中国"},   {"HK", "香港"},       {"TW", "台湾"},   {"MO", "澳门"},
    {"JP", "日本"},   {"KR", "韩国"},       {"SG", "新加坡"}, {"MY", "马来西亚"},
    {"TH", "泰国"},   {"ID", "印度尼西亚"}, {"PH", "菲律宾"}, {"IN", "印度"},
    {"US", "美国"},   {"CA", "加拿大"},     {"MX", "墨西哥"}, {"BR", "巴西"},
    {"AR", "阿根廷"}, {"GB", "英国"},       {"IE", "爱尔兰"}, {"DE", "德国"},
    {"FR", "法国"},   {"IT", "意大利"},     {"ES", "西班牙"}, {"PT", "葡萄牙"},
    {"NL", "荷兰"},   {"BE", "比利时"},     {"AT", "奥地利"}, {"CH", "瑞士"},
    {"SE", "瑞典"},   {"NO", "挪威"},       {"DK", "丹麦"},   {"FI", "芬兰"},
    {"PL", "波兰"},   {"CZ", "捷克"},       {"HU", "匈牙利"}, {"GR", "希腊"},
    {"RU", "俄罗斯"}, {"UA", "乌克兰"},     {"TR", "土耳其"}, {"IL", "以色列"},
    {"ZA", "南非"},   {"AU", "澳大利亚"},   {"NZ", "新西兰"},
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
            return "标题";
        case ReleaseColumn::kArtist:
            return "艺术家";
        case ReleaseColumn::kDate:
            return "日期";
        case ReleaseColumn::kCountry:
            return "国家/地区";
        case ReleaseColumn::kFormat:
            return "格式";
        case ReleaseColumn::kTracks:
            return "音轨数";
        case ReleaseColumn::kBarcode:
            return "条形码";
        case ReleaseColumn::kMedium:
            return "碟片";
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
            return std::string(country.name);
    return code;
}

}  // namespace korvida

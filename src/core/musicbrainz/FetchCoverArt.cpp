#include "core/musicbrainz/FetchCoverArt.h"

#include <algorithm>

#include "core/net/HttpGet.h"
#include "core/settings/Settings.h"
#include "core/text/Translate.h"

namespace korvida {
namespace {

// A release id is a UUID; anything else must not reach the path of a request.
bool IsReleaseId(const std::string& id) {
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
               c == '-';
    });
}

CoverArtFetch Failed(std::string text) {
    CoverArtFetch result;
    result.outcome = CoverArtFetch::Outcome::kFailed;
    result.errorText = std::move(text);
    return result;
}

}  // namespace

CoverArtFetch FetchCoverArt(const std::string& releaseId, const Settings& settings, Event* cancel) {
    if (!IsReleaseId(releaseId))
        return {};
    std::string server = settings.CoverArtServer;
    while (!server.empty() && server.back() == '/')
        server.pop_back();
    if (server.empty())
        return {};

    HttpRequest request;
    request.url = server + "/release/" + releaseId + "/front-500";
    request.userAgent = KorvidaUserAgent();
    request.proxySettings = &settings;
    request.cancel = cancel;
    request.maxBytes = 8u << 20;
    const HttpResponse response = HttpGet(request);
    switch (response.outcome) {
        case HttpResponse::Outcome::kOk:
            break;
        case HttpResponse::Outcome::kCancelled:
            return {CoverArtFetch::Outcome::kCancelled, nullptr, {}};
        default:
            return Failed(response.errorText);
    }
    if (response.status == 404)
        return {};
    if (!response.Ok())
        return Failed(Tr("封面服务器的回答: HTTP ") + std::to_string(response.status) + Tr("。"));
    auto image = std::make_shared<std::vector<std::uint8_t>>(response.body);
    if (SniffCoverImage(*image) == CoverImageType::kNone)
        return Failed(Tr("封面图片不是 JPEG 或 PNG 格式。"));
    return {CoverArtFetch::Outcome::kFound, std::move(image), {}};
}

CoverArtFetch FetchAndStoreCoverArt(const DiscInfo& disc, const std::string& releaseId,
                                    const Settings& settings, Event* cancel) {
    RemoveCoverArt(disc);
    if (settings.CoverArt == 0)
        return {};
    CoverArtFetch result = FetchCoverArt(releaseId, settings, cancel);
    if (result.outcome != CoverArtFetch::Outcome::kFound)
        return result;
    std::string error;
    if (!StoreCoverArt(disc, *result.image, &error))
        return Failed(Tr("不能保存封面图片 ") + error);
    return result;
}

}  // namespace korvida

#include "core/freedb/FreedbLookupSteps.h"

#include "core/freedb/FreedbCommands.h"

namespace korvida {

FreedbQueryStart MakeQueryRequest(const FreedbServerSettings& settings,
                                  std::span<const std::uint8_t, kTocResponseSize> msfToc) {
    FreedbQueryStart start;
    FreedbTocSummary summary{};
    if (!ComputeFreedbDiscId(msfToc, summary))
        return start;
    start.discId = FreedbDiscId(summary);
    start.request = MakeFreedbRequest(settings, FreedbExchange::kQuery);
    start.request->body = BuildQueryCommand(summary, settings.Email);
    return start;
}

std::shared_ptr<FreedbRequest> MakeReadRequest(const FreedbServerSettings& settings,
                                               const FreedbMatch& match) {
    auto read = MakeFreedbRequest(settings, FreedbExchange::kRead);
    read->body = BuildReadCommand(match.category, match.discId, settings.Email);
    return read;
}

FreedbNextStep NextAfterQuery(const std::vector<FreedbMatch>& matches, int pick) {
    using Kind = FreedbNextStep::Kind;
    if (matches.empty())
        return {Kind::kNoMatch};
    if (pick > 0 && static_cast<std::size_t>(pick) > matches.size())
        return {Kind::kBadPick};
    if (pick > 0)
        return {Kind::kRead, static_cast<std::size_t>(pick - 1)};
    if (matches.size() == 1)
        return {Kind::kRead, 0};
    return {Kind::kChoose};
}

}  // namespace korvida

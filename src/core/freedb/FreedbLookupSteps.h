#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/freedb/FreedbDiscId.h"
#include "core/freedb/FreedbRequest.h"
#include "core/text/Translate.h"

namespace korvida {

// The steps of a lookup (query, then the read of one match) that every front end takes
// alike; each front end runs the transfers and asks the user in its own way.

// The text shown when the TOC yields no disc id.
inline constexpr const char* kNoDiscIdText = TR_NOOP("不能读取 CD 的目录信息，无法计算唱片 ID。");

struct FreedbQueryStart {
    std::shared_ptr<FreedbRequest> request;  // null when the TOC yields no id
    std::uint32_t discId = 0;
};

// The query of the disc an MSF TOC describes.
FreedbQueryStart MakeQueryRequest(const FreedbServerSettings& settings,
                                  std::span<const std::uint8_t, kTocResponseSize> msfToc);

// The read of a match as the query listed it.
std::shared_ptr<FreedbRequest> MakeReadRequest(const FreedbServerSettings& settings,
                                               const FreedbMatch& match);

// What a query's list leads to. `pick` is the 1-based match someone named, 0 when nobody
// did: an empty list is no match, a pick past the list names nothing (it must not read
// match 1 in its place), a pick or a list of one is read at once, and a longer list waits
// for a choice.
struct FreedbNextStep {
    enum class Kind { kNoMatch, kBadPick, kRead, kChoose };
    Kind kind = Kind::kNoMatch;
    std::size_t match = 0;  // for kRead
};
FreedbNextStep NextAfterQuery(const std::vector<FreedbMatch>& matches, int pick);

}  // namespace korvida

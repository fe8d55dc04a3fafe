#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/freedb/FreedbRequest.h"
#include "core/freedb/FreedbSubmission.h"
#include "core/text/Translate.h"

namespace korvida {

// The wizards' sequences for front ends without pages (the command line): each runs a
// transport thread to its end and reports what the pages would show.

// The no-match page's text.
inline constexpr const char* kNoMatchText = TR_NOOP("抱歉！未发现相匹配的唱片！");

struct FreedbOutcome {
    enum class Kind {
        kDone,       // completion message arrived (query/read done, submission accepted)
        kNoMatch,    // a lookup found nothing to read
        kFailed,     // error, a server refusal or a refused submission; text says why
        kCancelled,  // the cancel event ended the transfer
        kBadPick,    // the pick names no match of the list: nothing was read
    };
    Kind kind = Kind::kFailed;
    std::string text;          // error, refusal or no-match text; a submission's: the
                               // server's status line, whatever its answer
    std::uint32_t lParam = 0;  // of the completion message (the read's revision word)
};

using FreedbStatusCallback = std::function<void(const std::string&)>;

// Runs QueryThread, or SubmitThread when `submit` is set, on a worker and waits for its
// end. Status texts go to `onStatus` as they arrive, from the worker thread.
FreedbOutcome RunFreedbRequest(const std::shared_ptr<FreedbRequest>& request, bool submit,
                               const FreedbStatusCallback& onStatus = {});

struct FreedbLookup {
    std::uint32_t discId = 0;
    std::vector<FreedbMatch> matches;  // as the query listed them
    int picked = -1;                   // 0-based index of the match that was read
    FreedbOutcome outcome;
};

// The query wizard without pages: disc id from the MSF TOC, query, then the read of the
// only match or of match `pick` (1-based; 0: the first, as OK without a selection does),
// and the result applied to the disc. A pick past the list reads nothing (kBadPick): a
// script asking for match 500 must not get match 1 as if it were the one it named.
// `cancelEvent` may be null.
FreedbLookup LookUpDisc(const FreedbServerSettings& settings,
                        std::span<const std::uint8_t, kTocResponseSize> msfToc, int pick,
                        DiscInfo& disc, std::shared_ptr<Event> cancelEvent = nullptr,
                        const FreedbStatusCallback& onStatus = {});

// The submit wizard without pages: SubmitDisc, then the submit thread. A refusal of the
// form comes back as kFailed with its message, before anything is sent.
FreedbOutcome SubmitDiscAndWait(const SubmitForm& form,
                                std::span<const std::uint8_t, kTocResponseSize> msfToc,
                                const FreedbServerSettings& settings, DiscInfo& disc,
                                std::shared_ptr<Event> cancelEvent = nullptr,
                                const FreedbStatusCallback& onStatus = {});

}  // namespace korvida

#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

#include "core/settings/Settings.h"

namespace korvida::gui {

// The pages, in the order of the tree.
enum class OptionsPageId {
    kOutput,
    kMp3,
    kOgg,
    kFlac,
    kOpus,
    kFreedb,
    kMusicBrainz,
    kCdrom,
    kVerify,
    kAppearance,
    kMisc1,
    kMisc2
};
inline constexpr int kOptionsPageCount = 12;

// The tree label of a page (UTF-8).
const char* OptionsPageLabel(OptionsPageId page);

// What the caller applies after the sheet closed. After OK the autoplay setting is applied
// in any case; after Cancel nothing is (the Advanced bits are already stored).
struct OptionsOutcome {
    bool accepted = false;
    // bUseASPI changed: the driver is made anew and the disc reloaded.
    bool transportChanged = false;
    // Another drive of the list was picked: Stop, Init(drive), reload the disc, and the
    // status line names the new drive. Never set when the list was empty.
    bool driveChanged = false;
    int drive = 0;
    // A colour or the shadow switch differs: the list and the status line are repainted.
    bool colorsChanged = false;
};

// The sheet without its widgets: which pages commit in which order, what reaches the
// settings, and what changed. Pages commit into a copy that becomes the live settings only
// when the whole sheet is accepted, so a page that keeps the sheet open leaves no half of
// the sheet applied behind it, and Cancel applies nothing.
class OptionsSession {
  public:
    // Pages whose refusal keeps the sheet open, in commit order.
    static constexpr std::array<OptionsPageId, 5> kCheckedPages = {
        OptionsPageId::kOutput, OptionsPageId::kMp3, OptionsPageId::kFreedb, OptionsPageId::kCdrom,
        OptionsPageId::kVerify};
    // Committed after those; what they answer is not consulted.
    static constexpr std::array<OptionsPageId, 7> kLaterPages = {
        OptionsPageId::kAppearance, OptionsPageId::kMisc1, OptionsPageId::kMisc2,
        OptionsPageId::kOgg,        OptionsPageId::kFlac,  OptionsPageId::kOpus,
        OptionsPageId::kMusicBrainz};

    // `driveCount`: entries of the CD-ROM page's drive list.
    OptionsSession(Settings& live, std::size_t driveCount);

    // The settings as they were when the sheet opened (plus the Advanced bits).
    const Settings& opened() const { return opened_; }
    const OptionsOutcome& outcome() const { return outcome_; }

    // OK. `checkFields` runs the field checks (ranges, lengths) of one page without side
    // effects; every page is checked, in commit order, before anything is committed.
    // `commitPage` stores one page's controls into the copy and applies the page's own
    // rules (folders, naming rule); false when the page refuses. Returns the page that
    // keeps the sheet open, or nothing when the live settings now hold the sheet's values
    // and outcome() says what changed.
    using CheckFields = std::function<bool(OptionsPageId)>;
    using CommitPage = std::function<bool(OptionsPageId, Settings&)>;
    std::optional<OptionsPageId> Commit(const CheckFields& checkFields,
                                        const CommitPage& commitPage);

    // The Advanced dialog's OK: the three MPEG header bits reach the settings at once,
    // whatever becomes of the sheet.
    void StoreAdvancedBits(int copyright, int original, int privateBit);

  private:
    Settings& live_;
    Settings opened_;
    std::size_t driveCount_;
    OptionsOutcome outcome_;
};

// True when a colour or the shadow switch of the Appearance page differs.
bool ColorsDiffer(const Settings& a, const Settings& b);

}  // namespace korvida::gui

#include "gui/settings/OptionsSession.h"

#include <QtGlobal>

namespace korvida::gui {

const char* OptionsPageLabel(OptionsPageId page) {
    static constexpr const char* kLabels[kOptionsPageCount] = {QT_TR_NOOP("输出"),
                                                               "MP3",
                                                               "Ogg Vorbis",
                                                               "FLAC",
                                                               "Opus",
                                                               "Freedb",
                                                               "MusicBrainz",
                                                               "CD-ROM",
                                                               QT_TR_NOOP("校验"),
                                                               QT_TR_NOOP("外观"),
                                                               QT_TR_NOOP("杂项一"),
                                                               QT_TR_NOOP("杂项二")};
    return kLabels[static_cast<int>(page)];
}

OptionsSession::OptionsSession(Settings& live, std::size_t driveCount)
    : live_(live), opened_(live), driveCount_(driveCount) {}

std::optional<OptionsPageId> OptionsSession::Commit(const CheckFields& checkFields,
                                                    const CommitPage& commitPage) {
    for (OptionsPageId page : kCheckedPages)
        if (!checkFields(page))
            return page;
    for (OptionsPageId page : kLaterPages)
        if (!checkFields(page))
            return page;

    Settings staged = live_;
    for (OptionsPageId page : kCheckedPages)
        if (!commitPage(page, staged))
            return page;
    for (OptionsPageId page : kLaterPages)
        commitPage(page, staged);

    outcome_ = OptionsOutcome{};
    outcome_.accepted = true;
    outcome_.transportChanged = staged.bUseASPI != opened_.bUseASPI;
    outcome_.driveChanged = driveCount_ > 0 && staged.CDROMDriver != opened_.CDROMDriver;
    outcome_.drive = staged.CDROMDriver;
    outcome_.colorsChanged = ColorsDiffer(staged, opened_);
    live_ = staged;
    return std::nullopt;
}

void OptionsSession::StoreAdvancedBits(int copyright, int original, int privateBit) {
    for (Settings* s : {&live_, &opened_}) {
        s->Copyright = copyright;
        s->Original = original;
        s->Private = privateBit;
    }
}

bool ColorsDiffer(const Settings& a, const Settings& b) {
    return a.TextColor != b.TextColor || a.TextSelColor != b.TextSelColor ||
           a.BackgroundColor != b.BackgroundColor || a.StatusLineColor != b.StatusLineColor ||
           a.TextShadowColor != b.TextShadowColor || a.BoolShadowColor != b.BoolShadowColor;
}

}  // namespace korvida::gui

#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/disc/DiscInfo.h"
#include "core/freedb/FreedbDiscId.h"
#include "core/freedb/FreedbRequest.h"

namespace korvida {

// The freedb categories in the order the genre list offers them (not sorted).
inline constexpr std::array<const char*, 11> FREEDB_CATEGORIES = {
    "blues", "classical", "country", "data", "folk",      "jazz",
    "misc",  "newage",    "reggae",  "rock", "soundtrack"};

// The web address the X-Cddbd-Note line names.
inline constexpr const char* kMakerWebAddress = "https://korvida.example.org/";

// What the submit edit page holds when Submit is pressed.
struct SubmitForm {
    std::string artist;
    std::string album;
    std::string category;             // the selected list entry; empty when nothing is selected
    std::string revision;             // the revision edit's text
    std::vector<std::string> titles;  // one per title-list row, in row order
};

// The edit page's opening values for a disc: artist and album of the album record, the
// category whose name equals the album's GenreName in lower case (empty when none
// does), the revision Revision + 1 when bRevision is set (else 0), and one title per
// track.
SubmitForm SubmitFormFromDisc(const DiscInfo& disc);

// The first message the form fails with ("请输入 CD 的艺术家信息！" …), empty when it
// passes. A title still equal to its default "音轨 N" is refused; an empty one is not.
std::string ValidateSubmitForm(const SubmitForm& form);

// The decimal value at the start of the revision text; 0 when it is not a number.
int RevisionFieldValue(const std::string& text);

// After the server accepted the form: the disc keeps the revision it was sent with.
void RecordAcceptedRevision(const SubmitForm& form, DiscInfo& disc);

// The submission text: the header block (Content-Length line and blank line included),
// the xmcd text, and the body handed to the transport (header block, xmcd text, "\r\n").
struct SubmissionText {
    std::string header;
    std::string xmcd;
    std::string body;
};

// Limits of the buffers the texts must fit, terminator included.
inline constexpr std::size_t kSubmitHeaderSize = 2048;
inline constexpr std::size_t kSubmitXmcdSize = 20480;

// Builds the texts. False, with *message set, when they would not fit their limits
// (many tracks with long titles).
bool BuildSubmissionText(const SubmitForm& form, const FreedbTocSummary& summary,
                         const std::string& email, SubmissionText& text, std::string* message);

// The Submit button below the page: validates the form, computes the disc id from the
// MSF TOC, builds the text, writes artist, album and category back into the disc and
// returns the request for SubmitThread (events created, cancel clear). On a refusal it
// returns null with *message holding the text for an information box, and the disc is
// unchanged.
std::shared_ptr<FreedbRequest> SubmitDisc(const SubmitForm& form,
                                          std::span<const std::uint8_t, kTocResponseSize> msfToc,
                                          const FreedbServerSettings& settings, DiscInfo& disc,
                                          std::string* message);

// A plausible e-mail address for submissions: not empty, not the settings' placeholder,
// holding both "@" and ".".
bool IsPlausibleEmail(const std::string& email);

// The text shown when it is not.
extern const char* const kEmailMissingText;

}  // namespace korvida

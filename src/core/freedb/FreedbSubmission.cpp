#include "core/freedb/FreedbSubmission.h"

#include <cctype>
#include <climits>
#include <cstdio>

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbLookupSteps.h"
#include "core/freedb/FreedbText.h"
#include "core/settings/Settings.h"
#include "core/text/FormatText.h"
#include "core/text/Translate.h"

namespace korvida {

const char* const kEmailMissingText = TR_NOOP(
    "请从“编辑 -> 选项...”菜单的“Freedb”页面输入您的 E-mail 地址。\n\n"
    "当提交被拒绝，将会连同被拒绝的理由解释通过此 E-mail "
    "地址退回。如果提交成功，将不会有通知发送。");

namespace {

std::string DefaultTrackTitle(std::size_t row) {
    return Tr("音轨 ") + std::to_string(row + 1);
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

SubmitForm SubmitFormFromDisc(const DiscInfo& disc) {
    SubmitForm form;
    form.artist = disc.album.Artist;
    form.album = disc.album.Album;
    const std::string genre = LowerAscii(disc.album.GenreName);
    for (const char* category : FREEDB_CATEGORIES) {
        if (genre == category)
            form.category = category;
    }
    form.revision = std::to_string(disc.bRevision ? disc.Revision + 1 : 0);
    for (int i = 0; i < disc.trackCount && i < DiscInfo::kMaxTracks; ++i)
        form.titles.push_back(disc.tracks[static_cast<std::size_t>(i)].Title);
    return form;
}

std::string ValidateSubmitForm(const SubmitForm& form) {
    if (form.artist.empty())
        return Tr("请输入 CD 的艺术家信息！");
    if (form.album.empty())
        return Tr("请输入 CD 专辑的标题！");
    if (form.category.empty())
        return Tr("请输入 CD 的流派信息！");
    for (std::size_t row = 0; row < form.titles.size(); ++row) {
        if (form.titles[row] == DefaultTrackTitle(row))
            return FormatText(Tr("缺少音轨 #%02lld 的标题。"), static_cast<long long>(row + 1));
    }
    return {};
}

int RevisionFieldValue(const std::string& text) {
    long long value = 0;  // no number reads as 0
    ReadFreedbInt(text, value);
    return static_cast<int>(value);
}

void RecordAcceptedRevision(const SubmitForm& form, DiscInfo& disc) {
    // The server now holds this revision: keep it with the disc, so that the next
    // submission offers a higher one instead of one the server refuses.
    disc.bRevision = 1;
    disc.Revision = RevisionFieldValue(form.revision);
}

bool BuildSubmissionText(const SubmitForm& form, const FreedbTocSummary& summary,
                         const std::string& email, SubmissionText& text, std::string* message) {
    const auto id = static_cast<unsigned long long>(FreedbDiscId(summary));
    int n = summary[1];
    if (n < 0)
        n = 0;
    if (n > 99)
        n = 99;

    // Every value goes on a line of its own; a line break inside one would start a line
    // the server reads as a header or an xmcd keyword.
    std::string header;
    header += "Category: " + WithoutControlBytes(form.category) + "\r\n";
    header += FormatText("Discid: %08llx\r\n", id);
    header += "User-Email: " + WithoutControlBytes(email) + "\r\n";
    header += "Submit-Mode: submit\r\n";
    // Our text is UTF-8; labelled as Latin-1 the server would store it as garbage.
    header += "Charset: UTF-8\r\n";
    header += std::string("X-Cddbd-Note: Sent by Korvida CD Ripper ") + kMakerWebAddress + "\r\n";

    std::string xmcd = "# xmcd\r\n#\r\n# Track frame offsets:\r\n";
    for (int k = 0; k < n; ++k)
        xmcd += FormatText("#  %d\r\n", summary[k + 2]);
    xmcd += FormatText("#\r\n# Disc length: %d seconds\r\n#\r\n", summary[n + 2]);
    xmcd += FormatText("# Revision: %d\r\n", RevisionFieldValue(form.revision));
    xmcd += "# Submitted via: Korvida_CD_Ripper 4.0\r\n";
    xmcd += FormatText("DISCID=%08llx\r\n", id);
    xmcd += "DTITLE=" + WithoutControlBytes(form.artist + " / " + form.album) + "\r\n";
    for (std::size_t r = 0; r < form.titles.size(); ++r) {
        xmcd += FormatText("TTITLE%lld=", static_cast<long long>(r)) +
                WithoutControlBytes(form.titles[r]) + "\r\n";
    }
    xmcd += "EXTD=\r\n";
    for (std::size_t r = 0; r < form.titles.size(); ++r)
        xmcd += FormatText("EXTT%lld=\r\n", static_cast<long long>(r));
    xmcd += "PLAYORDER=\r\n";

    // The body after the blank line is "\r\n", the xmcd text and "\r\n"; the length
    // counts all of it, so that a server reading Content-Length bytes gets every line.
    header += FormatText("Content-Length: %lld\r\n\r\n", static_cast<long long>(xmcd.size() + 4));
    header += "\r\n";

    std::string body = header + xmcd + "\r\n";
    if (header.size() >= kSubmitHeaderSize || xmcd.size() >= kSubmitXmcdSize ||
        body.size() >= FreedbRequest::kBodySize) {
        if (message)
            *message = FormatText(Tr("唱片信息太长，无法提交 (最多 %lld 字节)。请缩短音轨标题。"),
                                  static_cast<long long>(FreedbRequest::kBodySize - 1));
        return false;
    }
    text.header = std::move(header);
    text.xmcd = std::move(xmcd);
    text.body = std::move(body);
    return true;
}

std::shared_ptr<FreedbRequest> SubmitDisc(const SubmitForm& form,
                                          std::span<const std::uint8_t, kTocResponseSize> msfToc,
                                          const FreedbServerSettings& settings, DiscInfo& disc,
                                          std::string* message) {
    std::string refusal = ValidateSubmitForm(form);
    FreedbTocSummary summary{};
    if (refusal.empty() && !ComputeFreedbDiscId(msfToc, summary))
        refusal = Tr(kNoDiscIdText);
    SubmissionText text;
    if (refusal.empty())
        BuildSubmissionText(form, summary, settings.Email, text, &refusal);
    if (!refusal.empty()) {
        if (message)
            *message = refusal;
        return nullptr;
    }

    ApplyAlbumFields(disc, form.artist, form.album, form.category);

    auto request = MakeFreedbRequest(settings, FreedbExchange::kSubmit);
    request->body = std::move(text.body);
    return request;
}

bool IsPlausibleEmail(const std::string& email) {
    return !email.empty() && email != Settings{}.Email && email.find('@') != std::string::npos &&
           email.find('.') != std::string::npos;
}

}  // namespace korvida

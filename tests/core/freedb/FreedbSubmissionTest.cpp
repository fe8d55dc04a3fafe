#include <gtest/gtest.h>

#include <string>

#include "core/freedb/FreedbSubmission.h"
#include "core/settings/Settings.h"

namespace korvida {
namespace {

FreedbTocSummary Summary(std::uint32_t id, std::vector<int> offsets, int seconds) {
    FreedbTocSummary s{};
    s[0] = static_cast<std::int32_t>(id);
    s[1] = static_cast<int>(offsets.size());
    for (std::size_t k = 0; k < offsets.size(); ++k)
        s[k + 2] = offsets[k];
    s[offsets.size() + 2] = seconds;
    return s;
}

SubmitForm Form() {
    SubmitForm form;
    form.artist = "A";
    form.album = "B";
    form.category = "rock";
    form.revision = "2";
    form.titles = {"One", "音轨 二", "", "Four"};
    return form;
}

TEST(SubmissionText, HeaderAndXmcdByteForByte) {
    SubmissionText text;
    std::string message;
    ASSERT_TRUE(BuildSubmissionText(Form(), Summary(0x0a0b0c03, {150, 14250, 31530}, 600),
                                    "me@example.net", text, &message))
        << message;
    const std::string xmcd =
        "# xmcd\r\n#\r\n# Track frame offsets:\r\n#  150\r\n#  14250\r\n#  31530\r\n"
        "#\r\n# Disc length: 600 seconds\r\n#\r\n# Revision: 2\r\n"
        "# Submitted via: Korvida_CD_Ripper 4.0\r\nDISCID=0a0b0c03\r\nDTITLE=A / B\r\n"
        "TTITLE0=One\r\nTTITLE1=音轨 二\r\nTTITLE2=\r\nTTITLE3=Four\r\n"
        "EXTD=\r\nEXTT0=\r\nEXTT1=\r\nEXTT2=\r\nEXTT3=\r\nPLAYORDER=\r\n";
    EXPECT_EQ(text.xmcd, xmcd);
    EXPECT_EQ(text.header,
              "Category: rock\r\nDiscid: 0a0b0c03\r\nUser-Email: me@example.net\r\n"
              "Submit-Mode: submit\r\nCharset: UTF-8\r\n"
              "X-Cddbd-Note: Sent by Korvida CD Ripper https://korvida.example.org/\r\n"
              "Content-Length: " +
                  std::to_string(xmcd.size() + 4) + "\r\n\r\n\r\n");
    EXPECT_EQ(text.body, text.header + xmcd + "\r\n");
    // Content-Length counts every byte after the blank line.
    EXPECT_EQ(text.body.size() - text.body.find("\r\n\r\n") - 4, xmcd.size() + 4);
}

TEST(SubmissionText, RevisionFieldIsItsDecimalValue) {
    EXPECT_EQ(RevisionFieldValue("2"), 2);
    EXPECT_EQ(RevisionFieldValue(""), 0);
    EXPECT_EQ(RevisionFieldValue("abc"), 0);
    EXPECT_EQ(RevisionFieldValue("99999999999999"), 2147483647);  // no overflow
}

TEST(SubmissionText, LineBreaksInValuesCannotAddLines) {
    SubmitForm form = Form();
    form.titles = {"evil\r\nDTITLE=X / Y"};
    form.artist = "A\nCategory: misc";
    SubmissionText text;
    ASSERT_TRUE(BuildSubmissionText(form, Summary(1, {150}, 60), "a@b.c", text, nullptr));
    EXPECT_NE(text.xmcd.find("TTITLE0=evil  DTITLE=X / Y\r\n"), std::string::npos);
    EXPECT_NE(text.xmcd.find("DTITLE=A Category: misc / B\r\n"), std::string::npos);
}

// Validation: the message each form fails with; empty when it passes.
struct ValidationCase {
    const char* name;
    void (*change)(SubmitForm&);
    const char* message;
};

class SubmitValidation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(SubmitValidation, RefusesWithItsMessage) {
    SubmitForm form = Form();
    GetParam().change(form);
    EXPECT_EQ(ValidateSubmitForm(form), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SubmitValidation,
    ::testing::Values(
        ValidationCase{"complete", [](SubmitForm&) {}, ""},
        ValidationCase{"noArtist", [](SubmitForm& f) { f.artist.clear(); },
                       "请输入 CD 的艺术家信息！"},
        ValidationCase{"noAlbum", [](SubmitForm& f) { f.album.clear(); }, "请输入 CD 专辑的标题！"},
        ValidationCase{"noCategory", [](SubmitForm& f) { f.category.clear(); },
                       "请输入 CD 的流派信息！"},
        ValidationCase{"defaultTitleOfRow3", [](SubmitForm& f) { f.titles[2] = "音轨 3"; },
                       "缺少音轨 #03 的标题。"},
        ValidationCase{"otherRowsDefaultIsFine", [](SubmitForm& f) { f.titles[0] = "音轨 3"; }, ""},
        ValidationCase{"emptyTitleIsFine", [](SubmitForm& f) { f.titles[1].clear(); }, ""}),
    [](const auto& info) { return std::string(info.param.name); });

std::array<std::uint8_t, kTocResponseSize> ExampleMsfToc() {
    std::array<std::uint8_t, kTocResponseSize> toc{};
    toc[2] = 1;
    toc[3] = 3;
    const int msf[4][3] = {{0, 2, 0}, {3, 10, 0}, {7, 0, 30}, {10, 0, 0}};
    for (int k = 0; k < 4; ++k) {
        for (int b = 0; b < 3; ++b)
            toc[4 + 8 * k + 5 + b] = static_cast<std::uint8_t>(msf[k][b]);
    }
    return toc;
}

FreedbServerSettings ServerSettings() {
    FreedbServerSettings s;
    s.Server = "freedb.example:8880";
    s.QueryScript = "/q.cgi";
    s.SubmitScript = "/s.cgi";
    s.Email = "me@example.net";
    s.bProxy = 1;
    s.ProxyServer = "proxy";
    s.ProxyPort = 3128;
    s.ProxyAuthorization = 1;
    s.ProxyUsername = "user";
    s.ProxyPassword = "secret";
    return s;
}

TEST(SubmitDisc, WritesBackAndFillsTheRequest) {
    DiscInfo disc;
    disc.trackCount = 4;
    std::string message;
    const auto request = SubmitDisc(Form(), ExampleMsfToc(), ServerSettings(), disc, &message);
    ASSERT_TRUE(request) << message;
    EXPECT_EQ(disc.album.Title, "B");
    EXPECT_EQ(disc.album.Artist, "A");
    EXPECT_EQ(disc.album.GenreName, "rock");
    EXPECT_EQ(disc.tracks[3].Album, "B");
    EXPECT_EQ(disc.tracks[3].Title, "");  // titles are not written back here

    EXPECT_EQ(request->server, "freedb.example:8880");
    EXPECT_EQ(request->serverPort, 8880);
    EXPECT_EQ(request->script, "/s.cgi");
    EXPECT_EQ(request->useProxy, 1);
    EXPECT_EQ(request->proxyPort, 3128);
    EXPECT_EQ(request->useProxyAuth, 0);  // a submission sends no credentials
    EXPECT_TRUE(request->proxyUser.empty());
    EXPECT_NE(request->body.find("Discid: 12025603\r\n"), std::string::npos);
    ASSERT_TRUE(request->cancelEvent && request->doneEvent);
    EXPECT_FALSE(request->cancelEvent->IsSet());
    EXPECT_TRUE(request->doneEvent->IsSet());
}

TEST(SubmitDisc, RefusalLeavesTheDiscAlone) {
    DiscInfo disc;
    disc.trackCount = 4;
    disc.album.Artist = "before";
    std::string message;
    SubmitForm form = Form();
    form.category.clear();
    EXPECT_FALSE(SubmitDisc(form, ExampleMsfToc(), ServerSettings(), disc, &message));
    EXPECT_EQ(message, "请输入 CD 的流派信息！");
    EXPECT_EQ(disc.album.Artist, "before");

    // 99 long titles would overflow the request body.
    form = Form();
    form.titles.assign(99, std::string(300, 'x'));
    EXPECT_FALSE(SubmitDisc(form, ExampleMsfToc(), ServerSettings(), disc, &message));
    EXPECT_NE(message.find("20479"), std::string::npos) << message;
    EXPECT_EQ(disc.album.Artist, "before");

    // A TOC that gives no disc id.
    std::array<std::uint8_t, kTocResponseSize> empty{};
    EXPECT_FALSE(SubmitDisc(Form(), empty, ServerSettings(), disc, &message));
    EXPECT_EQ(disc.album.Artist, "before");
}

TEST(SubmitForm, OpeningValuesFromTheDisc) {
    DiscInfo disc;
    disc.trackCount = 2;
    disc.album.Artist = "Art";
    disc.album.Album = "Alb";
    disc.album.GenreName = "Rock";
    disc.bRevision = 1;
    disc.Revision = 3;
    disc.tracks[1].Title = "Two";
    SubmitForm form = SubmitFormFromDisc(disc);
    EXPECT_EQ(form.category, "rock");
    EXPECT_EQ(form.revision, "4");
    EXPECT_EQ(form.titles, (std::vector<std::string>{"", "Two"}));
    disc.album.GenreName = "Pop";
    disc.bRevision = 0;
    form = SubmitFormFromDisc(disc);
    EXPECT_EQ(form.category, "");
    EXPECT_EQ(form.revision, "0");
}

TEST(SubmitForm, EmailPlausibility) {
    EXPECT_FALSE(IsPlausibleEmail(""));
    EXPECT_FALSE(IsPlausibleEmail(Settings{}.Email));  // the placeholder default
    EXPECT_FALSE(IsPlausibleEmail("me@localhost"));
    EXPECT_FALSE(IsPlausibleEmail("me.example.net"));
    EXPECT_TRUE(IsPlausibleEmail("me@example.net"));
}

}  // namespace
}  // namespace korvida

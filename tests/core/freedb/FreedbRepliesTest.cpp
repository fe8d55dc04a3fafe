#include <gtest/gtest.h>

#include <string>

#include "core/freedb/ApplyReadResult.h"
#include "core/freedb/FreedbReplies.h"
#include "core/freedb/FreedbText.h"

namespace korvida {
namespace {

std::string Http(const std::string& freedbText) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + freedbText;
}

// Query replies: how many matches each framing and code yields.
struct QueryCase {
    const char* name;
    std::string reply;
    int statusCode;  // -1: the reply is not framed, statusCode keeps its old value
    std::size_t matches;
};

class QueryReply : public ::testing::TestWithParam<QueryCase> {};

TEST_P(QueryReply, YieldsMatches) {
    const QueryCase& c = GetParam();
    FreedbRequest request;
    request.statusCode = -7;
    request.matches.push_back(FreedbMatch{"old", "", "", "", ""});
    ParseQueryReply(c.reply, request);
    if (c.statusCode == -1) {
        EXPECT_EQ(request.statusCode, -7);
        EXPECT_EQ(request.matches.size(), 1u);  // left as it was
    } else {
        EXPECT_EQ(request.statusCode, c.statusCode);
        EXPECT_EQ(request.matches.size(), c.matches);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Framing, QueryReply,
    ::testing::Values(
        QueryCase{"exact", Http("200 rock 12025603 A / B\r\n"), 200, 1},
        QueryCase{"threeInexact",
                  Http("211 Found inexact matches\r\nrock 1 A / B\r\njazz 1 C / D\r\nfolk 1 E / "
                       "F\r\n.\r\n"),
                  211, 3},
        QueryCase{"oneInexact", Http("211 Found\r\nrock 1 A / B\r\n.\r\n"), 211, 1},
        // From protocol level 4 exact matches come as a list, one line per category.
        QueryCase{"exactList",
                  Http("210 Found exact matches, list follows (until terminating `.')\r\n"
                       "misc c711930d A / B\r\nrock c711930d A / B\r\nblues c711930d A / "
                       "B\r\n.\r\n"),
                  210, 3},
        // Cut before its "." (a connection closed early): the complete lines stay.
        QueryCase{"exactListWithoutTerminator",
                  Http("210 Found exact matches\r\nmisc 1 A / B\r\nrock 1 A / B\r\n"), 210, 2},
        QueryCase{"exactListBlankLinesSkipped",
                  Http("210 Found\r\n\r\nmisc 1 A / B\r\n \r\nrock 1 A / B\r\n.\r\nfolk 1 "
                       "after the end\r\n"),
                  210, 2},
        QueryCase{"inexactWithoutTerminator", Http("211 Found\r\nrock 1 A / B\r\njazz 1 C"), 211,
                  2},
        QueryCase{"blankLinesAreNoMatches", Http("211 Found\r\n\r\nrock 1 A / B\r\n  \r\n.\r\n"),
                  211, 1},
        QueryCase{"noMatch", Http("202 No match for disc ID 12025603.\r\n"), 202, 0},
        QueryCase{"forbidden", Http("403 Database entry is corrupt.\r\n"), 403, 0},
        QueryCase{"serverError", Http("500 Command syntax error\r\n"), 500, 0},
        QueryCase{"lowerCaseHttpAndLeadingBlanks", "\r\n  http/1.1 200 OK\r\n\r\n200 rock 1 A / B",
                  200, 1},
        QueryCase{"notHttp", "200 rock 12025603 A / B\r\n", -1, 0},
        QueryCase{"noBlankLine", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n", -1, 0},
        QueryCase{"empty", "", -1, 0}, QueryCase{"exactWithoutLine", Http("200"), 200, 0},
        QueryCase{"garbageBody", Http("\x01\x02garbage"), 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueryReplyFields, ExactMatchSplitsCategoryIdArtistAndTitle) {
    FreedbRequest request;
    ParseQueryReply(Http("200 rock 7a0b5c09 Some Artist / Some Album\r\n"), request);
    ASSERT_EQ(request.matches.size(), 1u);
    const FreedbMatch& m = request.matches[0];
    EXPECT_EQ(m.line, "rock 7a0b5c09 Some Artist / Some Album");
    EXPECT_EQ(m.category, "rock");
    EXPECT_EQ(m.discId, "7a0b5c09");
    EXPECT_EQ(m.artist, "Some Artist");
    EXPECT_EQ(m.title, "Some Album");
}

// A refusal carries the server's own words to the error page; anything else none.
TEST(ServerError, IsTheStatusLineOfARefusal) {
    EXPECT_EQ(ServerErrorLine(Http("500 Unknown application, developer email for Korvida 3.0\r\n")),
              "500 Unknown application, developer email for Korvida 3.0");
    EXPECT_EQ(ServerErrorLine(Http("401 rock 12025603 No such CD entry in database.\r\n")),
              "401 rock 12025603 No such CD entry in database.");
    EXPECT_EQ(ServerErrorLine("HTTP/1.0 407 Proxy Authentication Required\r\nX: y\r\n\r\n"),
              "HTTP/1.0 407 Proxy Authentication Required");
    // The freedb code decides when there is one, whatever the HTTP status says.
    EXPECT_EQ(ServerErrorLine("HTTP/1.0 500 Oops\r\n\r\n202 No match\r\n"), "");
    for (const std::string& reply :
         {Http("202 No match for disc ID 12025603.\r\n"), Http("210 Found\r\n.\r\n"),
          Http("200 rock 1 A / B"), Http(""), std::string("500 Not framed\r\n"),
          std::string("HTTP/1.0 500 Oops\r\n")})
        EXPECT_EQ(ServerErrorLine(reply), "") << reply;

    // The parsers keep it per reply: a refusal does not outlive the next answer.
    FreedbRequest request;
    ParseQueryReply(Http("500 Unknown application\r\n"), request);
    EXPECT_EQ(request.serverError, "500 Unknown application");
    ParseReadReply(Http("210 rock 1 entry\r\nDTITLE=A / B\r\n.\r\n"), request);
    EXPECT_EQ(request.serverError, "");
}

TEST(QueryReplyFields, TitleWithoutUsableSlashFillsBoth) {
    FreedbMatch m = MakeFreedbMatch("misc 0a0b0c03 /Only Title  ");
    EXPECT_EQ(m.artist, "/Only Title");
    EXPECT_EQ(m.title, "/Only Title");
    m = MakeFreedbMatch("misc 0a0b0c03 No Slash");
    EXPECT_EQ(m.artist, "No Slash");
    EXPECT_EQ(m.title, "No Slash");
    m = MakeFreedbMatch("lonelyword");
    EXPECT_EQ(m.category, "lonelyword");
    EXPECT_EQ(m.discId, "");
    EXPECT_EQ(m.title, "");
}

TEST(QueryReplyFields, LongFieldsAreCutOnCharacterBoundaries) {
    std::string artist;
    for (int i = 0; i < 100; ++i)
        artist += "音";  // 300 bytes
    const FreedbMatch m = MakeFreedbMatch("rock " + std::string(40, 'f') + " " + artist + " / " +
                                          std::string(2000, 't'));
    EXPECT_EQ(m.discId.size(), 29u);
    EXPECT_EQ(m.artist.size(), 255u);  // 85 whole characters
    EXPECT_TRUE(IsValidUtf8(m.artist));
    EXPECT_EQ(m.title.size(), 255u);
    EXPECT_EQ(m.line.size(), 1023u);
}

// A read reply around the given xmcd lines.
std::string ReadReply(const std::string& lines, const std::string& category = "rock") {
    return Http("210 " + category + " 12025603 CD database entry follows\r\n" + lines + ".\r\n");
}

FreedbRequest ParseRead(const std::string& reply) {
    FreedbRequest request;
    ParseReadReply(reply, request);
    return request;
}

TEST(ReadReply, SplitTitleLinesAreJoinedWithoutSeparator) {
    const FreedbRequest r = ParseRead(
        ReadReply("DTITLE=A / B\r\nTTITLE0=x\r\nTTITLE3=Part one\r\nTTITLE3= and two\r\n"));
    ASSERT_EQ(r.readResult.titles.size(), 4u);
    EXPECT_EQ(r.readResult.titles[3].title, "Part oneand two");
    EXPECT_EQ(r.readResult.titles[3].index, 3);
}

TEST(ReadReply, MissingIndexesGiveEmptyTitles) {
    const FreedbRequest r =
        ParseRead(ReadReply("TTITLE0=a\r\nTTITLE1=b\r\nTTITLE4=e\r\nEXTT2=ignored\r\n"));
    ASSERT_EQ(r.readResult.titles.size(), 5u);
    EXPECT_EQ(r.readResult.titles[2].title, "");
    EXPECT_EQ(r.readResult.titles[3].title, "");
    EXPECT_EQ(r.readResult.titles[4].title, "e");
    EXPECT_FALSE(r.readResult.hasDiscTitle);
    EXPECT_EQ(r.readResult.category, "rock");
}

TEST(ReadReply, RevisionLineSetsRevisionAndItsAbsenceClearsTheFlag) {
    FreedbRequest r = ParseRead(ReadReply("# xmcd\r\n# Revision: 5\r\nDTITLE=A / B\r\n"));
    EXPECT_EQ(r.revision, 5);
    EXPECT_EQ(r.hasRevision, 1);
    r.hasRevision = 1;
    ParseReadReply(ReadReply("# xmcd\r\nDTITLE=A / B\r\n"), r);
    EXPECT_EQ(r.hasRevision, 0);
    // Values past the 16 bits of the completion message saturate instead of wrapping.
    EXPECT_EQ(ParseRead(ReadReply("# Revision: 70000\r\n")).revision, 0xFFFF);
    EXPECT_EQ(ParseRead(ReadReply("# Revision: -3\r\n")).revision, 0);
    EXPECT_EQ(ParseRead(ReadReply("# Revision: none\r\n")).hasRevision, 0);
}

TEST(ReadReply, OnlyCode210IsRead) {
    for (const char* text : {"401 rock 12025603 No such CD entry in database.\r\n",
                             "403 Database entry is corrupt.\r\n", "202 No match\r\n"}) {
        const FreedbRequest r = ParseRead(Http(text));
        EXPECT_TRUE(r.readResult.empty()) << text;
        EXPECT_EQ(r.hasRevision, 0);
    }
}

TEST(ReadReply, DiscTitleContinuationsAreJoined) {
    const FreedbRequest r = ParseRead(ReadReply("DTITLE=Long Artist / Long\r\nDTITLE= Album\r\n"));
    EXPECT_TRUE(r.readResult.hasDiscTitle);
    EXPECT_EQ(r.readResult.discTitle, "Long Artist / LongAlbum");
    EXPECT_TRUE(r.readResult.titles.empty());  // no made-up title 0 without TTITLE lines
}

TEST(ReadReply, HostileEntriesStayBounded) {
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += "TTITLE" + std::to_string(i) + "=t\r\n";
    lines += "TTITLE-1=negative\r\nTTITLE99999999999999999999=huge\r\nTTITLEx=no index\r\n";
    lines += "TTITLE5=" + std::string(5000, 'x') + "\r\n";
    const FreedbRequest r = ParseRead(ReadReply(lines));
    ASSERT_EQ(r.readResult.titles.size(), 100u);  // indexes past 99 are dropped
    EXPECT_EQ(r.readResult.titles[5].title.size(), 255u);
    EXPECT_EQ(r.readResult.titles[99].title, "t");
}

TEST(ReadReply, ControlBytesAndBareLineFeedsNeverReachATitle) {
    // The last title makes the reply Latin-1 (0x85 cannot start a GB18030 character before
    // a line end): it decodes to U+0085, a control character too.
    const std::string lines =
        std::string("TTITLE0=a\0b\tc\r\n", 15) + "TTITLE1=one\nTTITLE2=two\r\nTTITLE3=x\x85\r\n";
    const FreedbRequest r = ParseRead(ReadReply(lines));
    ASSERT_EQ(r.readResult.titles.size(), 4u);
    EXPECT_EQ(r.readResult.titles[0].title, "a b c");
    EXPECT_EQ(r.readResult.titles[1].title, "one");
    EXPECT_EQ(r.readResult.titles[2].title, "two");
    EXPECT_EQ(r.readResult.titles[3].title, "x ");
}

TEST(ReadReply, ReplyCutMidLineKeepsWhatArrived) {
    std::string reply = ReadReply("DTITLE=A / B\r\nTTITLE0=月光\r\nTTITLE1=晚风\r\n");
    reply.resize(reply.find("晚风") + 4);  // ends inside the second character
    const FreedbRequest r = ParseRead(reply);
    ASSERT_EQ(r.readResult.titles.size(), 2u);
    EXPECT_EQ(r.readResult.titles[0].title, "月光");  // the cut did not change the charset
    EXPECT_EQ(r.readResult.titles[1].title, "晚");    // only the cut character is lost
}

// Charsets: one decision per reply.
struct CharsetCase {
    const char* name;
    std::string dtitle;  // raw bytes of the DTITLE value
    std::string title;   // raw bytes of TTITLE0
    std::string expectedDtitle;
    std::string expectedTitle;
};

class ReadReplyCharset : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(ReadReplyCharset, DecodesToUtf8) {
    const CharsetCase& c = GetParam();
    const FreedbRequest r =
        ParseRead(ReadReply("DTITLE=" + c.dtitle + "\r\nTTITLE0=" + c.title + "\r\n"));
    EXPECT_EQ(r.readResult.discTitle, c.expectedDtitle);
    ASSERT_EQ(r.readResult.titles.size(), 1u);
    EXPECT_EQ(r.readResult.titles[0].title, c.expectedTitle);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReadReplyCharset,
    ::testing::Values(
        CharsetCase{"utf8", "歌手 / 专辑", "月光", "歌手 / 专辑", "月光"},
        // GBK: 歌手 = B8 E8 CA D6, 月光 = D4 C2 B9 E2
        CharsetCase{"gbk", "\xB8\xE8\xCA\xD6 / x", "\xD4\xC2\xB9\xE2", "歌手 / x", "月光"},
        // "Forår" alone would pass for GB18030; the DTITLE line decides for Latin-1.
        CharsetCase{"latin1", "Caf\xE9 Noir / \xC6r\xF8", "For\xE5r", "Café Noir / Ærø", "Forår"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ApplyRead, DiscTitleTitlesAndRevisionReachTheDisc) {
    DiscInfo disc;
    disc.trackCount = 3;
    disc.tracks[0].Title = "音轨 1";
    FreedbRequest r = ParseRead(ReadReply(
        "# Revision: 5\r\nDTITLE= Some Artist / Some Album \r\nTTITLE0=One\r\nTTITLE3=Four\r\n"));
    ASSERT_TRUE(
        ApplyReadResult(r.readResult, std::uint32_t{r.revision} << 16 | r.hasRevision, disc));
    EXPECT_EQ(disc.Revision, 5);
    EXPECT_EQ(disc.bRevision, 1);
    EXPECT_EQ(disc.album.Title, "Some Album");
    EXPECT_EQ(disc.album.Artist, "Some Artist");
    EXPECT_EQ(disc.album.GenreName, "rock");
    EXPECT_EQ(disc.tracks[0].Title, "One");
    EXPECT_EQ(disc.tracks[2].Artist, "Some Artist");
    EXPECT_EQ(disc.tracks[2].GenreName, "rock");
    EXPECT_EQ(disc.tracks[3].Title, "");  // index 3 has no row on a three-track disc
    EXPECT_TRUE(r.readResult.empty());    // consumed

    // A slash at the start is no separator.
    r = ParseRead(ReadReply("DTITLE=/Album\r\n"));
    ASSERT_TRUE(ApplyReadResult(r.readResult, 0, disc));
    EXPECT_EQ(disc.album.Artist, "/Album");
    EXPECT_EQ(disc.album.Album, "/Album");
}

// A refusal, and a 210 entry that holds no title at all (only its end, or comments):
// nothing to apply, so the first track keeps its title.
TEST(ApplyRead, EmptyResultOnlySetsTheRevisionCounters) {
    for (const std::string& reply : {Http("401 rock 1 No such CD entry\r\n"), ReadReply(""),
                                     ReadReply("# xmcd\r\n# Revision: 3\r\nDISCID=12025603\r\n")}) {
        DiscInfo disc;
        disc.trackCount = 1;
        disc.Revision = 9;
        disc.bRevision = 1;
        disc.album.Artist = "kept";
        disc.tracks[0].Title = "mine";
        FreedbRequest r = ParseRead(reply);
        EXPECT_FALSE(
            ApplyReadResult(r.readResult, std::uint32_t{r.revision} << 16 | r.hasRevision, disc))
            << reply;
        EXPECT_EQ(disc.Revision, r.revision);
        EXPECT_EQ(disc.bRevision, r.hasRevision);
        EXPECT_EQ(disc.album.Artist, "kept");
        EXPECT_EQ(disc.tracks[0].Title, "mine");
    }
}

TEST(ApplyRead, ReplyWithoutDiscTitleKeepsArtistAndAlbum) {
    DiscInfo disc;
    disc.trackCount = 2;
    disc.album.Artist = "Mine";
    disc.album.Album = "My Album";
    FreedbRequest r = ParseRead(ReadReply("TTITLE0=New\r\n", "jazz"));
    ASSERT_TRUE(ApplyReadResult(r.readResult, 0, disc));
    EXPECT_EQ(disc.album.Artist, "Mine");
    EXPECT_EQ(disc.album.Album, "My Album");
    EXPECT_EQ(disc.album.GenreName, "jazz");
    EXPECT_EQ(disc.tracks[0].Title, "New");
}

}  // namespace
}  // namespace korvida

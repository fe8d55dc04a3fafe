#include <gtest/gtest.h>

#include <filesystem>

#include "support/RunCli.h"
#include "support/SharedDemoDisc.h"
#include "support/TempHome.h"
#include "support/freedb/FreedbTestServer.h"

namespace korvida {
namespace {

// The demo disc's entry (freedb id 0b004103) in a database of its own.
constexpr char kDemoEntry[] =
    "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t1725\n#\t3000\n#\n"
    "# Disc length: 67 seconds\n#\n# Revision: 2\n#\n"
    "DISCID=0b004103\nDTITLE=Demo Artist / 演示专辑\nDYEAR=2026\nDGENRE=Rock\n"
    "TTITLE0=First\nTTITLE1=第二首\nTTITLE2=Third\nEXTD=\nEXTT0=\nEXTT1=\nEXTT2=\nPLAYORDER=\n";

class FreedbCommands : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "freedb/rock");
        test::WriteFile(home / "freedb/rock/0b004103", kDemoEntry);
        cue = test::SharedDemoDisc();
    }
    test::TempHome home;
    std::string cue;
};

TEST_F(FreedbCommands, QueryAppliesTheEntryAndStoresIt) {
    test::FreedbTestServer server(home / "freedb");
    const auto r =
        test::RunCli({"--image", cue, "query", "--server", server.address(), "--pick", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Demo Artist / 演示专辑\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("02\t第二首\n"), std::string::npos) << r.out;
    EXPECT_NE(test::ReadFile(home / "db/14004103.db").find("02=第二首"), std::string::npos);
    // The next load finds the titles offline.
    const auto toc = test::RunCli({"--image", cue, "toc"});
    EXPECT_NE(toc.out.find("03\tThird\t"), std::string::npos) << toc.out;
}

// The disc in two categories: jazz holds the entry, rock an entry without any title.
// Reading the empty one is no match and keeps the stored title; a pick past the list
// reads nothing.
TEST_F(FreedbCommands, NothingIsAppliedFromAnEmptyEntryOrAPickPastTheList) {
    std::filesystem::create_directories(home / "freedb/jazz");
    test::WriteFile(home / "freedb/jazz/0b004103", kDemoEntry);
    test::WriteFile(home / "freedb/rock/0b004103", "# xmcd\n");
    ASSERT_EQ(test::RunCli({"--image", cue, "info", "--track", "1", "--set", "Title=Mine"}).status,
              0);
    test::FreedbTestServer server(home / "freedb");

    auto r = test::RunCli({"--image", cue, "query", "--server", server.address(), "--pick", "2"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.err.find("未发现相匹配的唱片"), std::string::npos) << r.err;
    EXPECT_NE(test::ReadFile(home / "db/14004103.db").find("01=Mine"), std::string::npos);

    r = test::RunCli({"--image", cue, "query", "--server", server.address(), "--pick", "3"});
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.out.find("2\trock\t0b004103"), std::string::npos) << r.out;  // the list
    EXPECT_EQ(server.Requests().size(), 3u);  // two queries, one read
    EXPECT_NE(test::ReadFile(home / "db/14004103.db").find("01=Mine"), std::string::npos);
}

TEST_F(FreedbCommands, ServerFailuresAndBadOptionsEndClearly) {
    test::FreedbTestServer server(home / "freedb");
    server.SetMode(test::FreedbTestServer::Mode::kCloseAtOnce);
    auto r = test::RunCli({"--image", cue, "query", "--server", server.address()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    // A server that does not know our client name says so, and that is what we print.
    const std::string refusal = "500 Unknown application, developer email for Korvida 3.0";
    server.SetCannedReply("HTTP/1.0 200 OK\r\n\r\n" + refusal + "\r\n");
    r = test::RunCli({"--image", cue, "query", "--server", server.address()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(refusal + "\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("未发现相匹配的唱片"), std::string::npos) << r.err;
    r = test::RunCli({"--image", cue, "query", "--proxy", "nohostport:0"});
    EXPECT_EQ(r.status, 2);
    r = test::RunCli({"--image", cue, "submit", "--pick", "1"});
    EXPECT_EQ(r.status, 2);
    // The placeholder e-mail address is refused before anything is sent.
    r = test::RunCli({"--image", cue, "submit", "--server", server.address()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(server.Connections(), 2);
}

// A submission accepted by the server is remembered, so the next one carries a higher
// revision.
TEST_F(FreedbCommands, AcceptedSubmissionRaisesTheNextRevision) {
    test::FreedbTestServer server(home / "freedb");
    ASSERT_EQ(test::RunCli({"settings", "--set", "CDDB.Email=me@example.org"}).status, 0);
    ASSERT_EQ(test::RunCli({"--image", cue, "info", "--album", "--set", "Artist=A", "Album=B",
                            "GenreName=rock"})
                  .status,
              0);
    for (const char* track : {"1", "2", "3"})
        ASSERT_EQ(
            test::RunCli({"--image", cue, "info", "--track", track, "--set", "Title=T"}).status, 0);
    for (int run = 0; run < 2; ++run) {
        const auto r = test::RunCli({"--image", cue, "submit", "--server", server.address()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "200 OK, submission has been sent.\n");  // the server's answer
    }
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].find("# Revision: 0\r\n"), std::string::npos) << requests[0];
    EXPECT_NE(requests[1].find("# Revision: 1\r\n"), std::string::npos) << requests[1];
}

// A proxy named on the command line gets the stored proxy credentials only when it is the
// stored proxy.
TEST_F(FreedbCommands, StoredProxyCredentialsGoOnlyToTheStoredProxy) {
    test::FreedbTestServer proxy(home / "freedb");
    const std::string port = proxy.address().substr(proxy.address().rfind(':') + 1);
    for (const char* stored : {"proxy.example", "127.0.0.1"}) {
        auto r = test::RunCli({"settings", "--set", "CDDB.ProxyAuthorization=1",
                               "CDDB.ProxyUsername=user", "CDDB.ProxyPassword=secret",
                               std::string("CDDB.ProxyServer=") + stored});
        ASSERT_EQ(r.status, 0) << r.err;
        r = test::RunCli({"--image", cue, "query", "--server", "freedb.example", "--proxy",
                          "127.0.0.1:" + port});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    const std::vector<std::string> requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 4u);  // a query and a read per run
    EXPECT_EQ(requests[0].find("Proxy-Authorization"), std::string::npos) << requests[0];
    EXPECT_EQ(requests[1].find("Proxy-Authorization"), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("Proxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n"),
              std::string::npos)
        << requests[2];
}

}  // namespace
}  // namespace korvida

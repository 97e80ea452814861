// The ranking client against servers on loopback: a scripted one for the replies a real server would not
// give, and the ranking server itself for the round trip of a name.
#include "net/RankingClient.h"
#include "CRankingServer.h"
#include "ScratchFolder.h"
#include "SyntheticReplay.h"
#include "net/CCurlWrapper.h"
#include "net/CScriptedHttpServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string fListLine(const std::string& name, int score, const std::string& id, const std::string& date) {
    return name + "?" + std::to_string(score) + "?" + id + "?" + date + "\n";
}

// A loopback port nothing listens on.
int fClosedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

std::vector<int> fRanks(const std::vector<SRankingData>& entries) {
    std::vector<int> ranks;
    for (const SRankingData& e : entries) {
        ranks.push_back(e.rank);
    }
    return ranks;
}

} // namespace

TEST(RankingClient, ListIsParsedRankedSortedAndPaged) {
    std::string reply;
    // Eleven entries in no order; two share 800. A line of three fields and one with a score that is no
    // number are skipped.
    const int scores[11] = {700, 800, 150, 900, 800, 300, 600, 100, 500, 400, 200};
    for (int i = 0; i < 11; ++i) {
        reply += fListLine("p" + std::to_string(i), scores[i], "id" + std::to_string(i),
                           "2024/05/" + std::to_string(10 + i) + " 12:00:00");
    }
    reply += "three?1?fields\n";
    reply += "bad?12x?idx?2024/01/01 00:00:00\n";
    reply += "big?2147483648?idy?2024/01/01 00:00:00\n";
    CScriptedHttpServer server([&](const auto&) { return CScriptedHttpServer::SReply{200, reply}; });
    ASSERT_TRUE(fSetRankingServer(server.fAddress()));

    SRankingListResult list = fFetchRankingList();
    ASSERT_TRUE(list.ok) << list.notice;
    ASSERT_EQ(list.entries.size(), 11u);
    EXPECT_EQ(server.fSeen().at(0).target, "/cgi-bin/tavoni103/ranking.cgi?GetRankingList");
    EXPECT_EQ(fRanks(list.entries), (std::vector<int>{1, 2, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(list.entries[1].name, "p1"); // equal scores keep the reply's order
    EXPECT_EQ(list.entries[2].name, "p4");
    EXPECT_EQ(list.entries[0].registeredAt, "2024/05/13 12:00:00");

    // Two pages; the second holds one row, entry 10.
    EXPECT_EQ(fRankingLastPage(list.entries.size()), 1);
    EXPECT_EQ(fRankingPageFirst(1), 10u);
    EXPECT_EQ(fRankingPageEnd(list.entries.size(), 1), 11u);
    EXPECT_EQ(list.entries[10].score, 100);

    // By date the latest comes first and every entry keeps its place by score.
    fSortByDate(list.entries);
    EXPECT_EQ(list.entries.front().name, "p10");
    EXPECT_EQ(list.entries.front().rank, 9); // its score, 200, is ninth
    EXPECT_EQ(list.entries[6].name, "p4");
    EXPECT_EQ(list.entries[6].rank, 2);
    fSortByScore(list.entries);
    EXPECT_EQ(fRanks(list.entries), (std::vector<int>{1, 2, 2, 4, 5, 6, 7, 8, 9, 10, 11}));

    // Rows whose ids are no file names keep their places (only their downloads are refused), so the ranks
    // below them stay true.
    reply.clear();
    const char* ids[] = {"../x", "ok", "a/b", "", ".hidden"};
    for (int i = 0; i < 5; ++i) {
        reply += fListLine("n" + std::to_string(i), 900 - 100 * i, ids[i], "2024/01/01 00:00:00");
    }
    list = fFetchRankingList();
    ASSERT_TRUE(list.ok) << list.notice;
    ASSERT_EQ(list.entries.size(), 5u);
    EXPECT_EQ(fRanks(list.entries), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(list.entries[2].name, "n2");
    EXPECT_EQ(list.entries[2].score, 700);
    EXPECT_EQ(list.entries[2].replayId, "a/b");

    // A first line of three fields means "no entries", even with good lines after it.
    reply = "a?1?b\n" + fListLine("p", 5, "id", "2024/01/01 00:00:00");
    list = fFetchRankingList();
    EXPECT_FALSE(list.ok);
    EXPECT_EQ(list.notice, kNoticeNoRankingData);
    reply = "\n";
    EXPECT_EQ(fFetchRankingList().notice, kNoticeNoRankingData);
}

TEST(RankingClient, CompetitionRanksShareAPlaceAndSkipTheNext) {
    std::vector<SRankingData> entries(5);
    const int scores[5] = {800, 700, 2147483647, 900, 800};
    for (int i = 0; i < 5; ++i) {
        entries[i].score = scores[i];
    }
    fAssignCompetitionRanks(entries);
    // The highest possible score is a first place too.
    EXPECT_EQ(fRanks(entries), (std::vector<int>{1, 2, 3, 3, 5}));
}

TEST(RankingClient, UploadReplyRule) {
    const struct {
        const char* reply;
        bool ok;
        int rank;
    } cases[] = {
        {"UploadSuccess?3", true, 3},
        {"UploadSuccess?12\n", true, 12},
        {"UploadSuccess?2147483647", true, 2147483647},
        {"UploadSuccess?0", false, 0},
        {"UploadSuccess?-1", false, 0},
        {"UploadSuccess?+1", false, 0},
        {"UploadSuccess?2147483648", false, 0},
        {"UploadSuccess?3x", false, 0},
        {"UploadSuccess?", false, 0},
        {"UploadSuccess", false, 0},
        {"UploadSuccess?3?4", false, 0},
        {"UploadFailed?3", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        const SUploadResult result = fParseUploadReply(c.reply);
        EXPECT_EQ(result.ok, c.ok) << c.reply;
        EXPECT_EQ(result.rank, c.rank) << c.reply;
    }
}

TEST(RankingClient, ServerAddressAndUrls) {
    for (const char* good : {"localhost", "example.org:8103", "127.0.0.1:1", "[::1]:65535", "[::1]"}) {
        EXPECT_TRUE(fIsValidServerAddress(good)) << good;
    }
    for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:80x", "a/b", "http://x", "h st",
                            "[::1", "[::1]x", "host?x"}) {
        EXPECT_FALSE(fIsValidServerAddress(bad)) << bad;
    }
    EXPECT_FALSE(fSetRankingServer("a/b"));
    ASSERT_TRUE(fSetRankingServer("example.org:81"));
    EXPECT_EQ(fGetRankingServer(), "example.org:81");
    EXPECT_EQ(fUploadRankingUrl("h:1", "A-b_c.~ %&#/?", 42),
              "http://h:1/cgi-bin/tavoni103/ranking.cgi?UploadRanking?A-b_c.~%20%25%26%23%2F%3F?42");
    EXPECT_EQ(fDownloadReplayUrl("h", "x.y"), "http://h/cgi-bin/tavoni103/ranking.cgi?DownloadReplay?x.y");
}

TEST(RankingClient, PostSendsTheFileAndReturnsTheWholeReplyOrNothing) {
    CScratchFolder scratch;
    CScriptedHttpServer server([](const CScriptedHttpServer::SSeen& seen) {
        if (seen.target.ends_with("?huge")) {
            return CScriptedHttpServer::SReply{200, {}, CCurlWrapper::kMaxReplyBytes + 1};
        }
        if (seen.target.ends_with("?error")) {
            return CScriptedHttpServer::SReply{500, "oops\n"};
        }
        return CScriptedHttpServer::SReply{200, "line 1\nline 2\n"};
    });
    const std::string base = "http://" + server.fAddress() + "/x";
    const std::string body("\x00\x01?\n\xff", 5);
    fWriteBytes(scratch.file("body"), std::vector<unsigned char>(body.begin(), body.end()));

    EXPECT_EQ(CCurlWrapper::fPost(base + "?a?b", scratch.file("body")), "line 1\nline 2\n");
    EXPECT_EQ(CCurlWrapper::fPost(base, scratch.file("missing")), "line 1\nline 2\n");
    EXPECT_EQ(CCurlWrapper::fPost(base + "?error", scratch.file("body")), "");
    EXPECT_EQ(CCurlWrapper::fPost(base + "?huge", scratch.file("body")), "");
    const auto seen = server.fSeen();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].target, "/x?a?b");
    EXPECT_EQ(seen[0].body, body);
    EXPECT_EQ(seen[1].body, "");
    EXPECT_FALSE(fs::exists("out.txt"));
}

TEST(RankingClient, NoServerIsAConnectionFailure) {
    CScratchFolder scratch;
    CWorkingDirectoryGuard cwd(scratch.path());
    ASSERT_TRUE(fSetRankingServer("127.0.0.1:" + std::to_string(fClosedPort())));
    const SRankingListResult list = fFetchRankingList();
    EXPECT_FALSE(list.ok);
    EXPECT_EQ(list.notice, kNoticeConnectionFailed);
    EXPECT_FALSE(fUploadRanking(100, "name").ok);
    const SDownloadResult download = fDownloadReplay("abc");
    EXPECT_FALSE(download.ok);
    EXPECT_EQ(download.notice, kNoticeConnectionFailed);
    EXPECT_TRUE(fs::is_empty(scratch.path()));
}

TEST(RankingClient, DownloadKeepsOnlyCheckedReplaysUnderSafeNames) {
    CScratchFolder scratch;
    const std::string replay = fMakeSyntheticReplay(scratch.path() / "make", 3, 5);
    CWorkingDirectoryGuard cwd(scratch.path());
    fs::create_directories("downloaded_replay");
    CScriptedHttpServer server([&](const CScriptedHttpServer::SSeen& seen) {
        if (seen.target.ends_with("?good")) {
            return CScriptedHttpServer::SReply{200, replay};
        }
        if (seen.target.ends_with("?cut")) {
            return CScriptedHttpServer::SReply{200, replay.substr(0, replay.size() / 2)};
        }
        return CScriptedHttpServer::SReply{200, "<html>not a replay</html>"};
    });
    ASSERT_TRUE(fSetRankingServer(server.fAddress()));

    for (const std::string& id :
         std::vector<std::string>{"../x", "a/b", "", std::string(65, 'a'), ".x", "a\\b", "a?b"}) {
        const SDownloadResult result = fDownloadReplay(id);
        EXPECT_FALSE(result.ok) << id;
        EXPECT_EQ(result.notice, kNoticeDownloadFailed) << id;
    }
    EXPECT_TRUE(server.fSeen().empty());

    for (const char* id : {"cut", "html"}) {
        const SDownloadResult result = fDownloadReplay(id);
        EXPECT_FALSE(result.ok) << id;
        EXPECT_EQ(result.notice, kNoticeDownloadFailed) << id;
    }
    EXPECT_TRUE(fs::is_empty("downloaded_replay"));

    const SDownloadResult good = fDownloadReplay("good");
    ASSERT_TRUE(good.ok) << good.notice;
    EXPECT_EQ(good.path, "downloaded_replay/good");
    const std::vector<unsigned char> kept = fReadBytes(good.path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), replay);
    const std::size_t requests = server.fSeen().size();
    EXPECT_TRUE(fDownloadReplay("good").ok); // kept files are reused
    EXPECT_EQ(server.fSeen().size(), requests);
    EXPECT_EQ(std::distance(fs::directory_iterator("downloaded_replay"), fs::directory_iterator()), 1);
}

TEST(RankingClient, UploadedNameArrivesIntactAtTheRankingServer) {
    CScratchFolder scratch;
    const std::string replay = fMakeSyntheticReplay(scratch.path() / "game", 2, 9);
    SServerOptions options;
    options.dataFolder = scratch.path() / "server";
    options.game = fWriteFakeGame(scratch.path() / "accept.sh", "exit 0");
    options.sandbox = ESandboxMode::Off; // a shell script needs what the sandbox hides
    options.gameData = TAVONI_SOURCE_DIR;
    options.front.bindAddress = "127.0.0.1";
    options.front.port = 0;
    CRankingServer server(options);
    ASSERT_TRUE(fSetRankingServer("127.0.0.1:" + std::to_string(server.fPort())));

    CWorkingDirectoryGuard cwd(scratch.path() / "game");
    fs::create_directories("dat/replay");
    fWriteBytes(kPackedReplayPath, std::vector<unsigned char>(replay.begin(), replay.end()));
    const std::string name = "a%b&c#d/e+f";
    const SUploadResult upload = fUploadRanking(1234, name);
    ASSERT_TRUE(upload.ok);
    EXPECT_EQ(upload.rank, 1);
    const SRankingListResult list = fFetchRankingList();
    ASSERT_TRUE(list.ok) << list.notice;
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].name, name);
    EXPECT_EQ(list.entries[0].score, 1234);
    const SDownloadResult download = fDownloadReplay(list.entries[0].replayId);
    ASSERT_TRUE(download.ok) << download.notice;
    const std::vector<unsigned char> kept = fReadBytes(download.path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), replay);
}

// The ranking server from outside, over HTTP: the game's three requests, the checks that keep forged or
// broken uploads out, requests it must refuse, and uploads arriving at once.
#include "ReplayDigest.h"
#include "ReplayDownloadName.h"
#include "ServerTestSupport.h"
#include "base/FieldText.h"

#include <algorithm>
#include <functional>
#include <map>
#include <sqlite3.h>
#include <thread>

using namespace servertest;

class RankingServer : public CStoreTest {};
TAVONI_ON_BOTH_STORES(RankingServer);

namespace {

std::size_t fFileCount(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST_P(RankingServer, RealReplayIsCheckedStoredOnceListedAndDownloaded) {
    const SRealReplay real = fPlayRealReplay();
    ASSERT_GT(real.score, 0);
    CTempFolder temp;
    CRankingServer server(fTestOptions(temp.fPath() / "data"));
    const int port = server.fPort();
    const fs::path replays = temp.fPath() / "data" / "replays";

    const SHttpReply empty = fHttp("POST", fScriptUrl(port, "GetRankingList"));
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.body, "\n");

    // A forged score, a damaged replay: refused, nothing stored.
    const SHttpReply forged =
        fHttp("POST", fScriptUrl(port, "UploadRanking?cheat?" + std::to_string(real.score + 10)), real.bytes);
    EXPECT_TRUE(forged.body.starts_with("UploadFailed?")) << forged.body;
    EXPECT_EQ(forged.status, 422);
    const SHttpReply damaged =
        fHttp("POST", fScriptUrl(port, "UploadRanking?cut?" + std::to_string(real.score)),
              real.bytes.substr(0, real.bytes.size() - 30));
    EXPECT_TRUE(damaged.body.starts_with("UploadFailed?not a replay")) << damaged.body;
    EXPECT_EQ(fHttp("GET", fScriptUrl(port, "GetRankingList")).body, "\n");
    if (fOnSqlite()) {
        EXPECT_EQ(fFileCount(replays), 0u);
    }

    const SHttpReply upload =
        fHttp("POST", fScriptUrl(port, "UploadRanking?Pelka?" + std::to_string(real.score)), real.bytes);
    EXPECT_EQ(upload.body, "UploadSuccess?1");
    // The same replay again under the same name (a retry after a lost reply): the entry that holds it
    // answers. Under another name it is refused, naming the name it is registered under.
    const SHttpReply again =
        fHttp("POST", fScriptUrl(port, "UploadRanking?Pelka?" + std::to_string(real.score)), real.bytes);
    EXPECT_EQ(again.body, "UploadSuccess?1");
    const SHttpReply renamed =
        fHttp("POST", fScriptUrl(port, "UploadRanking?Tosca?" + std::to_string(real.score)), real.bytes);
    EXPECT_EQ(renamed.status, 422);
    EXPECT_EQ(renamed.body, "UploadFailed?this replay is registered under the name \"Pelka\"");
    // A stored replay under another score is refused from its entry, without a check.
    const SHttpReply other =
        fHttp("POST", fScriptUrl(port, "UploadRanking?Tosca?" + std::to_string(real.score + 1)), real.bytes);
    EXPECT_EQ(other.status, 422);
    EXPECT_EQ(other.body, "UploadFailed?this replay is registered with another score");
    if (fOnSqlite()) {
        EXPECT_EQ(fFileCount(replays), 1u);
    }

    const std::vector<std::string> lines = fLines(fHttp("POST", fScriptUrl(port, "GetRankingList")).body);
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(
        std::regex_match(lines[0], m,
                         std::regex("Pelka\\?([0-9]+)\\?([0-9a-f]{32})\\?"
                                    "20[0-9]{2}/[01][0-9]/[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
        << lines[0];
    EXPECT_EQ(std::stoi(m[1]), real.score);
    const SHttpReply download = fHttp("POST", fScriptUrl(port, "DownloadReplay?" + m[2].str()));
    EXPECT_EQ(download.status, 200);
    EXPECT_TRUE(download.body == real.bytes);
    // The entry names the version of the game that checked it.
    const std::string json = fHttp("GET", "http://127.0.0.1:" + std::to_string(port) + "/api/ranking").body;
    EXPECT_NE(json.find("\"version\":\"" TAVONI_VERSION "\""), std::string::npos) << json;
    // With what its check saw of the run, and soon the picture of its result screen, painted by the game.
    std::smatch run;
    ASSERT_TRUE(
        std::regex_search(json, run, std::regex("\"frames\":([0-9]+),\"dishes\":[0-9]+,\"kills\":([0-9]+),")))
        << json;
    EXPECT_GT(std::stoi(run[1]), 7000);
    EXPECT_GT(std::stoi(run[2]), 0);
    const std::string picture =
        "http://127.0.0.1:" + std::to_string(port) + "/entry/" + m[2].str() + "/result.png";
    SHttpReply painted;
    for (int i = 0; i < 1200 && painted.status != 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        painted = fHttp("GET", picture);
    }
    ASSERT_EQ(painted.status, 200);
    std::ofstream(temp.fPath() / "painted.png", std::ios::binary) << painted.body;
    EXPECT_EQ(fPngSize(temp.fPath() / "painted.png"), std::make_pair(640, 480));
    // The checks' scratch folders are elsewhere, and gone.
    EXPECT_FALSE(fs::exists(temp.fPath() / "data" / "checks"));
}

TEST_P(RankingServer, CheckerThatCrashesOrHangsRefusesTheUploadAndTheServerGoesOn) {
    CTempFolder temp;
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 10, 1);
    const struct {
        const char* game;
        const char* reason;
    } cases[] = {
        {"kill -SEGV $$", "UploadFailed?the game crashed on the replay (signal 11)"},
        {"exec sleep 60", "UploadFailed?the replay took longer than 1 s to check"},
        {"exit 2", "UploadFailed?the game refused the replay"},
    };
    for (const auto& c : cases) {
        CTempFolder data;
        SServerOptions options = fTestOptions(data.fPath(), fWriteFakeGame(data.fPath() / "game.sh", c.game));
        options.checkSeconds = 1;
        CRankingServer server(options);
        const SHttpReply reply = fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?x?10"), replay);
        EXPECT_EQ(reply.body, c.reason) << c.game;
        const SHttpReply list = fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList"));
        EXPECT_EQ(list.status, 200) << c.game;
        EXPECT_EQ(list.body, "\n") << c.game;
        if (fOnSqlite()) {
            EXPECT_EQ(fFileCount(data.fPath() / "replays"), 0u) << c.game;
        }
    }
}

TEST_P(RankingServer, BadRequestsGetAClearRefusal) {
    CTempFolder temp;
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 10, 2);
    CRankingServer server(
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    const std::string script = base + "/cgi-bin/tavoni103/ranking.cgi?";
    const std::string tooLarge(8 * 1024 * 1024 + 1, 'x');
    const struct {
        const char* method;
        std::string url;
        const std::string& body;
        long status;
    } cases[] = {
        {"POST", script + "DeleteRanking", replay, 400},
        {"POST", script + "GetRankingList?x", replay, 400},
        {"POST", script + "UploadRanking?x", replay, 400},
        {"POST", script + "UploadRanking?thirteen_char?10", replay, 400},
        {"POST", script + "UploadRanking?a%0Ab?10", replay, 400},
        {"POST", script + "UploadRanking?a%3Fb?10", replay, 400},
        {"POST", script + "UploadRanking?a%zzb?10", replay, 400},
        {"POST", script + "UploadRanking?a?-1", replay, 400},
        {"POST", script + "UploadRanking?a?0", replay, 400},
        {"POST", script + "UploadRanking?a?2147483648", replay, 400},
        {"POST", script + "UploadRanking?a?1e3", replay, 400},
        {"GET", script + "UploadRanking?a?10", replay, 405},
        {"POST", script + "UploadRanking?a?10", tooLarge, 413},
        {"POST", script + "UploadRanking?a?10", "PK not a zip", 422},
        {"POST", script + "DownloadReplay?../../etc/passwd", replay, 400},
        {"POST", script + "DownloadReplay?" + std::string(32, 'a'), replay, 404},
        {"POST", script + "DownloadReplay", replay, 400},
        {"GET", base + "/replays/..%2F..%2Fetc%2Fpasswd", replay, 400},
        {"GET", base + "/replays/../ranking.sqlite3", replay, 400},
        {"GET", base + "/replays/" + std::string(32, 'b'), replay, 404},
        {"GET", base + "/nowhere", replay, 404},
        {"PUT", base + "/", replay, 405},
        {"GET", base + "/?page=0", replay, 400},
        {"GET", base + "/?sort=name", replay, 400},
        {"GET", base + "/api/ranking?limit=1000", replay, 400},
        {"GET", base + "/api/ranking?offset=-1", replay, 400},
    };
    for (const auto& c : cases) {
        const SHttpReply reply = fHttp(c.method, c.url, c.method == std::string("POST") ? c.body : "");
        EXPECT_EQ(reply.status, c.status) << c.method << " " << c.url << ": " << reply.body;
        EXPECT_FALSE(reply.body.starts_with("UploadSuccess")) << c.url;
    }
    EXPECT_EQ(fHttp("GET", script + "GetRankingList").body, "\n");

    // Bodies waiting for their check share a memory limit; past it an upload is turned away, not queued.
    SServerOptions tight = fTestOptions(temp.fPath() / "tight", temp.fPath() / "game.sh");
    tight.front.uploadMemoryBytes = 1024 * 1024;
    CRankingServer small(tight);
    const SHttpReply busy =
        fHttp("POST", fScriptUrl(small.fPort(), "UploadRanking?a?10"), std::string(2 << 20, 'x'));
    EXPECT_EQ(busy.status, 503) << busy.body;
    EXPECT_EQ(fHttp("POST", fScriptUrl(small.fPort(), "UploadRanking?a%20b~!?10"), replay).body,
              "UploadSuccess?1");
    // The same player again (on PostgreSQL both servers share one store): the name arrives decoded alike.
    EXPECT_EQ(fHttp("POST", script + "UploadRanking?a%20b~!?10", replay).body, "UploadSuccess?1");
}

TEST_P(RankingServer, ConcurrentUploadsAllLandWithConsistentRanks) {
    CTempFolder temp;
    const int scores[8] = {500, 300, 300, 800, 100, 500, 700, 300};
    std::vector<std::string> replays;
    for (int i = 0; i < 8; ++i) {
        replays.push_back(fMakeSyntheticReplay(temp.fPath() / "make", 20 + i, i));
    }
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    options.parallelChecks = 8;
    CRankingServer server(options);
    std::vector<std::string> replies(8);
    {
        std::vector<std::thread> clients;
        for (int i = 0; i < 8; ++i) {
            clients.emplace_back([&, i] {
                replies[i] = fHttp("POST",
                                   fScriptUrl(server.fPort(), "UploadRanking?c" + std::to_string(i) + "?" +
                                                                  std::to_string(scores[i])),
                                   replays[i])
                                 .body;
            });
        }
        for (std::thread& t : clients) {
            t.join();
        }
    }
    // The order they were stored in (latest first by date); each answered rank must be the rank among the
    // entries stored before it.
    const std::string json = fHttp("GET", "http://127.0.0.1:" + std::to_string(server.fPort()) +
                                              "/api/ranking?sort=date&limit=100")
                                 .body;
    std::vector<int> order;
    const std::regex entry("\\{\"rank\":([0-9]+),\"name\":\"c([0-9])\"");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), entry); it != std::sregex_iterator();
         ++it) {
        order.insert(order.begin(), std::stoi((*it)[2]));
    }
    ASSERT_EQ(order.size(), 8u) << json;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const int i = order[k];
        int above = 0;
        for (std::size_t j = 0; j < k; ++j) {
            above += scores[order[j]] > scores[i] ? 1 : 0;
        }
        EXPECT_EQ(replies[i], "UploadSuccess?" + std::to_string(above + 1)) << "uploader " << i;
    }
    // And the final ranks by score are competition ranks.
    const std::vector<std::string> lines =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    ASSERT_EQ(lines.size(), 8u);
    std::vector<int> listed;
    for (const std::string& line : lines) {
        listed.push_back(std::stoi(line.substr(line.find('?') + 1)));
    }
    EXPECT_EQ(listed, (std::vector<int>{800, 700, 500, 500, 300, 300, 300, 100}));
    EXPECT_NE(json.find("{\"rank\":5,\"name\":\"c1\""), std::string::npos) << json;
}

TEST_P(RankingServer, UploadsAreRationedPerClientAddress) {
    CTempFolder temp;
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 10, 4);
    CRankingServer server(
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string upload = fScriptUrl(server.fPort(), "UploadRanking?a?10");
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(fHttp("POST", upload, replay).body, "UploadSuccess?1") << "upload " << i + 1;
    }
    const SHttpReply refused = fHttp("POST", upload, replay);
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.body, "UploadFailed?too many uploads from this address; try again in an hour");
    EXPECT_EQ(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).status, 200);
    EXPECT_EQ(fHttp("POST", upload, replay, "127.0.0.2").body, "UploadSuccess?1");
}

TEST(RankingServerOptions, LimitOptionsAreReadAndListedInHelp) {
    const struct {
        const char* option;
        const char* value;
        std::function<long long(const SServerOptions&)> read;
        long long expected;
    } cases[] = {
        {"--upload-memory-mb", "64",
         [](const SServerOptions& o) { return static_cast<long long>(o.front.uploadMemoryBytes); },
         64ll << 20},
        {"--uploads-per-hour", "5", [](const SServerOptions& o) { return o.front.uploadsPerHour; }, 5},
        {"--max-connections", "9000", [](const SServerOptions& o) { return o.front.maxConnections; }, 9000},
        {"--max-connections-per-ip", "3",
         [](const SServerOptions& o) { return o.front.maxConnectionsPerAddress; }, 3},
        {"--request-seconds", "7", [](const SServerOptions& o) { return o.front.requestSeconds; }, 7},
    };
    std::string help;
    int status = -1;
    std::string name = "tavoni-ranking-server";
    std::string helpOption = "--help";
    char* helpArgs[] = {name.data(), helpOption.data()};
    EXPECT_FALSE(fParseServerOptions(2, helpArgs, help, status));
    EXPECT_EQ(status, 0);
    for (const auto& c : cases) {
        EXPECT_NE(help.find(std::string(c.option) + " N"), std::string::npos) << c.option;
        std::string option = c.option;
        std::string value = c.value;
        char* args[] = {name.data(), option.data(), value.data()};
        std::string message;
        const std::optional<SServerOptions> parsed = fParseServerOptions(3, args, message, status);
        ASSERT_TRUE(parsed) << c.option << ": " << message;
        EXPECT_EQ(c.read(*parsed), c.expected) << c.option;
        std::string zero = "0";
        char* refused[] = {name.data(), option.data(), zero.data()};
        EXPECT_FALSE(fParseServerOptions(3, refused, message, status)) << c.option;
        EXPECT_EQ(status, 2) << c.option;
    }
}

TEST_P(RankingServer, ReadOnlyServesTheRankingRefusesUploadsAndHealthTellsWhetherTheStoreAnswers) {
    CTempFolder temp;
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 10, 6);
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    {
        CRankingServer server(options);
        ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?kept?10"), replay).body,
                  "UploadSuccess?1");
    }
    options.front.readOnly = true;
    CRankingServer server(options);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    const SHttpReply refused = fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?new?20"),
                                     fMakeSyntheticReplay(temp.fPath() / "make", 11, 7));
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, "UploadFailed?the ranking is under maintenance; uploads are closed for now");
    const std::vector<std::string> lines =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    ASSERT_EQ(lines.size(), 1u);
    const std::string id(fSplitFields(lines[0], '?')[2]);
    // The web page's link saves the replay under the player's name and score, as a type the game opens; the
    // game's own download is as it always was.
    const SHttpReply web = fHttp("GET", base + "/replays/" + id);
    EXPECT_TRUE(web.body == replay) << lines[0];
    EXPECT_NE(web.headers.find("Content-Disposition: attachment; filename=\"kept-10.tavoni-replay\"; "
                               "filename*=UTF-8''kept-10.tavoni-replay\r\n"),
              std::string::npos)
        << web.headers;
    EXPECT_NE(web.headers.find("Content-Type: application/x-tavoni-replay\r\n"), std::string::npos)
        << web.headers;
    const SHttpReply game = fHttp("POST", fScriptUrl(server.fPort(), "DownloadReplay?" + id));
    EXPECT_TRUE(game.body == replay);
    EXPECT_NE(game.headers.find("Content-Disposition: attachment; filename=\"" + id + "\"\r\n"),
              std::string::npos)
        << game.headers;
    const std::string page = fHttp("GET", base + "/").body;
    EXPECT_NE(page.find("download=\"kept-10.tavoni-replay\""), std::string::npos) << page;
    EXPECT_EQ(fHttp("GET", base + "/").status, 200);
    const SHttpReply health = fHttp("GET", base + "/healthz");
    EXPECT_EQ(health.status, 200);
    EXPECT_EQ(health.body, "ok, read-only\n");
    if (fOnSqlite()) {
        return;
    }
    // The database goes away under the running server: it says so, and goes on answering.
    std::string why;
    const std::string database = fCurrentDatabase().substr(fCurrentDatabase().rfind('=') + 1);
    ASSERT_TRUE(CPostgresCluster::fShared().fAdmin("DROP DATABASE " + database + " WITH (FORCE)", why))
        << why;
    EXPECT_EQ(fHttp("GET", base + "/healthz").status, 503);
    const SHttpReply list = fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList"));
    EXPECT_EQ(list.status, 503) << list.body;
}

TEST(RankingServerUpgrade, DataFolderOfTheFirstSchemaIsUpgradedInPlace) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 10, 8);
    const std::string id(32, 'c');
    fs::create_directories(data / "replays");
    std::ofstream(data / "replays" / id, std::ios::binary) << replay;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data / "ranking.sqlite3").c_str(), &db), SQLITE_OK);
    const std::string old =
        "CREATE TABLE entries (seq INTEGER PRIMARY KEY AUTOINCREMENT, id TEXT NOT NULL UNIQUE,"
        " name TEXT NOT NULL, score INTEGER NOT NULL, registered_at INTEGER NOT NULL,"
        " sha256 TEXT NOT NULL UNIQUE);"
        "INSERT INTO entries (id, name, score, registered_at, sha256) VALUES ('" +
        id + "', 'old', 77, 1700000000, '" + fReplayDigest(replay) + "');";
    ASSERT_EQ(sqlite3_exec(db, old.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    for (int start = 0; start < 2; ++start) {
        CRankingServer server(fTestOptions(data, fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
        const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
        if (start == 0) {
            EXPECT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?new?90"),
                            fMakeSyntheticReplay(temp.fPath() / "make", 11, 9))
                          .body,
                      "UploadSuccess?1");
        }
        const std::string json = fHttp("GET", base + "/api/ranking").body;
        EXPECT_TRUE(json.starts_with("{\"total\":2,")) << json; // the entry from before is counted
        EXPECT_NE(json.find("\"name\":\"new\",\"score\":90,"), std::string::npos) << json;
        EXPECT_NE(json.find("\"version\":\"0.0.0-stand-in\""), std::string::npos) << json;
        EXPECT_NE(json.find("{\"rank\":2,\"name\":\"old\",\"score\":77,\"replayId\":\"" + id +
                            "\",\"registeredAt\":\"2023/11/14 22:13:20\",\"replay\":\"/replays/" + id +
                            "\",\"version\":null,\"frames\":null,\"dishes\":null,\"kills\":null,"
                            "\"maxRank\":null,\"faints\":null,\"eaten\":null,\"page\":\"/entry/" +
                            id + "\"}"),
                  std::string::npos)
            << json;
        EXPECT_TRUE(fHttp("GET", base + "/replays/" + id).body == replay);
        const std::string page = fHttp("GET", base + "/entry/" + id).body;
        EXPECT_NE(page.find("id=\"run-unknown\""), std::string::npos) << page;
    }
    ASSERT_EQ(sqlite3_open((data / "ranking.sqlite3").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT version FROM schema_version", -1, &s, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), 5);
    EXPECT_EQ(sqlite3_step(s), SQLITE_DONE); // one row, however often it started
    sqlite3_finalize(s);
    sqlite3_close(db);
}

TEST(RankingServerUpgrade, DataFolderWithHiddenEntriesCountsOnlyTheShownOnesOnceUpgraded) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    fs::create_directories(data / "replays");
    // The schema from before the counts were kept, moderation already in it: one of three entries hidden.
    std::string sql = "CREATE TABLE entries (seq INTEGER PRIMARY KEY AUTOINCREMENT, id TEXT NOT NULL UNIQUE,"
                      " name TEXT NOT NULL, score INTEGER NOT NULL, registered_at INTEGER NOT NULL,"
                      " sha256 TEXT NOT NULL UNIQUE, version TEXT NOT NULL DEFAULT '', frames INTEGER,"
                      " dishes TEXT, kills INTEGER, max_rank INTEGER, faints INTEGER, hidden_at INTEGER,"
                      " hidden_reason TEXT);"
                      "CREATE TABLE schema_version (version INTEGER NOT NULL);"
                      "INSERT INTO schema_version (version) VALUES (4);";
    const struct {
        char letter;
        const char* name;
        int score;
        const char* hiddenAt;
    } rows[] = {{'a', "top", 90, "NULL"}, {'b', "gone", 80, "1700000100"}, {'c', "low", 70, "NULL"}};
    for (const auto& row : rows) {
        const std::string id(32, row.letter);
        const std::string replay =
            fMakeSyntheticReplay(temp.fPath() / "make", row.score / 10, row.score / 10);
        std::ofstream(data / "replays" / id, std::ios::binary) << replay;
        sql += "INSERT INTO entries (id, name, score, registered_at, sha256, hidden_at) VALUES ('" + id +
               "', '" + row.name + "', " + std::to_string(row.score) + ", 170000000" +
               std::to_string(row.score / 10) + ", '" + fReplayDigest(replay) + "', " + row.hiddenAt + ");";
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data / "ranking.sqlite3").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    CRankingServer server(fTestOptions(data, fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    for (const std::string sort : {"score", "date"}) {
        const std::string json = fHttp("GET", base + "/api/ranking?sort=" + sort).body;
        EXPECT_TRUE(json.starts_with("{\"total\":2,")) << json;
        EXPECT_NE(json.find("{\"rank\":2,\"name\":\"low\""), std::string::npos) << json;
        EXPECT_EQ(json.find("gone"), std::string::npos) << json;
    }
    // Shown again by hand, beside the server: the counts follow the UPDATE.
    ASSERT_EQ(sqlite3_open((data / "ranking.sqlite3").c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000);
    EXPECT_EQ(sqlite3_exec(
                  db,
                  ("UPDATE entries SET hidden_at = NULL WHERE id = '" + std::string(32, 'b') + "'").c_str(),
                  nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_TRUE(fSoon([&] {
        return fHttp("GET", base + "/api/ranking?sort=date").body.find("{\"rank\":3,\"name\":\"low\"") !=
               std::string::npos;
    }));
}

TEST(RankingServerUpgrade, PostgresqlDatabaseOfTheFirstSchemaIsUpgradedInPlace) {
    std::string why;
    const std::string database = CPostgresCluster::fShared().fNewDatabase(why);
    ASSERT_FALSE(database.empty()) << why;
    CTempFolder temp;
    const std::string id(32, 'd');
    // The first schema as the first PostgreSQL servers made it, with one entry.
    ASSERT_EQ(
        fSql(database,
             "CREATE TABLE schema_version (version integer NOT NULL);"
             "INSERT INTO schema_version VALUES (1);"
             "CREATE TABLE entries (seq bigserial PRIMARY KEY, id text NOT NULL UNIQUE, name text NOT NULL,"
             " score integer NOT NULL, registered_at bigint NOT NULL, sha256 text NOT NULL UNIQUE,"
             " version text NOT NULL DEFAULT '', replay bytea NOT NULL);"
             "CREATE TABLE checks (id bigserial PRIMARY KEY, request_id text NOT NULL, name text NOT NULL,"
             " score integer NOT NULL, digest text NOT NULL, replay bytea, state text NOT NULL DEFAULT"
             " 'pending', lease_until timestamptz, attempts integer NOT NULL DEFAULT 0, verdict_status"
             " integer, verdict_reply text, finished_at timestamptz);"
             "INSERT INTO entries (id, name, score, registered_at, sha256, version, replay) VALUES ('" +
                 id + "', 'old', 77, 1700000000, 'x', '1.0.2', 'PK')"),
        "");
    for (int start = 0; start < 2; ++start) {
        SServerOptions options =
            fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
        options.database = database;
        CRankingServer server(options);
        const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
        const std::string json = fHttp("GET", base + "/api/ranking").body;
        EXPECT_NE(json.find("\"version\":\"1.0.2\",\"frames\":null,\"dishes\":null,\"kills\":null,"
                            "\"maxRank\":null,\"faints\":null,\"eaten\":null"),
                  std::string::npos)
            << json;
        EXPECT_NE(fHttp("GET", base + "/entry/" + id).body.find("id=\"run-unknown\""), std::string::npos);
        EXPECT_EQ(fHttp("GET", base + "/entry/" + id + "/result.png").status, 404);
    }
    EXPECT_EQ(fSql(database, "SELECT string_agg(version::text, ',') FROM schema_version"), "6");
    EXPECT_EQ(fSql(database, "SELECT COUNT(*) FROM result_pictures"), "0");
    EXPECT_EQ(fSql(database, "SELECT COUNT(*) FROM information_schema.columns"
                             " WHERE table_name = 'checks' AND column_name = 'queued_at'"),
              "1");
    EXPECT_EQ(fSql(database, "SELECT COUNT(*) FROM pg_trigger WHERE tgname = 'entries_changed'"), "1");
}

TEST(RankingServerOptions, StoreAndRoleOptionsAreReadAndChecked) {
    const struct {
        std::vector<std::string> args;
        bool accepted;
        std::function<bool(const SServerOptions&)> holds;
        const char* environment = nullptr; // TAVONI_RANKING_DATABASE
    } cases[] = {
        {{}, true, [](const SServerOptions& o) { return o.database.empty() && o.role == EServerRole::All; }},
        {{"--database", "postgresql://db/r", "--role", "web"},
         true,
         [](const SServerOptions& o) {
             return o.database == "postgresql://db/r" && o.role == EServerRole::Web;
         }},
        {{"--database", "host=db", "--role", "checker", "--read-only"},
         true,
         [](const SServerOptions& o) { return o.role == EServerRole::Checker && o.front.readOnly; }},
        {{"--check-seconds", "5", "--check-lease-seconds", "9"},
         true,
         [](const SServerOptions& o) { return o.leaseSeconds == 9; }},
        {{"--check-seconds", "5", "--check-lease-seconds", "5"}, false, nullptr},
        {{"--role", "web"}, false, nullptr}, // an SQLite ranking has one process
        {{"--import-sqlite", "old"}, false, nullptr},
        {{"--database", "host=db", "--role", "proxy"}, false, nullptr},
        {{"--hide", std::string(32, 'a'), "--reason", "spam"},
         true,
         [](const SServerOptions& o) {
             return o.moderation.action == SModeration::EAction::Hide && o.moderation.reason == "spam";
         }},
        {{"--hide", std::string(32, 'a')}, false, nullptr},
        {{"--unhide", "<b>", "--data", "here"}, false, nullptr},
        {{"--hidden", "--unhide", std::string(32, 'a')}, false, nullptr},
        {{"--reason", "spam"}, false, nullptr},
        {{"--blocked-names", "words.txt"},
         true,
         [](const SServerOptions& o) { return o.blockedNames == "words.txt"; }},
        // The environment names the database unless the command line names a store.
        {{"--role", "web"},
         true,
         [](const SServerOptions& o) { return o.database == "host=env"; },
         "host=env"},
        {{"--data", "here"}, true, [](const SServerOptions& o) { return o.database.empty(); }, "host=env"},
        {{"--metrics-bind", "127.0.0.1:9103", "--access-log", "/var/log/tavoni/access.log"},
         true,
         [](const SServerOptions& o) {
             return o.metricsBind == "127.0.0.1:9103" && o.front.accessLog == "/var/log/tavoni/access.log";
         }},
        {{"--metrics-bind", "9103"}, false, nullptr},
        {{"--metrics-bind", "localhost:9103"}, false, nullptr},
        {{"--metrics-bind", "127.0.0.1:65536"}, false, nullptr},
    };
    std::string help;
    int status = -1;
    std::string name = "tavoni-ranking-server";
    std::string helpOption = "--help";
    char* helpArgs[] = {name.data(), helpOption.data()};
    fParseServerOptions(2, helpArgs, help, status);
    for (const char* option :
         {"--database URL", "--role ROLE", "--read-only", "--import-sqlite DIR", "--check-lease-seconds N",
          "--hide ID --reason TEXT", "--unhide ID", "--hidden", "--blocked-names FILE",
          "--metrics-bind ADDRESS:PORT", "--access-log FILE"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    for (const auto& c : cases) {
        if (c.environment != nullptr) {
            ::setenv("TAVONI_RANKING_DATABASE", c.environment, 1);
        } else {
            ::unsetenv("TAVONI_RANKING_DATABASE");
        }
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), name);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        std::string message;
        const std::optional<SServerOptions> parsed =
            fParseServerOptions(static_cast<int>(argv.size()), argv.data(), message, status);
        ASSERT_EQ(parsed.has_value(), c.accepted) << args.back() << ": " << message;
        if (parsed) {
            EXPECT_TRUE(c.holds(*parsed)) << args.back();
        } else {
            EXPECT_EQ(status, 2);
        }
    }
    ::unsetenv("TAVONI_RANKING_DATABASE");
}

// Whatever name a player typed, the offered file lands in the browser's download folder under one plain name.
TEST(ReplayDownloadName, NamesBecomeOneSafeFileNameAndTheHeaderCarriesThemWhole) {
    const struct {
        const char* name;
        int score;
        const char* file;
    } kCases[] = {
        {"AYA", 2050, "AYA-2050.tavoni-replay"},
        {"", 10, "replay-10.tavoni-replay"},
        {"../../etc/passwd", 1, "_._.._etc_passwd-1.tavoni-replay"},
        {".hidden", 3, "_hidden-3.tavoni-replay"},
        {"a\"b\\c:d*e?f<g>h|i%j\r\nk", 4, "a_b_c_d_e_f_g_h_i_j__k-4.tavoni-replay"},
        {"名前", 5, "名前-5.tavoni-replay"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(fReplayFileName(c.name, c.score), c.file) << c.name;
    }
    EXPECT_EQ(fReplayContentDisposition("名前-5.tavoni-replay"),
              "attachment; filename=\"______-5.tavoni-replay\"; "
              "filename*=UTF-8''%E5%90%8D%E5%89%8D-5.tavoni-replay");
}

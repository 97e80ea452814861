// The ranking on several machines: web nodes and checkers as processes of their own sharing one PostgreSQL
// database, some of them killed with SIGKILL while uploads are under way; and an SQLite ranking moved into
// PostgreSQL.
#include "ServerTestSupport.h"
#include "base/FieldText.h"

#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

using namespace servertest;

namespace {

std::string fNewDatabase() {
    std::string why;
    const std::string database = CPostgresCluster::fShared().fNewDatabase(why);
    if (database.empty()) {
        ADD_FAILURE() << "no PostgreSQL for this test: " << why;
    }
    return database;
}

// name?score?id?date lines of the list reply, as name -> {score, id}.
std::map<std::string, std::pair<int, std::string>> fListed(int port) {
    std::map<std::string, std::pair<int, std::string>> listed;
    for (const std::string& line : fLines(fHttp("GET", fScriptUrl(port, "GetRankingList")).body)) {
        const std::vector<std::string_view> fields = fSplitFields(line, '?');
        if (fields.size() == 4) {
            listed[std::string(fields[0])] = {std::stoi(std::string(fields[1])), std::string(fields[2])};
        }
    }
    return listed;
}

// A node of the ranking in `database` whose stand-in game accepts every replay.
SServerOptions fAcceptingEverything(const CTempFolder& temp, const std::string& database) {
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    options.database = database;
    return options;
}

struct SUpload {
    std::string name;
    int score = 0;
    const std::string* replay = nullptr;
    bool forged = false;
    long status = 0; // 0: no answer
    std::string reply;
    std::size_t node = 0;
};

} // namespace

// The replays of the corpus (tests/replays) with the scores they reach, those left with Esc aside.
std::vector<std::pair<std::string, int>> fCorpusReplays() {
    const fs::path corpus = fs::path(TAVONI_SOURCE_DIR) / "tests/replays";
    std::vector<std::pair<std::string, int>> replays;
    std::istringstream manifest(fReadFile(corpus / "manifest.txt"));
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream words(line);
        std::string name, replay, esc;
        int frames = 0, score = 0;
        if (line.starts_with("#") || !(words >> name >> replay >> esc >> frames >> score) || esc != "-") {
            continue;
        }
        replays.emplace_back(fReadFile(corpus / (replay + ".replay")), score);
    }
    return replays;
}

TEST(SeveralMachines, KilledWebNodeAndCheckerLoseNoAcknowledgedUploadAndLetNoForgeryIn) {
    const std::string database = fNewDatabase();
    ASSERT_FALSE(database.empty());
    CTempFolder temp;
    const std::vector<std::pair<std::string, int>> corpus = fCorpusReplays();
    ASSERT_GE(corpus.size(), 8u);
    // The game itself checks them. Under the sanitizers it is too slow for that, and a stand-in knows each
    // replay's score by its bytes.
    std::string knows;
    for (std::size_t r = 0; r < corpus.size(); ++r) {
        const fs::path copy = temp.fPath() / ("corpus" + std::to_string(r) + ".replay");
        std::ofstream(copy, std::ios::binary) << corpus[r].first;
        knows += "cmp -s \"$4\" '" + copy.string() + "' && want=" + std::to_string(corpus[r].second) + "\n";
    }
    const fs::path game = TAVONI_SANITIZED
                              ? fWriteFakeGame(temp.fPath() / "game.sh",
                                               "want=none\n" + knows + "sleep 0.3\n[ \"$6\" = \"$want\" ]")
                              : fs::path(TAVONI_BINARY);
    // Five rounds over the corpus: forged (a score it does not reach: the game must play it to refuse it),
    // honest, forged with another replay's real score, honest again (a duplicate), and honest once more.
    std::vector<SUpload> uploads(40);
    for (std::size_t i = 0; i < uploads.size(); ++i) {
        SUpload& u = uploads[i];
        const std::size_t r = i % corpus.size();
        const std::size_t round = i / corpus.size();
        u.replay = &corpus[r].first;
        u.forged = round == 0 || round == 2;
        u.score = round == 0   ? corpus[r].second + 5
                  : round == 2 ? corpus[(r + 1) % corpus.size()].second
                               : corpus[r].second;
        u.forged = u.forged && u.score != corpus[r].second;
        // An honest replay is always sent by its one player (under another name it would be refused): the
        // name of its first honest upload, round 1.
        u.name = "s" + std::to_string(u.forged ? i : r + corpus.size());
    }

    const std::vector<std::string> store{"--database", database};
    const std::vector<std::string> checker = fWith(
        store, {"--role", "checker", "--game", game.string(), "--game-data", TAVONI_SOURCE_DIR, "--checks",
                "2", "--check-memory-mb", "0", "--check-seconds", "5", "--check-lease-seconds", "6",
                // The real game checks in the sandbox; the shell script stand-in needs what it hides.
                "--sandbox", TAVONI_SANITIZED ? "off" : "require"});
    const std::vector<std::string> web = fWith(store, {"--role", "web", "--uploads-per-hour", "1000",
                                                       "--check-seconds", "5", "--check-lease-seconds", "6"});
    auto checkerA = std::make_unique<CServerProcess>(checker, false, temp.fPath() / "checker-a.log");
    CServerProcess checkerB(checker, false, temp.fPath() / "checker-b.log");
    auto webA = std::make_unique<CServerProcess>(web);
    CServerProcess webB(web, true, temp.fPath() / "web-b.log");
    const int ports[2] = {webA->fPort(), webB.fPort()};

    std::mutex mutex;
    std::size_t next = 0;
    int answered = 0;
    std::vector<std::thread> clients;
    for (int t = 0; t < 8; ++t) {
        clients.emplace_back([&] {
            for (;;) {
                std::size_t i = 0;
                {
                    const std::lock_guard<std::mutex> lock(mutex);
                    if (next >= uploads.size()) {
                        return;
                    }
                    i = next++;
                }
                SUpload& u = uploads[i];
                const SHttpReply reply =
                    fHttp("POST",
                          fScriptUrl(ports[i % 2], "UploadRanking?" + u.name + "?" + std::to_string(u.score)),
                          *u.replay);
                const std::lock_guard<std::mutex> lock(mutex);
                u.node = i % 2;
                u.status = reply.status;
                u.reply = reply.body;
                ++answered;
            }
        });
    }
    // One checker dies a third of the way through, one web node two thirds of the way, both mid-work.
    const auto waitFor = [&](int count) {
        for (int i = 0; i < 6000; ++i) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                if (answered >= count) {
                    return;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    waitFor(8);
    checkerA->fKill(SIGKILL);
    waitFor(18);
    webA->fKill(SIGKILL);
    for (std::thread& t : clients) {
        t.join();
    }

    int succeeded = 0;
    int refused = 0;
    int unanswered = 0;
    for (SUpload& u : uploads) {
        // The node that lived answers all of its uploads in time, those whose checker died too: another
        // checker takes them once their lease runs out.
        EXPECT_TRUE(u.node == 0 || (u.status != 0 && u.status != 503)) << u.name << ": " << u.reply;
        if (u.status == 0 || u.status == 503) {
            // No answer (its node died) or no verdict in time: sent again, to the node still up.
            ++unanswered;
            const SHttpReply again = fHttp(
                "POST", fScriptUrl(webB.fPort(), "UploadRanking?" + u.name + "?" + std::to_string(u.score)),
                *u.replay);
            u.status = again.status;
            u.reply = again.body;
        }
        EXPECT_NE(u.status, 0) << u.name << " was not answered when sent again";
        if (u.reply.starts_with("UploadSuccess?")) {
            ++succeeded;
            EXPECT_FALSE(u.forged) << u.name << ": a forged score was accepted";
        } else {
            ++refused;
            EXPECT_TRUE(u.forged) << u.name << ": " << u.reply;
        }
    }
    std::printf("[ several machines ] %d uploads accepted, %d refused, %d sent again after no answer\n",
                succeeded, refused, unanswered);
    EXPECT_GT(unanswered, 0) << "the web node did not die in the middle of the uploads";

    // A new web node in place of the dead one: both list the same entries and serve the same bytes.
    CServerProcess webC(web);
    const auto listedB = fListed(webB.fPort());
    const auto listedC = fListed(webC.fPort());
    EXPECT_EQ(listedB, listedC);
    std::set<const std::string*> stored;
    for (const SUpload& u : uploads) {
        if (u.forged) {
            continue;
        }
        stored.insert(u.replay);
    }
    // Each honest replay once, under its player's name.
    EXPECT_EQ(listedB.size(), stored.size());
    for (const auto& [name, entry] : listedB) {
        const SUpload& u = uploads[static_cast<std::size_t>(std::stoi(name.substr(1)))];
        EXPECT_EQ(entry.first, u.score) << name;
        EXPECT_FALSE(u.forged) << name << ": a forged score is listed";
        for (const int port : {webB.fPort(), webC.fPort()}) {
            EXPECT_TRUE(fHttp("GET", fScriptUrl(port, "DownloadReplay?" + entry.second)).body == *u.replay)
                << name;
        }
    }

    // A request's id follows it from the web node into a checker's log.
    const std::string webLog = fReadFile(temp.fPath() / "web-b.log");
    const std::string checkerLogs =
        fReadFile(temp.fPath() / "checker-a.log") + fReadFile(temp.fPath() / "checker-b.log");
    std::smatch queued;
    ASSERT_TRUE(std::regex_search(webLog, queued, std::regex("upload (\\[req [0-9a-f]{8}\\]) .*queued")));
    EXPECT_NE(checkerLogs.find("check " + queued[1].str()), std::string::npos) << queued[1];
}

TEST(SeveralMachines, SqliteRankingMovesIntoPostgresqlWithTheSameEntriesAndReplays) {
    const std::string database = fNewDatabase();
    ASSERT_FALSE(database.empty());
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    const fs::path game = fWriteFakeGame(temp.fPath() / "game.sh", "exit 0");
    std::vector<std::string> replays;
    std::string before;
    {
        CRankingServer server(fTestOptions(data, game));
        for (int i = 0; i < 4; ++i) {
            replays.push_back(fMakeSyntheticReplay(temp.fPath() / "make", 5 + i, i));
            // Two equal scores: their order must survive the move.
            const std::string query =
                "UploadRanking?m" + std::to_string(i) + "?" + std::to_string(i < 2 ? 50 : 20 + i);
            ASSERT_TRUE(fHttp("POST", fScriptUrl(server.fPort(), query), replays.back())
                            .body.starts_with("UploadSuccess?"));
        }
        before = fHttp("GET", "http://127.0.0.1:" + std::to_string(server.fPort()) + "/api/ranking").body;
    }
    const std::string import = std::string(TAVONI_SERVER_BINARY) + " --import-sqlite '" + data.string() +
                               "' --database '" + database + "' 2>&1";
    for (const char* expected : {"imported 4 entries", "imported 0 entries"}) {
        std::string said;
        FILE* out = ::popen(import.c_str(), "r");
        ASSERT_NE(out, nullptr);
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, out) != nullptr) {
            said += buffer;
        }
        EXPECT_EQ(::pclose(out), 0) << said;
        EXPECT_NE(said.find(expected), std::string::npos) << said; // run again, it adds nothing
    }

    CServerProcess server({"--database", database, "--game", game.string(), "--sandbox", "off"});
    const std::string after =
        fHttp("GET", "http://127.0.0.1:" + std::to_string(server.fPort()) + "/api/ranking").body;
    EXPECT_EQ(after, before);
    std::size_t found = 0;
    for (const auto& [name, entry] : fListed(server.fPort())) {
        const std::size_t i = static_cast<std::size_t>(std::stoi(name.substr(1)));
        EXPECT_TRUE(
            fHttp("GET", "http://127.0.0.1:" + std::to_string(server.fPort()) + "/replays/" + entry.second)
                .body == replays[i])
            << name;
        ++found;
    }
    EXPECT_EQ(found, replays.size());
}

TEST(SeveralMachines, MalformedQueuedCheckIsRefusedWithoutRunningTheGame) {
    const std::string database = fNewDatabase();
    ASSERT_FALSE(database.empty());
    CTempFolder temp;
    CRankingServer server(fAcceptingEverything(temp, database));
    // A queued check no web node would queue is refused without running the game on it.
    const std::string id = fSql(database, "INSERT INTO checks (request_id, name, score, digest)"
                                          " VALUES ('r', E'a\\nb', -3, 'd') RETURNING id");
    std::string verdict;
    for (int i = 0; i < 200 && verdict.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        verdict = fSql(database, "SELECT verdict_reply FROM checks WHERE id = " + id + " AND state = 'done'");
    }
    EXPECT_EQ(verdict, "UploadFailed?the replay could not be checked");
}

TEST(SeveralMachines, ANodeKeepsItsListOnlyUntilTheEntriesChangeAnywhere) {
    const std::string database = fNewDatabase();
    ASSERT_FALSE(database.empty());
    CTempFolder temp;
    const SServerOptions options = fAcceptingEverything(temp, database);
    CRankingServer a(options);
    CRankingServer b(options);
    const auto names = [](int port) {
        std::vector<std::string> listed;
        for (const std::string& line : fLines(fHttp("GET", fScriptUrl(port, "GetRankingList")).body)) {
            if (!line.empty()) {
                listed.push_back(line.substr(0, line.find('?')));
            }
        }
        return listed;
    };
    const auto upload = [&](int port, const std::string& name, int seed) {
        return fHttp("POST", fScriptUrl(port, "UploadRanking?" + name + "?" + std::to_string(10 + seed)),
                     fMakeSyntheticReplay(temp.fPath() / "m", seed, seed))
            .body;
    };
    EXPECT_TRUE(names(a.fPort()).empty()); // kept from here on
    ASSERT_TRUE(upload(b.fPort(), "fromB", 1).starts_with("UploadSuccess?"));
    EXPECT_TRUE(fSoon([&] { return names(a.fPort()) == std::vector<std::string>{"fromB"}; }));
    // An uploader sees their own entry at once.
    ASSERT_TRUE(upload(a.fPort(), "fromA", 2).starts_with("UploadSuccess?"));
    EXPECT_EQ(names(a.fPort()), (std::vector<std::string>{"fromA", "fromB"}));
    // Edits by hand are heard of too.
    EXPECT_EQ(fSql(database, "UPDATE entries SET name = 'renamed' WHERE name = 'fromB'"), "");
    EXPECT_TRUE(fSoon([&] { return names(a.fPort()) == std::vector<std::string>{"fromA", "renamed"}; }));
    EXPECT_TRUE(fSoon([&] { return names(b.fPort()) == std::vector<std::string>{"fromA", "renamed"}; }));
}

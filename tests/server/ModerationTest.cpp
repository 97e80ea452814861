// Keeping the ranking fit to show: rows that break the rules are left out wherever they come from, a
// moderator hides and shows entries again on every node at once, changes made beside the server reach its
// kept list, an import only reads its source, and blocked words keep names out.
#include "CEntryPage.h"
#include "CRankingPage.h"
#include "ServerTestSupport.h"
#include "base/FieldText.h"

#include <sqlite3.h>
#include <thread>

using namespace servertest;

class StoredRows : public CStoreTest {};
TAVONI_ON_BOTH_STORES(StoredRows);

namespace {

// Runs the server binary with `args` to its end; its exit status and everything it said.
std::pair<int, std::string> fRunCommand(const std::vector<std::string>& args) {
    std::string command = TAVONI_SERVER_BINARY;
    for (const std::string& a : args) {
        command += " '" + a + "'";
    }
    FILE* out = ::popen((command + " 2>&1").c_str(), "r");
    std::string said;
    char buffer[512];
    while (out != nullptr && std::fgets(buffer, sizeof buffer, out) != nullptr) {
        said += buffer;
    }
    const int status = out != nullptr ? ::pclose(out) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, said};
}

// SQL run beside the server, as an operator's hand edit would be: SQLite through a connection of its own.
void fHandEdit(const fs::path& data, const std::string& sql) {
    if (!fCurrentDatabase().empty()) {
        ASSERT_EQ(fSql(fCurrentDatabase(), sql), "") << sql;
        return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data / "ranking.sqlite3").c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000);
    char* error = nullptr;
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (error != nullptr ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// The number of entries of a JSON reply as Python's parser reads it; -1 when it is not JSON.
int fJsonEntries(const fs::path& work, const std::string& json) {
    const fs::path file = work / "reply.json";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << json;
    const std::string command =
        "python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))[\"entries\"]))' '" +
        file.string() + "' 2>/dev/null";
    FILE* out = ::popen(command.c_str(), "r");
    char buffer[64] = "";
    const bool said = out != nullptr && std::fgets(buffer, sizeof buffer, out) != nullptr;
    const int status = out != nullptr ? ::pclose(out) : -1;
    return said && status == 0 ? std::atoi(buffer) : -1;
}

// The names of the game's list reply, in its order.
std::vector<std::string> fListedNames(int port) {
    std::vector<std::string> names;
    for (const std::string& line : fLines(fHttp("GET", fScriptUrl(port, "GetRankingList")).body)) {
        if (!line.empty()) {
            names.push_back(line.substr(0, line.find('?')));
        }
    }
    return names;
}

std::string fIdOf(int port, const std::string& name) {
    for (const std::string& line : fLines(fHttp("GET", fScriptUrl(port, "GetRankingList")).body)) {
        const std::vector<std::string_view> fields = fSplitFields(line, '?');
        if (fields.size() == 4 && fields[0] == name) {
            return std::string(fields[2]);
        }
    }
    return {};
}

} // namespace

TEST_P(StoredRows, RowsBreakingTheRulesAreLeftOutAndTheRestIsServedIntact) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    CRankingServer server(fTestOptions(data, fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?good?10"),
                    fMakeSyntheticReplay(temp.fPath() / "m", 9, 1))
                  .body,
              "UploadSuccess?1");
    const std::string before = fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body; // now kept
    const struct {
        std::string id;
        const char* name;
        int score;
    } rows[] = {
        {std::string(32, 'e'), "a?b", 20},           // would split into more fields in the game
        {"<b>markup</b>&\"x", "markup", 30},         // an id no upload gets, written into pages
        {std::string(32, 'f'), "thirteen_char", 40}, // longer than any name
        {std::string(31, 'f') + "0", "zero", 0},     // no upload claims 0
    };
    for (const auto& row : rows) {
        fHandEdit(data, "INSERT INTO entries (id, name, score, registered_at, sha256" +
                            std::string(fOnSqlite() ? "" : ", replay") + ") VALUES ('" + row.id + "', '" +
                            row.name + "', " + std::to_string(row.score) + ", 1700000000, '" + row.id + "'" +
                            (fOnSqlite() ? "" : ", ''") + ")");
    }
    EXPECT_EQ(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body, before);
    for (const std::string sort : {"score", "date"}) {
        const SHttpReply json = fHttp("GET", base + "/api/ranking?sort=" + sort);
        EXPECT_EQ(json.status, 200);
        EXPECT_EQ(fJsonEntries(temp.fPath(), json.body), 1) << json.body;
        const SHttpReply page = fHttp("GET", base + "/?sort=" + sort);
        EXPECT_EQ(page.status, 200);
        EXPECT_NE(page.body.find(">good</a>"), std::string::npos);
        EXPECT_EQ(page.body.find("<b>"), std::string::npos) << page.body;
        EXPECT_EQ(page.body.find("a?b"), std::string::npos);
    }
    for (const std::string& path : {"/entry/" + rows[0].id, "/replays/" + rows[0].id}) {
        EXPECT_EQ(fHttp("GET", base + path).status, 404) << path;
    }
    // Once seen they are hidden, so the ranks and the total close up as for any hidden entry, and the
    // operator finds them, with why, where hidden entries are listed.
    EXPECT_NE(fHttp("GET", base + "/api/ranking?sort=score").body.find("{\"total\":1,"), std::string::npos);
    EXPECT_NE(fHttp("GET", base + "/api/ranking?sort=date").body.find("{\"rank\":1,\"name\":\"good\""),
              std::string::npos);
    const auto [listed, hiddenSaid] = fRunCommand(fWith(fStoreArgs(data), {"--hidden"}));
    EXPECT_EQ(listed, 0);
    for (const auto& row : rows) {
        const std::vector<std::string> lines = fLines(hiddenSaid);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&row](const std::string& line) {
                                    return line.find(std::string("\t") + row.name + "\t" +
                                                     std::to_string(row.score) + "\t") != std::string::npos &&
                                           line.find("\tset aside by the server: ") != std::string::npos;
                                }))
            << row.name << " is not listed as set aside:\n"
            << hiddenSaid;
    }
}

TEST_P(StoredRows, HiddenEntryIsGoneFromEveryNodeUntilShownAgainAndHandEditsReachTheKeptLists) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    const SServerOptions options = fTestOptions(data, fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    CRankingServer a(options);
    CRankingServer b(options);
    const std::vector<std::string> store = fStoreArgs(data);
    const std::string midReplay = fMakeSyntheticReplay(temp.fPath() / "m", 9, 2);
    for (const auto& [name, score, replay] :
         {std::tuple{"top", 30, fMakeSyntheticReplay(temp.fPath() / "m", 8, 1)},
          std::tuple{"mid", 20, midReplay},
          std::tuple{"low", 10, fMakeSyntheticReplay(temp.fPath() / "m", 7, 3)}}) {
        ASSERT_TRUE(
            fHttp("POST",
                  fScriptUrl(a.fPort(), "UploadRanking?" + std::string(name) + "?" + std::to_string(score)),
                  replay)
                .body.starts_with("UploadSuccess?"));
    }
    const std::string id = fIdOf(a.fPort(), "mid");
    ASSERT_FALSE(id.empty());
    const std::vector<std::string> all{"top", "mid", "low"};
    const std::vector<std::string> shown{"top", "low"};
    ASSERT_TRUE(fSoon([&] { return fListedNames(b.fPort()) == all; }));

    const auto [hid, hideSaid] = fRunCommand(fWith(store, {"--hide", id, "--reason", "an unkind name"}));
    ASSERT_EQ(hid, 0) << hideSaid;
    for (const CRankingServer* node : {&a, &b}) {
        const std::string base = "http://127.0.0.1:" + std::to_string(node->fPort());
        EXPECT_TRUE(fSoon([&] { return fListedNames(node->fPort()) == shown; }));
        // The ranks below it close up, by date too, where each row's rank is counted on its own.
        for (const std::string sort : {"score", "date"}) {
            EXPECT_NE(
                fHttp("GET", base + "/api/ranking?sort=" + sort).body.find("{\"rank\":2,\"name\":\"low\""),
                std::string::npos)
                << sort;
        }
        EXPECT_EQ(fHttp("GET", base + "/").body.find(">mid<"), std::string::npos);
        for (const std::string& path : {"/entry/" + id, "/replays/" + id, "/entry/" + id + "/result.png"}) {
            EXPECT_EQ(fHttp("GET", base + path).status, 404) << path;
        }
        EXPECT_EQ(fHttp("POST", fScriptUrl(node->fPort(), "DownloadReplay?" + id)).status, 404);
    }
    const auto [listed, hiddenSaid] = fRunCommand(fWith(store, {"--hidden"}));
    EXPECT_EQ(listed, 0);
    EXPECT_TRUE(std::regex_search(hiddenSaid, std::regex(id + "\tmid\t20\t20[0-9/: ]+\tan unkind name\n")))
        << hiddenSaid;
    // Sent again, its replay does not bring it back.
    EXPECT_EQ(fHttp("POST", fScriptUrl(a.fPort(), "UploadRanking?again?20"), midReplay).body,
              "UploadFailed?this replay has been taken off the ranking");

    const auto [unhid, unhideSaid] = fRunCommand(fWith(store, {"--unhide", id}));
    ASSERT_EQ(unhid, 0) << unhideSaid;
    for (const CRankingServer* node : {&a, &b}) {
        EXPECT_TRUE(fSoon([&] { return fListedNames(node->fPort()) == all; }));
        const std::string base = "http://127.0.0.1:" + std::to_string(node->fPort());
        EXPECT_NE(fHttp("GET", base + "/api/ranking?sort=date").body.find("{\"rank\":3,\"name\":\"low\""),
                  std::string::npos);
    }
    EXPECT_EQ(fRunCommand(fWith(store, {"--unhide", std::string(32, 'a')})).first, 1);

    // A row deleted by hand, beside the servers, leaves their kept lists too.
    fHandEdit(data, "DELETE FROM entries WHERE name = 'top'");
    for (const CRankingServer* node : {&a, &b}) {
        EXPECT_TRUE(fSoon([&] {
            return fListedNames(node->fPort()) == std::vector<std::string>{"mid", "low"};
        }));
    }
}

TEST(StoredRowsPages, EveryFieldIsEscapedTheIdToo) {
    SListedEntry entry;
    entry.id = "<b>\"id\\";
    entry.name = "<i>n\"";
    entry.score = 1;
    entry.version = "<s>\\";
    CTempFolder temp;
    EXPECT_EQ(fJsonEntries(temp.fPath(), CRankingPage::fJson({entry}, 1, 0, 50, ERankingOrder::Score)), 1);
    for (const std::string& html : {CRankingPage::fHtml({entry}, 1, 1, ERankingOrder::Date),
                                    CEntryPage::fHtml(entry, CEntryPage::EPicture::Shown)}) {
        for (const char* markup : {"<b>", "<i>", "<s>", "\"id"}) {
            EXPECT_EQ(html.find(markup), std::string::npos) << markup << " in " << html;
        }
    }
}

TEST(StoredRowsImport, ImportOnlyReadsItsSourceAndRefusesRowsBreakingTheRulesByName) {
    std::string why;
    const std::string database = CPostgresCluster::fShared().fNewDatabase(why);
    ASSERT_FALSE(database.empty()) << why;
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    {
        CRankingServer server(fTestOptions(data, fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
        for (const char* name : {"kept", "hidden"}) {
            ASSERT_TRUE(fHttp("POST",
                              fScriptUrl(server.fPort(), std::string("UploadRanking?") + name + "?10"),
                              fMakeSyntheticReplay(temp.fPath() / "m", 9, name[0]))
                            .body.starts_with("UploadSuccess?"));
        }
        const auto [status, said] = fRunCommand(
            {"--data", data.string(), "--hide", fIdOf(server.fPort(), "hidden"), "--reason", "r"});
        ASSERT_EQ(status, 0) << said;
    }
    // A row with its replay whose name breaks the rule, and what a server stopped mid-upload leaves: a
    // replay file whose row never committed, which only a starting server may remove.
    const std::string bad = std::string(31, 'b') + "9";
    fHandEdit(data, "INSERT INTO entries (id, name, score, registered_at, sha256) VALUES ('" + bad +
                        "', 'a?b', 5, 0, 'x')");
    std::ofstream(data / "replays" / bad) << fMakeSyntheticReplay(temp.fPath() / "m", 9, 3);
    std::ofstream(data / "replays" / std::string(32, 'c')) << "never committed";
    std::map<fs::path, std::string> before;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(data)) {
        before[e.path()] = e.is_regular_file() ? fReadFile(e.path()) : "(folder)";
    }

    const auto [status, said] = fRunCommand({"--import-sqlite", data.string(), "--database", database});
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find("imported 2 entries"), std::string::npos) << said;
    EXPECT_NE(said.find("refused the entry \"" + bad + "\" (\"a?b\", 5): the name holds a \"?\""),
              std::string::npos)
        << said;
    std::map<fs::path, std::string> after;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(data)) {
        after[e.path()] = e.is_regular_file() ? fReadFile(e.path()) : "(folder)";
    }
    EXPECT_TRUE(after == before) << "the import changed its source";
    EXPECT_EQ(fSql(database,
                   "SELECT string_agg(name || ':' || (hidden_at IS NOT NULL)::text, ',' ORDER BY name)"
                   " FROM entries"),
              "hidden:true,kept:false");
}

TEST(BlockedNames, NameHoldingABlockedWordInAnyCaseIsRefusedWithTheReason) {
    CTempFolder temp;
    const fs::path list = temp.fPath() / "blocked.txt";
    std::ofstream(list) << "# words kept off the ranking\n\n  Rude \nmean\n";
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    options.blockedNames = list;
    CRankingServer server(options);
    const std::string refused = "UploadFailed?this name is not allowed on the ranking; enter another name";
    const struct {
        const char* name;
        const char* reply;
    } cases[] = {{"xxRUDEyy", refused.c_str()}, {"MeAn", refused.c_str()}, {"kind", "UploadSuccess?1"}};
    int seed = 0;
    for (const auto& c : cases) {
        const SHttpReply reply =
            fHttp("POST", fScriptUrl(server.fPort(), std::string("UploadRanking?") + c.name + "?10"),
                  fMakeSyntheticReplay(temp.fPath() / "m", 9, ++seed));
        EXPECT_EQ(reply.body, c.reply) << c.name;
        EXPECT_EQ(reply.status, reply.body.starts_with("UploadSuccess") ? 200 : 403) << c.name;
    }
    EXPECT_EQ(fListedNames(server.fPort()), std::vector<std::string>{"kind"});
    // The list is read again when it changes.
    std::ofstream(list, std::ios::app) << "kind\n";
    EXPECT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Kinder?10"),
                    fMakeSyntheticReplay(temp.fPath() / "m", 9, ++seed))
                  .body,
              refused);
}

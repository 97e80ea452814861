// The ranks every request shows, against ranks counted here from all the entries: the web pages and the
// JSON in both orders, each entry's page, an upload's reply and the game's list of the best entries.
#include "CPostgresRankingStore.h"
#include "CSqliteRankingStore.h"
#include "ReplayDigest.h"
#include "ServerTestSupport.h"

#include <algorithm>
#include <sqlite3.h>

using namespace servertest;

class RankingPages : public CStoreTest {};
TAVONI_ON_BOTH_STORES(RankingPages);

namespace {

struct SKnown {
    std::string id;
    std::string name;
    int score = 0;
    std::int64_t date = 0;
    int stored = 0; // the order the entries were stored in
};
using SRanked = std::pair<int, std::string>; // rank, id

// Scores and dates tie often and straddle powers of 16 (the bounds between the kept counts).
std::vector<SKnown> fFill(CRankingStore& store, int count) {
    const int edges[] = {1, 255, 256, 257, 65535, 65536, 65537, 16777215, 16777216, 16777217, 300000000};
    std::vector<SKnown> known;
    for (int i = 0; i < count; ++i) {
        SNewEntry entry;
        entry.name = "p" + std::to_string(i);
        entry.score = i % 3 == 0 ? edges[(i * 7) % 11] : 256 * (1 + (i * 37) % 23) - i % 2;
        entry.replay = "replay " + std::to_string(i);
        entry.digest = fReplayDigest(entry.replay);
        entry.registeredAt = 1700000000 + (i * 13 % 29) * 65536 - i % 2;
        known.push_back({store.fAdd(entry).entry.id, entry.name, entry.score, entry.registeredAt, i});
    }
    return known;
}

int fRankOf(const std::vector<SKnown>& known, int score) {
    return 1 + static_cast<int>(std::count_if(known.begin(), known.end(),
                                              [score](const SKnown& k) { return k.score > score; }));
}

// The whole ranking in `order`, as its pages must show it.
std::vector<SRanked> fExpected(std::vector<SKnown> known, bool byDate) {
    std::sort(known.begin(), known.end(), [byDate](const SKnown& a, const SKnown& b) {
        if (byDate) {
            return a.date != b.date ? a.date > b.date : a.stored > b.stored;
        }
        return a.score != b.score ? a.score > b.score : a.stored < b.stored;
    });
    std::vector<SRanked> ranked;
    for (const SKnown& k : known) {
        ranked.emplace_back(fRankOf(known, k.score), k.id);
    }
    return ranked;
}

std::vector<SRanked> fFound(const std::string& text, const std::regex& row) {
    std::vector<SRanked> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), row); it != std::sregex_iterator(); ++it) {
        found.emplace_back(std::stoi((*it)[1]), (*it)[2]);
    }
    return found;
}

std::vector<SRanked> fSlice(const std::vector<SRanked>& all, std::size_t from, std::size_t count) {
    from = std::min(from, all.size());
    return {all.begin() + static_cast<long>(from),
            all.begin() + static_cast<long>(std::min(all.size(), from + count))};
}

void fExpectEveryPage(int port, const std::vector<SKnown>& known) {
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    const std::regex htmlRow(
        "<td class=\"rank\">([0-9]+)</td><td class=\"name\"><a href=\"/entry/([0-9a-f]+)\"");
    const std::regex jsonRow(
        "\\{\"rank\":([0-9]+),\"name\":\"[^\"]*\",\"score\":[0-9]+,\"replayId\":\"([0-9a-f]+)\"");
    for (const bool byDate : {false, true}) {
        const std::vector<SRanked> all = fExpected(known, byDate);
        const std::string sort = byDate ? "date" : "score";
        for (std::size_t page = 1; page <= all.size() / 50 + 2; ++page) {
            EXPECT_EQ(
                fFound(fHttp("GET", base + "/?sort=" + sort + "&page=" + std::to_string(page)).body, htmlRow),
                fSlice(all, (page - 1) * 50, 50))
                << sort << " page " << page;
        }
        for (const std::size_t offset :
             {0ul, 1ul, 49ul, 50ul, 77ul, all.size() - 1, all.size(), 2147483647ul}) {
            const std::string url =
                base + "/api/ranking?sort=" + sort + "&limit=31&offset=" + std::to_string(offset);
            EXPECT_EQ(fFound(fHttp("GET", url).body, jsonRow), fSlice(all, offset, 31)) << url;
        }
    }
    for (const SKnown& k : known) {
        const std::string page = fHttp("GET", base + "/entry/" + k.id).body;
        EXPECT_NE(page.find("<dd id=\"rank\">" + std::to_string(fRankOf(known, k.score)) + " 位</dd>"),
                  std::string::npos)
            << k.name;
    }
}

// The game's list: the best `size` entries, best first, ties in the order they were stored.
void fExpectGameList(int port, const std::vector<SKnown>& known, std::size_t size) {
    const std::vector<SRanked> best = fSlice(fExpected(known, false), 0, size);
    const std::vector<std::string> lines = fLines(fHttp("GET", fScriptUrl(port, "GetRankingList")).body);
    ASSERT_EQ(lines.size(), best.size());
    for (std::size_t i = 0; i < best.size(); ++i) {
        const auto k =
            std::find_if(known.begin(), known.end(), [&](const SKnown& e) { return e.id == best[i].second; });
        EXPECT_TRUE(lines[i].starts_with(k->name + "?" + std::to_string(k->score) + "?" + k->id + "?"))
            << lines[i];
    }
}

// Changes made to the entries by hand (a moderator's edit) are counted too.
void fEditByHand(const fs::path& data, const std::string& sql) {
    if (!fCurrentDatabase().empty()) {
        ASSERT_EQ(fSql(fCurrentDatabase(), sql), "");
        return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data / "ranking.sqlite3").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace

TEST_P(RankingPages, EveryRankShownIsTheEntrysRankInTheWholeRanking) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    std::vector<SKnown> known;
    if (fOnSqlite()) {
        CSqliteRankingStore store(data);
        known = fFill(store, 120);
    } else {
        CPostgresConnections connections(fCurrentDatabase(), 1);
        CPostgresRankingStore store(connections);
        known = fFill(store, 120);
    }
    fEditByHand(data, "DELETE FROM entries WHERE id = '" + known[4].id +
                          "'; UPDATE entries SET score = 256,"
                          " registered_at = 1700000000 WHERE id = '" +
                          known[7].id + "'");
    known.erase(known.begin() + 4);
    known[6].score = 256;
    known[6].date = 1700000000;

    SServerOptions options = fTestOptions(data, fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    options.gameListSize = 7;
    CRankingServer server(options);
    fExpectEveryPage(server.fPort(), known);
    fExpectGameList(server.fPort(), known, 7);

    // An upload below the best seven, then one above them all: each is told its rank, and the game's list
    // follows the second.
    int stored = 1000;
    for (const int score : {256, 400000000}) {
        const std::string name = "up" + std::to_string(stored);
        const std::string reply =
            fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?" + name + "?" + std::to_string(score)),
                  fMakeSyntheticReplay(temp.fPath() / "make", 10, stored))
                .body;
        EXPECT_EQ(reply, "UploadSuccess?" + std::to_string(fRankOf(known, score)));
        const std::string newest = fHttp("GET", "http://127.0.0.1:" + std::to_string(server.fPort()) +
                                                    "/api/ranking?sort=date&limit=1")
                                       .body;
        const std::size_t at = newest.find("\"replayId\":\"");
        ASSERT_NE(at, std::string::npos) << newest;
        known.push_back({newest.substr(at + 12, 32), name, score, 4000000000, stored++}); // newer than all
        fExpectGameList(server.fPort(), known, 7);
    }
    fExpectEveryPage(server.fPort(), known);
}

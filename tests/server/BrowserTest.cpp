// The ranking's web pages in a real browser: headless Chromium renders "/", and the rows, their order, a
// name written in HTML and a download link are read back from the page it built; then an entry's page, with
// what its check saw of the run and the picture of its result screen; and both pages in the language the
// browser asks for or the query names.
#include "ServerTestSupport.h"
#include "base/FieldText.h"

#include <fcntl.h>
#include <thread>

using namespace servertest;

class RankingWebPage : public CStoreTest {};
TAVONI_ON_BOTH_STORES(RankingWebPage);

namespace {

std::string fFindChromium() {
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

// The DOM as Chromium built it, or empty after a minute. `acceptLanguage` is the browser's language list.
std::string fDumpDom(const std::string& chromium, const std::string& url, const fs::path& work,
                     const std::string& acceptLanguage = "ja") {
    const fs::path out = work / "dom.html";
    std::vector<std::string> args{chromium,
                                  "--headless",
                                  "--no-sandbox",
                                  "--disable-gpu",
                                  "--no-first-run",
                                  "--user-data-dir=" + (work / "profile").string(),
                                  "--accept-lang=" + acceptLanguage,
                                  "--dump-dom",
                                  url};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(file, 1);
        ::dup2(null, 2);
        ::setpgid(0, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fReadFile(out);
}

struct SRow {
    int rank;
    std::string name;
    int score;
    std::string link;
};

std::vector<SRow> fRows(const std::string& dom) {
    std::vector<SRow> rows;
    const std::regex row("<tr><td class=\"rank\">([0-9]+)</td><td class=\"name\"><a "
                         "href=\"/entry/[0-9a-f]{32}\">(.*?)</a></td>"
                         "<td class=\"score\">([0-9]+)</td><td class=\"date\">[^<]*</td><td "
                         "class=\"wide\"><a class=\"replay\" "
                         "href=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(dom.begin(), dom.end(), row); it != std::sregex_iterator(); ++it) {
        rows.push_back({std::stoi((*it)[1]), (*it)[2], std::stoi((*it)[3]), (*it)[4]});
    }
    return rows;
}

} // namespace

TEST_P(RankingWebPage, RendersInABrowser) {
    const std::string chromium = fFindChromium();
    if (chromium.empty()) {
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    }
    CTempFolder temp;
    const struct {
        std::string name;
        int score;
    } uploads[] = {{"Pelka", 300}, {"<b>bold</b>", 500}, {"Tosca&Co", 100}, {"Varno", 300}};
    std::vector<std::string> replays;
    for (int i = 0; i < 4; ++i) {
        replays.push_back(fMakeSyntheticReplay(temp.fPath() / "make", 5 + i, i));
    }
    CRankingServer server(
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    for (int i = 0; i < 4; ++i) {
        std::string encoded;
        for (const char c : uploads[i].name) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            encoded += hex;
        }
        ASSERT_TRUE(fHttp("POST",
                          fScriptUrl(server.fPort(),
                                     "UploadRanking?" + encoded + "?" + std::to_string(uploads[i].score)),
                          replays[i])
                        .body.starts_with("UploadSuccess?"));
    }

    const std::string dom = fDumpDom(chromium, base + "/", temp.fPath());
    const std::vector<SRow> rows = fRows(dom);
    ASSERT_EQ(rows.size(), 4u) << dom;
    const int ranks[] = {1, 2, 2, 4};
    const char* names[] = {"&lt;b&gt;bold&lt;/b&gt;", "Pelka", "Varno", "Tosca&amp;Co"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].rank, ranks[i]);
        EXPECT_EQ(rows[i].name, names[i]); // the browser shows the name's characters, not an element
    }
    EXPECT_EQ(dom.find("<b>"), std::string::npos);
    EXPECT_EQ(dom.find("http://"), std::string::npos) << "the page loads nothing from elsewhere";
    EXPECT_EQ(dom.find("https://"), std::string::npos);

    // Each link gives its replay's bytes.
    const SHttpReply file = fHttp("GET", base + rows[0].link);
    EXPECT_EQ(file.status, 200);
    EXPECT_TRUE(file.body == replays[1]);

    // By date: the latest upload first, every entry with its rank by score.
    const std::vector<SRow> byDate = fRows(fDumpDom(chromium, base + "/?sort=date", temp.fPath()));
    ASSERT_EQ(byDate.size(), 4u);
    EXPECT_EQ(byDate[0].name, "Varno");
    EXPECT_EQ(byDate[0].rank, 2);
    EXPECT_EQ(byDate[3].name, "Pelka");
    EXPECT_EQ(byDate[3].rank, 2);
}

TEST_P(RankingWebPage, EntryPageShowsTheRunAndItsResultPictureOnceItIsPainted) {
    const std::string chromium = fFindChromium();
    if (chromium.empty()) {
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    }
    CTempFolder temp;
    const fs::path picture = temp.fPath() / "picture.png";
    const fs::path release = temp.fPath() / "release";
    const fs::path quiet = temp.fPath() / "quiet";
    const fs::path niceness = temp.fPath() / "niceness";
    const std::string png = fMakePng(640, 480);
    std::ofstream(picture, std::ios::binary) << png;
    // The stand-in game reports a run as the game does; asked for the result screen, it waits for the test's
    // word before it paints, which shows that the upload's answer does not wait for the picture.
    const fs::path game =
        fWriteFakeGame(temp.fPath() / "game.sh", "case \" $* \" in *\" --result-screenshot \"*)\n"
                                                 "  nice > '" +
                                                     niceness.string() +
                                                     "'\n"
                                                     "  while [ ! -f '" +
                                                     release.string() +
                                                     "' ]; do sleep 0.05; done\n"
                                                     "  cp '" +
                                                     picture.string() +
                                                     "' result.png; exit 0;;\nesac\n"
                                                     "[ -f '" +
                                                     quiet.string() +
                                                     "' ] && exit 0\n"
                                                     "echo 'replay upload.replay: 5400 frames, score 30, 1 "
                                                     "ms (1 frames/s)'\necho 'digest 0123456789abcdef'\n"
                                                     "echo 'stats kills 1,2,3,0,0,4 multi 2 faints 1 dishes "
                                                     "3 combo 2 rank 4 shots 1,0,0,0 swaps 0 grounds "
                                                     "1000 eaten 3,0,3'");
    const fs::path data = temp.fPath() / "data";
    CRankingServer server(fTestOptions(data, game));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Pelka?30"),
                    fMakeSyntheticReplay(temp.fPath() / "make", 5, 1))
                  .body,
              "UploadSuccess?1");
    const std::vector<std::string> list =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    ASSERT_EQ(list.size(), 1u);
    const std::string id(fSplitFields(list[0], '?')[2]);
    const std::string page = base + "/entry/" + id;
    EXPECT_NE(fHttp("GET", base + "/api/ranking")
                  .body.find("\"frames\":5400,\"dishes\":3,\"kills\":10,\"maxRank\":4,\"faints\":1,"
                             "\"eaten\":[3,0,3],\"page\":\"/entry/" +
                             id + "\"}"),
              std::string::npos);
    // The list links to the page.
    EXPECT_NE(fDumpDom(chromium, base + "/", temp.fPath()).find("<a href=\"/entry/" + id + "\">Pelka</a>"),
              std::string::npos);

    // Before its picture: the run as the check saw it, the dishes' pictures, and a notice.
    std::string dom = fDumpDom(chromium, page, temp.fPath());
    EXPECT_NE(dom.find("<dd id=\"rank\">1 位</dd>"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<dd id=\"dishes\">3 品</dd>"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<dd id=\"max-rank\">4</dd>"), std::string::npos) << dom;
    const std::regex dishImage("<img src=\"(/dishes/[0-9]\\.png)\"");
    std::vector<std::string> dishes;
    for (auto it = std::sregex_iterator(dom.begin(), dom.end(), dishImage); it != std::sregex_iterator();
         ++it) {
        dishes.push_back((*it)[1]);
    }
    EXPECT_EQ(dishes, (std::vector<std::string>{"/dishes/3.png", "/dishes/0.png", "/dishes/3.png"}));
    for (const std::string& dish : dishes) {
        EXPECT_TRUE(fHttp("GET", base + dish).body.starts_with("\x89PNG")) << dish;
    }
    EXPECT_NE(dom.find("id=\"result-notice\""), std::string::npos);
    EXPECT_EQ(fHttp("GET", page + "/result.png").status, 404);

    // Painted: the page shows it, and its address gives it.
    std::ofstream(release) << "go";
    SHttpReply shown;
    for (int i = 0; i < 1200 && shown.status != 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        shown = fHttp("GET", page + "/result.png");
    }
    ASSERT_EQ(shown.status, 200);
    EXPECT_TRUE(shown.body == png);
    EXPECT_EQ(fReadFile(niceness), "10\n"); // painted after the checks when the processors are busy
    dom = fDumpDom(chromium, page, temp.fPath());
    EXPECT_NE(dom.find("<img id=\"result\" src=\"/entry/" + id + "/result.png\""), std::string::npos) << dom;
    EXPECT_EQ(dom.find("id=\"result-notice\""), std::string::npos);

    // A damaged picture, then none: the page says so, and the picture's address answers 404.
    std::string damaged = png;
    damaged[damaged.size() / 2] ^= 0x01;
    const struct {
        std::string sqlite;
        std::string postgres;
        const char* notice;
    } spoils[] = {
        {damaged, "UPDATE result_pictures SET png = overlay(png placing '\\x00'::bytea from 300)", "壊れて"},
        {"", "DELETE FROM result_pictures", "画像はありません"},
    };
    for (const auto& spoil : spoils) {
        if (fOnSqlite()) {
            const fs::path file = data / "results" / (id + ".png");
            ASSERT_TRUE(fs::exists(file));
            if (spoil.sqlite.empty()) {
                fs::remove(file);
            } else {
                std::ofstream(file, std::ios::binary | std::ios::trunc) << spoil.sqlite;
            }
        } else {
            ASSERT_EQ(fSql(fCurrentDatabase(), spoil.postgres), "");
        }
        const SHttpReply answer = fHttp("GET", page);
        EXPECT_EQ(answer.status, 200);
        EXPECT_NE(answer.body.find(spoil.notice), std::string::npos) << answer.body;
        EXPECT_EQ(answer.body.find("id=\"result\""), std::string::npos);
        EXPECT_EQ(fHttp("GET", page + "/result.png").status, 404);
    }

    // A game that tells nothing of the run: the entry says it is not known, as for entries from before.
    std::ofstream(quiet) << "quiet";
    ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Varno?20"),
                    fMakeSyntheticReplay(temp.fPath() / "make", 6, 2))
                  .body,
              "UploadSuccess?2");
    EXPECT_NE(
        fHttp("GET", base + "/api/ranking")
            .body.find("\"frames\":null,\"dishes\":null,\"kills\":null,\"maxRank\":null,\"faints\":null,"
                       "\"eaten\":null"),
        std::string::npos);

    // Only ids of our shape and only the ten dishes are asked for.
    const struct {
        std::string path;
        long status;
    } asked[] = {
        {"/entry/" + std::string(32, 'a'), 404}, {"/entry/" + std::string(32, 'a') + "/result.png", 404},
        {"/entry/..%2f..%2fetc%2fpasswd", 400},  {"/entry/" + id.substr(1) + "/result.png", 400},
        {"/entry/" + id + "/replay", 400},       {"/dishes/10.png", 404},
        {"/dishes/..%2f..%2fsetting.dat", 404},  {"/dishes/0.gif", 404},
    };
    for (const auto& a : asked) {
        EXPECT_EQ(fHttp("GET", base + a.path).status, a.status) << a.path;
    }
}

TEST_P(RankingWebPage, SpeaksTheBrowsersLanguageOrTheOneAskedForWithALinkToTheOther) {
    const std::string chromium = fFindChromium();
    if (chromium.empty()) {
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    }
    CTempFolder temp;
    const fs::path game = fWriteFakeGame(
        temp.fPath() / "game.sh", "echo 'replay upload.replay: 5400 frames, score 30, 1 ms (1 frames/s)'\n"
                                  "echo 'digest 0123456789abcdef'\n"
                                  "echo 'stats kills 1,0,0,0,0,0 multi 0 faints 0 dishes 1 combo 1 rank 1 "
                                  "shots 1,0,0,0 swaps 0 grounds 1000 eaten 1'");
    CRankingServer server(fTestOptions(temp.fPath() / "data", game));
    const std::string base = "http://127.0.0.1:" + std::to_string(server.fPort());
    ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Pelka?30"),
                    fMakeSyntheticReplay(temp.fPath() / "make", 5, 1))
                  .body,
              "UploadSuccess?1");
    const std::string id(
        fSplitFields(fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body)[0], '?')[2]);
    const std::string json = fHttp("GET", base + "/api/ranking").body;

    // What each page shows, by the browser's list and by the query.
    const struct {
        std::string browser;
        std::string query;
        bool english;
    } cases[] = {
        {"en-US,en", "", true},       {"ja", "", false},
        {"fr-FR,ja", "", false},      {"de,en;q=0.2", "", true},
        {"en-GB", "?lang=ja", false}, {"ja", "?lang=en", true},
    };
    for (const auto& c : cases) {
        const std::string list = fDumpDom(chromium, base + "/" + c.query, temp.fPath(), c.browser);
        const std::string entry =
            fDumpDom(chromium, base + "/entry/" + id + c.query, temp.fPath(), c.browser);
        const std::string why = c.browser + " " + c.query;
        EXPECT_NE(list.find(c.english ? "<html lang=\"en\">" : "<html lang=\"ja\">"), std::string::npos)
            << why;
        EXPECT_NE(list.find(c.english ? "<th class=\"rank\">Rank</th>" : "<th class=\"rank\">順位</th>"),
                  std::string::npos)
            << why << list;
        EXPECT_NE(entry.find(c.english ? "<dd id=\"rank\">No. 1</dd>" : "<dd id=\"rank\">1 位</dd>"),
                  std::string::npos)
            << why << entry;
        EXPECT_NE(entry.find(c.english ? "alt=\"Hot dog\"" : "alt=\"ホットドッグ\""), std::string::npos)
            << why;
        // The other language is a link away, on the same page.
        const std::string other = c.english ? "ja" : "en";
        EXPECT_NE(list.find("<a href=\"/?sort=score&amp;page=1&amp;lang=" + other + "\""), std::string::npos)
            << why << list;
        EXPECT_NE(entry.find("<a href=\"/entry/" + id + "?lang=" + other + "\""), std::string::npos) << why;
        // Chosen in the query, the language stays with the links to the entries and back.
        if (!c.query.empty()) {
            EXPECT_NE(list.find("href=\"/entry/" + id + c.query + "\""), std::string::npos) << why << list;
            EXPECT_NE(entry.find("<h1><a href=\"/" + c.query + "\">"), std::string::npos) << why << entry;
        }
    }
    // The JSON has no words: the same whatever the browser asks for.
    const SHttpReply english = fHttp("GET", base + "/api/ranking?lang=en");
    EXPECT_EQ(english.body, json);
}

// The ranking's web page in a real browser: headless Chromium renders "/", and the rows, their order, a
// name written in HTML and a download link are read back from the page it built.
#include "ServerTestSupport.h"

#include <fcntl.h>

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

// The DOM as Chromium built it, or empty after a minute.
std::string fDumpDom(const std::string& chromium, const std::string& url, const fs::path& work) {
    const fs::path out = work / "dom.html";
    std::vector<std::string> args{chromium,         "--headless",
                                  "--no-sandbox",   "--disable-gpu",
                                  "--no-first-run", "--user-data-dir=" + (work / "profile").string(),
                                  "--dump-dom",     url};
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
    const std::regex row(
        "<tr><td class=\"rank\">([0-9]+)</td><td class=\"name\">(.*?)</td><td class=\"score\">"
        "([0-9]+)</td><td class=\"date\">[^<]*</td><td><a class=\"replay\" href=\"([^\"]+)\"");
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

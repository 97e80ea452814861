// What operators see of a running server: its Prometheus metrics (checked by promtool and scraped by a real
// Prometheus), its access log, and /healthz when checks wait with no checker to take them.
#include "CPrometheusText.h"
#include "ServerTestSupport.h"

#include <sys/prctl.h>
#include <thread>

using namespace servertest;

namespace {

constexpr const char* kPromtool = "/usr/bin/promtool";
constexpr const char* kPrometheus = "/usr/bin/prometheus";

// The value of `series` (its name and labels as the server writes them) in a scrape; -1 when absent.
double fValue(const std::string& scrape, const std::string& series) {
    for (const std::string& line : fLines(scrape)) {
        if (line.starts_with(series + " ")) {
            return std::stod(line.substr(series.size() + 1));
        }
    }
    return -1;
}

std::string fScrape(int port) {
    return fHttp("GET", "http://127.0.0.1:" + std::to_string(port) + "/metrics").body;
}

// What promtool says against `text` as metrics; empty when it accepts them.
std::string fPromtoolComplaint(const std::string& text, const fs::path& folder) {
    std::ofstream(folder / "scrape.txt", std::ios::binary) << text;
    const std::string command = std::string(kPromtool) + " check metrics < '" +
                                (folder / "scrape.txt").string() + "' > '" +
                                (folder / "promtool.out").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return status == 0 ? std::string() : "promtool: " + fReadFile(folder / "promtool.out") + "\n" + text;
}

// Whether `holds` comes true within a minute: what the server does after answering (paintings, log lines)
// comes a moment later.
template <typename TCondition> bool fEventually(TCondition holds) {
    for (int i = 0; i < 600; ++i) {
        if (holds()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return holds();
}

// A stand-in game that reaches the score 100 on any replay, and no other.
SServerOptions fScoring100(const CTempFolder& temp) {
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "[ \"$6\" = 100 ]"));
    options.metricsBind = "127.0.0.1:0";
    return options;
}

int fFreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

// An HTTP GET or POST keeping the answer's X-Request-Id.
struct STracedReply {
    long status = 0;
    std::string body;
    std::string requestId;
};
std::size_t fKeepRequestId(char* data, std::size_t size, std::size_t count, void* user) {
    const std::string header(data, size * count);
    std::smatch m;
    if (std::regex_search(header, m, std::regex("^X-Request-Id: ([^\r\n]*)", std::regex::icase))) {
        *static_cast<std::string*>(user) = m[1];
    }
    return size * count;
}
STracedReply fTracedHttp(const std::string& method, const std::string& url) {
    STracedReply reply;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, fCollect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, fKeepRequestId);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.requestId);
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    }
    curl_easy_cleanup(curl);
    return reply;
}

} // namespace

TEST(OperatorView, MetricsCountUploadsChecksAndListsInTheFormatPromtoolAccepts) {
    ASSERT_EQ(::access(kPromtool, X_OK), 0) << "scripts/install-deps installs prometheus (promtool)";
    CTempFolder temp;
    SServerOptions options = fScoring100(temp);
    options.front.uploadsPerHour = 3;
    CRankingServer server(options);
    const int port = server.fPort();
    const std::string before = fScrape(server.fMetricsPort());
    ASSERT_EQ(fPromtoolComplaint(before, temp.fPath()), "");

    const std::string replayA = fMakeSyntheticReplay(temp.fPath() / "a", 10, 1);
    const std::string replayB = fMakeSyntheticReplay(temp.fPath() / "b", 10, 2);
    const struct {
        std::string query;
        const std::string* replay;
        std::string reply;
    } uploads[] = {
        {"UploadRanking?Pelka?100", &replayA, "UploadSuccess?1"},
        {"UploadRanking?Tosca?50", &replayB, "UploadFailed?the replay does not reach the score 50"},
        {"UploadRanking?Tosca?100", &replayA, "UploadFailed?not a replay"}, // cut short below
        {"UploadRanking?Tosca?100", &replayB, "UploadFailed?too many uploads"},
    };
    for (std::size_t i = 0; i < std::size(uploads); ++i) {
        const std::string body = i == 2 ? uploads[i].replay->substr(0, 40) : *uploads[i].replay;
        const SHttpReply reply = fHttp("POST", fScriptUrl(port, uploads[i].query), body);
        EXPECT_TRUE(reply.body.starts_with(uploads[i].reply)) << reply.body;
    }
    const std::string site = "http://127.0.0.1:" + std::to_string(port);
    for (const std::string& url : {site + "/", site + "/?sort=date", site + "/api/ranking",
                                   fScriptUrl(port, "GetRankingList"), fScriptUrl(port, "GetRankingList")}) {
        EXPECT_EQ(fHttp("GET", url).status, 200) << url;
    }
    // The stored entry's picture is painted after its upload was answered (the stand-in paints none).
    std::string after;
    EXPECT_TRUE(fEventually([&] {
        after = fScrape(server.fMetricsPort());
        return fValue(after, "tavoni_ranking_result_picture_duration_seconds_count") == 1;
    }));
    EXPECT_EQ(fPromtoolComplaint(after, temp.fPath()), "");

    const struct {
        const char* series;
        double moved;
    } expected[] = {
        {"tavoni_ranking_uploads_total{outcome=\"accepted\",reason=\"none\"}", 1},
        {"tavoni_ranking_uploads_total{outcome=\"refused\",reason=\"score_not_reached\"}", 1},
        {"tavoni_ranking_uploads_total{outcome=\"refused\",reason=\"not_a_replay\"}", 1},
        {"tavoni_ranking_uploads_total{outcome=\"refused\",reason=\"rate_limited\"}", 1},
        {"tavoni_ranking_uploads_total{outcome=\"error\",reason=\"other\"}", 0},
        {"tavoni_ranking_clients_rate_limited_total", 1},
        // Every upload that reached a checker, the damaged one too; the rate-limited one did not.
        {"tavoni_ranking_check_duration_seconds_count", 3},
        {"tavoni_ranking_check_duration_seconds_bucket{le=\"+Inf\"}", 3},
        {"tavoni_ranking_list_renders_total{list=\"page\"}", 2},
        {"tavoni_ranking_list_renders_total{list=\"json\"}", 1},
        {"tavoni_ranking_list_renders_total{list=\"game\"}", 1},
        {"tavoni_ranking_list_cache_hits_total", 1},
        {"tavoni_ranking_entries_listed", 1},
        {"tavoni_ranking_sandbox_failures_total", 0},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(fValue(after, e.series) - fValue(before, e.series), e.moved) << e.series;
    }
    EXPECT_GT(fValue(after, "tavoni_ranking_check_duration_seconds_sum"), 0);
    EXPECT_EQ(fValue(after, "tavoni_ranking_checks_waiting"), 0);
}

TEST(OperatorView, LabelValuesAndHelpAreEscapedAsTheFormatSays) {
    ASSERT_EQ(::access(kPromtool, X_OK), 0) << "scripts/install-deps installs prometheus (promtool)";
    CTempFolder temp;
    CPrometheusText text;
    text.fFamily("tavoni_test_total", "A help with a \\ and a\nnewline.", "counter");
    text.fSample("tavoni_test_total", {{"why", "a \"quoted\" \\ back\nslash"}}, std::uint64_t{3});
    text.fFamily("tavoni_test_seconds", "A histogram.", "histogram");
    text.fHistogram("tavoni_test_seconds", {0.1, 2.5}, {1, 3, 4}, 7.25);
    EXPECT_EQ(fPromtoolComplaint(text.fText(), temp.fPath()), "");
    EXPECT_NE(text.fText().find("# HELP tavoni_test_total A help with a \\\\ and a\\nnewline.\n"),
              std::string::npos);
    EXPECT_NE(text.fText().find("tavoni_test_total{why=\"a \\\"quoted\\\" \\\\ back\\nslash\"} 3\n"),
              std::string::npos)
        << text.fText();
    EXPECT_NE(text.fText().find("tavoni_test_seconds_bucket{le=\"+Inf\"} 4\ntavoni_test_seconds_sum 7.25\n"
                                "tavoni_test_seconds_count 4\n"),
              std::string::npos)
        << text.fText();
}

TEST(OperatorView, ARealPrometheusScrapesTheMetrics) {
    if (::access(kPrometheus, X_OK) != 0) {
        GTEST_SKIP() << kPrometheus << " is not installed";
    }
    CTempFolder temp;
    CRankingServer server(fScoring100(temp));
    const std::string site = "http://127.0.0.1:" + std::to_string(server.fPort());
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(fHttp("GET", site + "/api/ranking").status, 200);
    }
    const int prometheusPort = fFreePort();
    std::ofstream(temp.fPath() / "prometheus.yml")
        << "global:\n  scrape_interval: 1s\nscrape_configs:\n  - job_name: tavoni\n    static_configs:\n"
        << "      - targets: ['127.0.0.1:" << server.fMetricsPort() << "']\n";
    const std::vector<std::string> args{
        kPrometheus, "--config.file=" + (temp.fPath() / "prometheus.yml").string(),
        "--storage.tsdb.path=" + (temp.fPath() / "tsdb").string(),
        "--web.listen-address=127.0.0.1:" + std::to_string(prometheusPort), "--log.level=warn"};
    const std::string log = (temp.fPath() / "prometheus.log").string();
    const pid_t prometheus = ::fork();
    if (prometheus == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ASSERT_GT(prometheus, 0);
    const std::string query = "http://127.0.0.1:" + std::to_string(prometheusPort) +
                              "/api/v1/query?query=tavoni_ranking_list_renders_total%7Blist%3D%22json%22%7D";
    std::string answer;
    const bool scraped = fEventually([&] {
        answer = fHttp("GET", query).body;
        return std::regex_search(answer, std::regex("\"job\":\"tavoni\".*\"value\":\\[[0-9.]+,\"3\"\\]"));
    });
    ::kill(prometheus, SIGTERM);
    ::waitpid(prometheus, nullptr, 0);
    EXPECT_TRUE(scraped) << answer << "\n" << fReadFile(log);
}

TEST(OperatorView, AccessLogHasOneLinePerRequestWithItsRouteStatusBytesTimeAndId) {
    CTempFolder temp;
    SServerOptions options = fScoring100(temp);
    options.front.accessLog = temp.fPath() / "access.log";
    CRankingServer server(options);
    const std::string site = "http://127.0.0.1:" + std::to_string(server.fPort());
    const struct {
        const char* method;
        std::string url;
        const char* route;
        long status;
    } requests[] = {
        {"GET", site + "/?sort=date&page=1", "/", 200},
        {"GET", site + "/entry/0123456789abcdef0123456789abcdef?from=mail", "/entry/{id}", 404},
        {"POST", fScriptUrl(server.fPort(), "GetRankingList"),
         "/cgi-bin/tavoni103/ranking.cgi?GetRankingList", 200},
        {"GET", site + "/no%20such/place%0a?token=secret", "/no%20such/place%0a", 404},
        {"DELETE", site + "/healthz", "/healthz", 405},
    };
    std::vector<STracedReply> replies;
    for (const auto& r : requests) {
        replies.push_back(fTracedHttp(r.method, r.url));
        EXPECT_EQ(replies.back().status, r.status) << r.url;
        EXPECT_TRUE(std::regex_match(replies.back().requestId, std::regex("[0-9a-f]{8}"))) << r.url;
    }
    // Each line is written once its answer is out, a moment after the client has it.
    std::vector<std::string> lines;
    EXPECT_TRUE(fEventually([&] {
        lines = fLines(fReadFile(options.front.accessLog));
        return lines.size() >= std::size(requests);
    }));
    ASSERT_EQ(lines.size(), std::size(requests));
    const std::regex format("20[0-9]{2}-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}Z "
                            "127\\.0\\.0\\.1 ([A-Z]+) (\\S+) ([0-9]{3}) ([0-9]+) ([0-9]+) ([0-9a-f]{8})");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, format)) << lines[i];
        EXPECT_EQ(m[1], requests[i].method) << lines[i];
        EXPECT_EQ(m[2], requests[i].route) << lines[i];
        EXPECT_EQ(std::stol(m[3]), requests[i].status) << lines[i];
        EXPECT_EQ(std::stoul(m[4]), replies[i].body.size()) << lines[i];
        EXPECT_EQ(m[6], replies[i].requestId) << lines[i];
    }

    // After a log rotation moved the file away, the server writes to a new one once told (SIGHUP).
    fs::rename(options.front.accessLog, temp.fPath() / "access.log.1");
    server.fReopenLogs();
    EXPECT_EQ(fHttp("GET", site + "/healthz").status, 200);
    EXPECT_TRUE(fEventually([&] { return fLines(fReadFile(options.front.accessLog)).size() == 1; }));
    EXPECT_EQ(fLines(fReadFile(temp.fPath() / "access.log.1")).size(), std::size(requests));
}

TEST(OperatorView, HealthIsDegradedWhileChecksWaitAndNoCheckerTakesThem) {
    std::string why;
    const std::string database = CPostgresCluster::fShared().fNewDatabase(why);
    ASSERT_FALSE(database.empty()) << "no PostgreSQL for this test: " << why;
    CTempFolder temp;
    SServerOptions web = fScoring100(temp);
    web.database = database;
    web.role = EServerRole::Web;
    web.checkSeconds = 1;
    web.leaseSeconds = 2;
    CRankingServer node(web);
    const std::string health = "http://127.0.0.1:" + std::to_string(node.fPort()) + "/healthz";
    EXPECT_EQ(fHttp("GET", health).body, "ok\n");

    // A check queued a minute ago that no checker has taken.
    ASSERT_EQ(fSql(database, "INSERT INTO checks (request_id, name, score, digest, queued_at) VALUES"
                             " ('0badc0de', 'Pelka', 100, repeat('a', 64), now() - interval '1 minute')"),
              "");
    const SHttpReply stalled = fHttp("GET", health);
    EXPECT_EQ(stalled.status, 503);
    EXPECT_TRUE(std::regex_match(
        stalled.body, std::regex("1 check\\(s\\) waiting, the oldest for 6[0-9] s, and no checker has "
                                 "taken one within 2 s\n")))
        << stalled.body;
    const std::string scrape = fScrape(node.fMetricsPort());
    EXPECT_EQ(fValue(scrape, "tavoni_ranking_checks_waiting"), 1);
    EXPECT_GE(fValue(scrape, "tavoni_ranking_oldest_waiting_check_seconds"), 60);

    // A checker comes and takes it: the node is well again.
    SServerOptions checker = fScoring100(temp);
    checker.database = database;
    checker.role = EServerRole::Checker;
    checker.metricsBind.clear();
    checker.checkSeconds = 1;
    checker.leaseSeconds = 2;
    CRankingServer checking(checker);
    EXPECT_TRUE(fEventually([&] { return fHttp("GET", health).status == 200; }));
}

TEST(OperatorView, GamesThatCannotStartAndConnectionsTurnedAwayAreCounted) {
    CTempFolder temp;
    // A game whose interpreter is missing cannot be executed: neither for its version nor for a check.
    const fs::path game = temp.fPath() / "game.sh";
    std::ofstream(game) << "#!/nonexistent/sh\nexit 0\n";
    fs::permissions(game, fs::perms::owner_all);
    SServerOptions options = fTestOptions(temp.fPath() / "data", game);
    options.metricsBind = "127.0.0.1:0";
    options.front.maxConnectionsPerAddress = 1;
    CRankingServer server(options);
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "a", 10, 1);
    EXPECT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Pelka?100"), replay).body,
              "UploadFailed?the game could not be started");
    std::string scrape = fScrape(server.fMetricsPort());
    EXPECT_EQ(fValue(scrape, "tavoni_ranking_sandbox_failures_total"), 2);
    EXPECT_EQ(fValue(scrape, "tavoni_ranking_uploads_total{outcome=\"error\",reason=\"check_failed\"}"), 1);

    // One connection from an address is all it may hold; a second one is closed at once.
    const int held = fConnectFrom(server.fPort(), "127.0.0.9");
    ASSERT_GE(held, 0);
    EXPECT_EQ(fRawRequest(server.fPort(), "GET / HTTP/1.1\r\nHost: x\r\n\r\n", 0, "127.0.0.9").status, 0);
    EXPECT_TRUE(fEventually([&] {
        scrape = fScrape(server.fMetricsPort());
        return fValue(scrape, "tavoni_ranking_connections_refused_total{reason=\"connection_limit\"}") == 1;
    })) << scrape;
    ::close(held);
}

// What operators see of a running server: its access log, and /healthz when checks wait with no checker to
// take them.
#include "ServerTestSupport.h"

#include <sys/prctl.h>
#include <thread>

using namespace servertest;

namespace {

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
    return options;
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

    // A checker comes and takes it: the node is well again.
    SServerOptions checker = fScoring100(temp);
    checker.database = database;
    checker.role = EServerRole::Checker;
    checker.checkSeconds = 1;
    checker.leaseSeconds = 2;
    CRankingServer checking(checker);
    EXPECT_TRUE(fEventually([&] { return fHttp("GET", health).status == 200; }));
}

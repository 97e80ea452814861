// One hostile client, or a few, must not take the server away from the others: connections held open
// and fed slowly, bodies sent where none belongs, requests framed so that their length is unclear, and
// requests that never finish.
#include "ServerTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <thread>

using namespace servertest;

class HostileClients : public CStoreTest {};
TAVONI_ON_BOTH_STORES(HostileClients);

namespace {

using SClock = std::chrono::steady_clock;

double fSecondsSince(SClock::time_point start) {
    return std::chrono::duration<double>(SClock::now() - start).count();
}

// Enough descriptors for the attackers and, the server being in this process, for its side of them.
void fAllowFiles(rlim_t count) {
    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    if (files.rlim_cur < count) {
        files.rlim_cur = std::min(count, files.rlim_max);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &files), 0);
    }
    ASSERT_GE(files.rlim_cur, count) << "the hard limit of open files is too low for this test";
}

bool fClosedByServer(int fd) {
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

// Slow clients: each connection sends a request line, then a header line every two seconds and never
// ends its request. A connection the server closes is opened again at once.
struct SSlowAttack {
    std::vector<std::string> addresses;
    int connections = 0;
    int seconds = 0;
};
struct SSlowAttackResult {
    int opened = 0;
    int refusedAtOnce = 0;     // closed by the server within the first second
    double slowestRefusal = 0; // seconds from opening to being closed, among those
    int heldAtEnd = 0;         // still open when the attack stopped
    bool couldNotConnect = false;
};

SSlowAttackResult fRunSlowAttack(int port, const SSlowAttack& attack, std::atomic<bool>& established) {
    SSlowAttackResult result;
    struct SSocket {
        int fd = -1;
        std::string from;
        SClock::time_point opened;
        int lines = 0;
    };
    std::vector<SSocket> sockets(static_cast<std::size_t>(attack.connections));
    const auto open = [&](SSocket& s) {
        s.fd = fConnectFrom(port, s.from, false);
        s.opened = SClock::now();
        s.lines = 0;
        result.couldNotConnect = result.couldNotConnect || s.fd < 0;
        ++result.opened;
    };
    const auto feed = [&](SSocket& s) {
        const std::string line = s.lines == 0 ? "GET / HTTP/1.1\r\nHost: tavoni\r\n"
                                              : "X-Slow-" + std::to_string(s.lines) + ": still here\r\n";
        if (::send(s.fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0) {
            ++s.lines;
        }
    };
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        sockets[i].from = attack.addresses[i % attack.addresses.size()];
        open(sockets[i]);
    }
    // The first second: how soon the server turns away the connections it will not hold.
    const SClock::time_point start = SClock::now();
    std::vector<bool> closed(sockets.size(), false);
    while (fSecondsSince(start) < 1.0) {
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (sockets[i].fd < 0 || closed[i]) {
                continue;
            }
            if (sockets[i].lines == 0) {
                feed(sockets[i]);
            }
            if (fClosedByServer(sockets[i].fd)) {
                closed[i] = true;
                ++result.refusedAtOnce;
                result.slowestRefusal = std::max(result.slowestRefusal, fSecondsSince(sockets[i].opened));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    established = true;
    SClock::time_point round = start;
    while (fSecondsSince(start) < attack.seconds) {
        round += std::chrono::seconds(2);
        std::this_thread::sleep_until(std::min(round, start + std::chrono::seconds(attack.seconds)));
        for (SSocket& s : sockets) {
            if (s.fd >= 0 && fClosedByServer(s.fd)) {
                ::close(s.fd);
                s.fd = -1;
            }
            if (s.fd < 0) {
                open(s);
            }
            if (s.fd >= 0) {
                feed(s);
            }
        }
    }
    // Those opened in the last round have had a moment to be turned away.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (SSocket& s : sockets) {
        if (s.fd >= 0) {
            result.heldAtEnd += fClosedByServer(s.fd) ? 0 : 1;
            ::close(s.fd);
        }
    }
    return result;
}

} // namespace

TEST_P(HostileClients, SlowConnectionsDoNotStarveAnotherClient) {
    fAllowFiles(8192);
    CTempFolder temp;
    std::vector<std::string> replays;
    for (int i = 0; i < 10; ++i) {
        replays.push_back(fMakeSyntheticReplay(temp.fPath() / "make", 30 + i, i));
    }
    std::vector<std::string> manyAddresses;
    for (int i = 1; i <= 100; ++i) {
        manyAddresses.push_back("127.0.3." + std::to_string(i));
    }
    // From one address the server keeps a few connections and turns the rest away; from many addresses
    // it holds them all, past the 1,024 descriptors a select() loop can watch.
    const struct {
        const char* name;
        SSlowAttack attack;
        int maxHeld;
    } cases[] = {
        {"one address", {{"127.0.0.1"}, 1100, 20}, 16},
        {"many addresses", {manyAddresses, 800, 10}, 800},
    };
    int uploaded = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder data;
        fNextStoreEmpty();
        CRankingServer server(fTestOptions(data.fPath(), fWriteFakeGame(data.fPath() / "game.sh", "exit 0")));
        const int port = server.fPort();
        std::atomic<bool> established{false};
        SSlowAttackResult attack;
        std::thread attacker([&] { attack = fRunSlowAttack(port, c.attack, established); });
        while (!established) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Another player lists the ranking four times a second and uploads now and then, meanwhile.
        double slowest = 0;
        int requests = 0;
        const SClock::time_point start = SClock::now();
        for (int i = 0; fSecondsSince(start) < c.attack.seconds - 2; ++i) {
            const bool upload = i % 8 == 7;
            const SClock::time_point sent = SClock::now();
            const SHttpReply reply =
                upload ? fHttp("POST",
                               fScriptUrl(port, "UploadRanking?p" + std::to_string(uploaded) + "?" +
                                                    std::to_string(100 + uploaded)),
                               replays[static_cast<std::size_t>(uploaded) % replays.size()], "127.0.0.2")
                       : fHttp("GET", fScriptUrl(port, "GetRankingList"), {}, "127.0.0.2");
            const double took = fSecondsSince(sent);
            slowest = std::max(slowest, took);
            ++requests;
            EXPECT_EQ(reply.status, 200) << (upload ? "upload " : "list ") << i << ": " << reply.body;
            if (upload) {
                EXPECT_TRUE(reply.body.starts_with("UploadSuccess?")) << reply.body;
                ++uploaded;
            }
            EXPECT_LT(took, 1.0) << (upload ? "upload " : "list ") << i;
            std::this_thread::sleep_until(sent + std::chrono::milliseconds(250));
        }
        attacker.join();
        EXPECT_FALSE(attack.couldNotConnect);
        EXPECT_LE(attack.heldAtEnd, c.maxHeld);
        std::printf("[ %s ] %d slow connections opened, %d turned away within %.3f s, %d held at the end; "
                    "%d requests of the other client, slowest %.3f s\n",
                    c.name, attack.opened, attack.refusedAtOnce, attack.slowestRefusal, attack.heldAtEnd,
                    requests, slowest);
    }
}

TEST_P(HostileClients, BodiesWhereNoneBelongsAreRefusedAtOnceAndLeaveUploadsTheirMemory) {
    CTempFolder temp;
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 12, 3);
    CRankingServer server(
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const int port = server.fPort();
    // Forty clients post 8 MiB each to the JSON endpoint, together more than the upload memory, one after
    // the other, and hold back their last byte until the real upload is answered.
    constexpr int kPosters = 40;
    constexpr std::size_t kEightMiB = 8u * 1024 * 1024;
    std::atomic<bool> release{false};
    std::atomic<int> ready{0};
    std::vector<SRawReply> replies(kPosters);
    std::vector<std::thread> posters;
    for (int i = 0; i < kPosters; ++i) {
        posters.emplace_back([&, i] {
            replies[static_cast<std::size_t>(i)] = fRawRequest(
                port,
                "POST /api/ranking HTTP/1.1\r\nHost: tavoni\r\nContent-Length: " + std::to_string(kEightMiB) +
                    "\r\n\r\n",
                kEightMiB, "127.0.1." + std::to_string(i + 1), std::chrono::seconds(60), &release, &ready);
        });
        while (ready < i + 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    const SHttpReply upload = fHttp("POST", fScriptUrl(port, "UploadRanking?real?12"), replay, "127.0.0.2");
    release = true;
    for (std::thread& t : posters) {
        t.join();
    }
    EXPECT_EQ(upload.body, "UploadSuccess?1");
    for (int i = 0; i < kPosters; ++i) {
        EXPECT_EQ(replies[static_cast<std::size_t>(i)].status, 413) << "poster " << i;
    }
}

TEST_P(HostileClients, UnclearFramingAndUnwantedBodiesAreRefusedBeforeTheBodyIsRead) {
    CTempFolder temp;
    CRankingServer server(
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string upload =
        "POST /cgi-bin/tavoni103/ranking.cgi?UploadRanking?a?10 HTTP/1.1\r\nHost: t\r\n";
    const std::string list = "POST /cgi-bin/tavoni103/ranking.cgi?GetRankingList HTTP/1.1\r\nHost: t\r\n";
    const std::string json = "POST /api/ranking HTTP/1.1\r\nHost: t\r\n";
    // No body is sent after these heads unless `body` says so: every answer must come without it.
    const struct {
        std::string head;
        std::size_t body;
        std::vector<int> statuses;
    } cases[] = {
        {json + "Content-Length: 5\r\nContent-Length: 6\r\n\r\n", 5, {400}},
        {upload + "Content-Length: 100\r\nContent-Length: 200\r\n\r\n", 0, {400}},
        {upload + "Transfer-Encoding: gzip\r\n\r\n", 0, {400, 501}},
        {upload + "Transfer-Encoding: gzip, chunked\r\n\r\n", 0, {400, 501}},
        {upload + "Transfer-Encoding: chunked\r\nContent-Length: 10\r\n\r\n", 0, {400}},
        {upload + "Content-Length: 8388609\r\n\r\n", 0, {413}},
        {json + "Content-Length: 8388608\r\n\r\n", 0, {413}},
        {"GET / HTTP/1.1\r\nHost: t\r\nContent-Length: 1000\r\n\r\n", 0, {413}},
        {list + "Content-Length: 1048576\r\n\r\n", 0, {413}},
        // The game's list request may carry a small stray body; it is still answered.
        {list + "Content-Length: 5\r\n\r\n", 5, {200}},
    };
    for (const auto& c : cases) {
        const SRawReply reply =
            fRawRequest(server.fPort(), c.head, c.body, "127.0.0.1", std::chrono::seconds(5));
        EXPECT_NE(std::find(c.statuses.begin(), c.statuses.end(), reply.status), c.statuses.end())
            << reply.status << " for " << c.head;
        EXPECT_LT(reply.seconds, 1.0) << c.head;
    }
}

TEST_P(HostileClients, RequestStillArrivingAtTheDeadlineIsCutOff) {
    CTempFolder temp;
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0"));
    options.front.requestSeconds = 2;
    CRankingServer server(options);
    const std::string json = "GET /api/ranking HTTP/1.1\r\n";
    // Pieces sent 0.3 s apart, each alone within the daemon's idle timeout.
    const struct {
        const char* name;
        std::vector<std::string> pieces;
        int answers;
        bool cut;
    } cases[] = {
        {"headers trickling",
         {json, "Host: t\r\n", "X-A: 1\r\n", "X-B: 1\r\n", "X-C: 1\r\n", "X-D: 1\r\n", "X-E: 1\r\n",
          "X-F: 1\r\n", "X-G: 1\r\n", "X-H: 1\r\n", "X-I: 1\r\n", "X-J: 1\r\n", "X-K: 1\r\n", "X-L: 1\r\n",
          "X-M: 1\r\n", "\r\n"},
         0,
         true},
        {"body trickling",
         {"POST /cgi-bin/tavoni103/ranking.cgi?UploadRanking?a?10 HTTP/1.1\r\nHost: t\r\nContent-Length: "
          "14\r\n\r\n",
          "P", "K", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x", "x"},
         0,
         true},
        // Each request within the limit: the clock starts again after an answer.
        {"two requests on one connection",
         {json, "Host: t\r\n", "X-A: 1\r\n", "X-B: 1\r\n", "\r\n", json, "Host: t\r\n", "X-A: 1\r\n",
          "X-B: 1\r\n", "\r\n"},
         2,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int fd = fConnectFrom(server.fPort());
        ASSERT_GE(fd, 0);
        const SClock::time_point start = SClock::now();
        std::string said;
        double closedAfter = -1;
        for (std::size_t i = 0; i < c.pieces.size() && closedAfter < 0; ++i) {
            ::send(fd, c.pieces[i].data(), c.pieces[i].size(), MSG_NOSIGNAL);
            const SClock::time_point next = SClock::now() + std::chrono::milliseconds(300);
            while (SClock::now() < next && closedAfter < 0) {
                pollfd watch{fd, POLLIN, 0};
                if (::poll(&watch, 1, 20) > 0) {
                    char buffer[4096];
                    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                    if (got > 0) {
                        said.append(buffer, static_cast<std::size_t>(got));
                    } else {
                        closedAfter = fSecondsSince(start);
                    }
                }
            }
        }
        ::close(fd);
        int answers = 0;
        for (std::size_t at = said.find("HTTP/1.1 "); at != std::string::npos;
             at = said.find("HTTP/1.1 ", at + 1)) {
            ++answers;
        }
        EXPECT_EQ(answers, c.answers) << said;
        if (c.cut) {
            EXPECT_GE(closedAfter, 1.5);
            EXPECT_LE(closedAfter, 3.5);
        } else {
            EXPECT_LT(closedAfter, 0) << "closed while its requests were on time";
        }
    }
}

TEST_P(HostileClients, SlowChecksHoldUpNoOtherClient) {
    CTempFolder temp;
    constexpr int kUploads = 6;
    std::vector<std::string> replays;
    for (int i = 0; i < kUploads; ++i) {
        replays.push_back(fMakeSyntheticReplay(temp.fPath() / "make", 40 + i, i));
    }
    // Each check takes 3 s, and there are more uploads than HTTP threads.
    SServerOptions options =
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "sleep 3\nexit 0"));
    options.front.threads = 2;
    options.parallelChecks = kUploads;
    CRankingServer server(options);
    const int port = server.fPort();
    std::vector<std::string> replies(kUploads);
    std::atomic<int> done{0};
    std::vector<std::thread> uploaders;
    for (int i = 0; i < kUploads; ++i) {
        uploaders.emplace_back([&, i] {
            const std::size_t k = static_cast<std::size_t>(i);
            replies[k] =
                fHttp("POST",
                      fScriptUrl(port, "UploadRanking?u" + std::to_string(i) + "?" + std::to_string(10 + i)),
                      replays[k], "127.0.4." + std::to_string(i + 1))
                    .body;
            ++done;
        });
    }
    // Another player lists the ranking ten times a second while the checks run.
    double slowest = 0;
    while (done < kUploads) {
        const SClock::time_point sent = SClock::now();
        EXPECT_EQ(fHttp("GET", fScriptUrl(port, "GetRankingList"), {}, "127.0.0.2").status, 200);
        slowest = std::max(slowest, fSecondsSince(sent));
        std::this_thread::sleep_until(sent + std::chrono::milliseconds(100));
    }
    for (std::thread& t : uploaders) {
        t.join();
    }
    EXPECT_LT(slowest, 1.0) << "a list request waited for the checks";
    for (int i = 0; i < kUploads; ++i) {
        EXPECT_TRUE(replies[static_cast<std::size_t>(i)].starts_with("UploadSuccess?"))
            << replies[static_cast<std::size_t>(i)];
    }
}

// What the ranking server's tests share: a plain HTTP client, a server in the test's own process or as
// its own process (to kill it), and a real replay made by playing the game.
#pragma once

#include "CRankingServer.h"
#include "GameRunner.h"
#include "PostgresCluster.h"
#include "SyntheticReplay.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <libpq-fe.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace servertest {

namespace fs = std::filesystem;

struct SHttpReply {
    long status = 0; // 0: no answer
    std::string body;
    std::string headers; // as they came, one "Name: value\r\n" each
};

inline std::size_t fCollect(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// `from`: the local address to send from (any of 127.0.0.0/8 reaches a server on 127.0.0.1), so a test can
// be several clients.
inline SHttpReply fHttp(const std::string& method, const std::string& url, const std::string& body = {},
                        const std::string& from = {}) {
    SHttpReply reply;
    CURL* curl = curl_easy_init();
    if (!from.empty()) {
        curl_easy_setopt(curl, CURLOPT_INTERFACE, ("host!" + from).c_str());
    }
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L); // send "../" as it is
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
    if (method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, fCollect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, fCollect);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return reply;
}

// A TCP connection to the server on 127.0.0.1 from the local address `from`, for what curl would not send;
// -1 when it cannot be made. A non-blocking one may still be connecting when it is returned.
inline int fConnectFrom(int port, const std::string& from = "127.0.0.1", bool blocking = true) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        (::connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0 &&
         errno != EINPROGRESS)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct SRawReply {
    int status = 0;     // of the first answer; 0: none
    double seconds = 0; // from the first byte sent to the answer (or to giving up)
};

// Sends `head`, then `bodyBytes` bytes of body as fast as the server takes them, reading all the while, and
// stops at the first answer's status line. With `release`, the body's last byte waits until it is set; and
// `sentAllButLast` is set once everything before it is out (or an answer came).
inline SRawReply fRawRequest(int port, const std::string& head, std::size_t bodyBytes = 0,
                             const std::string& from = "127.0.0.1",
                             std::chrono::milliseconds limit = std::chrono::seconds(20),
                             const std::atomic<bool>* release = nullptr,
                             std::atomic<int>* sentAllButLast = nullptr) {
    SRawReply reply;
    const int fd = fConnectFrom(port, from);
    if (fd < 0) {
        return reply;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string chunk(64 * 1024, 'x');
    std::string pending = head;
    std::size_t bodyLeft = bodyBytes;
    bool counted = false;
    const auto markReady = [&] {
        if (!counted && sentAllButLast != nullptr) {
            ++*sentAllButLast;
        }
        counted = true;
    };
    std::string said;
    bool sending = true;
    while (std::chrono::steady_clock::now() - start < limit) {
        if (sending && pending.empty() && bodyLeft > 0) {
            const std::size_t sendable = release != nullptr && !*release ? bodyLeft - 1 : bodyLeft;
            if (sendable == 0) {
                markReady();
            } else {
                pending.assign(chunk, 0, std::min(sendable, chunk.size()));
                bodyLeft -= pending.size();
            }
        }
        pollfd watch{fd, static_cast<short>(POLLIN | (sending && !pending.empty() ? POLLOUT : 0)), 0};
        if (::poll(&watch, 1, 20) < 0) {
            break;
        }
        if ((watch.revents & POLLOUT) != 0) {
            const ssize_t sent = ::send(fd, pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                pending.erase(0, static_cast<std::size_t>(sent));
            } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                sending = false; // the server has stopped reading; its answer may still be there
            }
        }
        if ((watch.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[4096];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0) {
                said.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                break;
            }
        }
        if (said.size() >= 12 && said.starts_with("HTTP/1.1 ")) {
            reply.status = std::atoi(said.substr(9, 3).c_str());
            break;
        }
    }
    markReady();
    reply.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    return reply;
}

inline std::string fScriptUrl(int port, const std::string& query) {
    return "http://127.0.0.1:" + std::to_string(port) + "/cgi-bin/tavoni103/ranking.cgi?" + query;
}

inline std::string fReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> fLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1) {
        lines.push_back(text.substr(start, at - start));
    }
    return lines;
}

// A fresh folder for one test, removed afterwards.
class CTempFolder {
public:
    CTempFolder() {
        static int counter = 0;
        mPath = fs::temp_directory_path() /
                ("tavoni-server-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(mPath);
        fs::create_directories(mPath);
    }
    ~CTempFolder() {
        std::error_code ignored;
        fs::remove_all(mPath, ignored);
    }
    const fs::path& fPath() const { return mPath; }

private:
    fs::path mPath;
};

// The store the tests of a parameterized suite run on: each test on SQLite in its own folder, then on
// PostgreSQL in its own database of the binary's cluster. No cluster is a failure, never a skip.
enum class EStore { Sqlite, Postgres };

// The database of the test running now; empty on SQLite.
inline std::string& fCurrentDatabase() {
    static std::string database;
    return database;
}

class CStoreTest : public testing::TestWithParam<EStore> {
protected:
    void SetUp() override {
        fCurrentDatabase().clear();
        if (GetParam() == EStore::Postgres) {
            std::string why;
            fCurrentDatabase() = CPostgresCluster::fShared().fNewDatabase(why);
            ASSERT_FALSE(fCurrentDatabase().empty()) << "no PostgreSQL for this test: " << why;
        }
    }
    void TearDown() override { fCurrentDatabase().clear(); }
    static bool fOnSqlite() { return fCurrentDatabase().empty(); }
    // An empty store for the next server, as a fresh data folder is on SQLite.
    static void fNextStoreEmpty() {
        if (!fOnSqlite()) {
            std::string why;
            fCurrentDatabase() = CPostgresCluster::fShared().fNewDatabase(why);
            ASSERT_FALSE(fCurrentDatabase().empty()) << why;
        }
    }
};

inline std::string fStoreName(const testing::TestParamInfo<EStore>& info) {
    return info.param == EStore::Sqlite ? "Sqlite" : "Postgres";
}

// How test names and failures show the store.
inline void PrintTo(EStore store, std::ostream* out) {
    *out << (store == EStore::Sqlite ? "SQLite" : "PostgreSQL");
}

#define TAVONI_ON_BOTH_STORES(suite)                                                                         \
    INSTANTIATE_TEST_SUITE_P(Stores, suite, testing::Values(EStore::Sqlite, EStore::Postgres), fStoreName)

// The command-line options naming the test's store: its database, or `data` on SQLite.
inline std::vector<std::string> fStoreArgs(const fs::path& data) {
    if (fCurrentDatabase().empty()) {
        return {"--data", data.string()};
    }
    return {"--database", fCurrentDatabase()};
}

// Options for a server on a free loopback port. The sanitizers' shadow memory does not fit an
// address-space limit, so their builds check without one. The real game checks in the sandbox, which the
// server requires; a stand-in written as a shell script needs a shell and the system's tools, which the
// sandbox does not show, and runs without it (those tests are of the server's handling of outcomes).
inline SServerOptions fTestOptions(const fs::path& data, const fs::path& game = TAVONI_BINARY) {
    SServerOptions options;
    options.dataFolder = data;
    options.database = fCurrentDatabase();
    options.game = game;
    options.gameData = TAVONI_SOURCE_DIR;
    options.front.bindAddress = "127.0.0.1";
    options.front.port = 0;
    options.checkMemoryMb = TAVONI_SANITIZED ? 0 : 1024;
    options.checkSeconds = TAVONI_SANITIZED ? 120 : 30;
    options.sandbox = game == fs::path(TAVONI_BINARY) ? ESandboxMode::Require : ESandboxMode::Off;
    return options;
}

// The server binary as a process of its own, so a test can kill it like a power cut would.
class CServerProcess {
public:
    // `listening`: a web server, which says its port; else a checker, which says it is checking. `log`: a
    // file for its log lines, else they go to the test's standard error.
    explicit CServerProcess(const std::vector<std::string>& args, bool listening = true,
                            const fs::path& log = {}) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) {
            throw std::runtime_error("pipe");
        }
        std::vector<std::string> all{TAVONI_SERVER_BINARY, "--bind", "127.0.0.1", "--port", "0"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string logFile = log.string();
        mPid = ::fork();
        if (mPid == 0) {
            if (!logFile.empty()) {
                const int err = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
                ::dup2(err, 2);
            }
            ::dup2(pipeEnds[1], 1);
            ::close(pipeEnds[0]);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(pipeEnds[1]);
        // The server prints its port once it listens.
        std::string said;
        char c = 0;
        while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n') {
            said += c;
        }
        ::close(pipeEnds[0]);
        std::smatch m;
        if (!listening && said == "checking uploads") {
            return;
        }
        if (!std::regex_search(said, m, std::regex("listening on port ([0-9]+)"))) {
            throw std::runtime_error("the server did not start: " + said);
        }
        mPort = std::stoi(m[1]);
    }
    ~CServerProcess() { fKill(SIGTERM); }
    int fPort() const { return mPort; }
    void fKill(int signal) {
        if (mPid > 0) {
            ::kill(mPid, signal);
            ::waitpid(mPid, nullptr, 0);
            mPid = -1;
        }
    }

private:
    pid_t mPid = -1;
    int mPort = 0;
};

inline std::vector<std::string> fWith(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Whether `holds` comes true within two seconds: a node hears of a change made elsewhere a moment later.
template <typename TCondition> bool fSoon(TCondition holds) {
    for (int i = 0; i < 200; ++i) {
        if (holds()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return holds();
}

// The first value `sql` gives, run in the database of `connection`; "error: ..." when it fails.
inline std::string fSql(const std::string& connection, const std::string& sql) {
    PGconn* db = PQconnectdb(connection.c_str());
    PGresult* result = PQexec(db, sql.c_str());
    std::string value;
    if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0) {
        value = PQgetvalue(result, 0, 0);
    } else if (PQresultStatus(result) != PGRES_COMMAND_OK && PQresultStatus(result) != PGRES_TUPLES_OK) {
        value = std::string("error: ") + PQerrorMessage(db);
    }
    PQclear(result);
    PQfinish(db);
    return value;
}

// A PNG of `width` x `height` grey pixels (RGB), each chunk with its CRC: a picture as the game saves one.
inline std::string fMakePng(int width, int height, unsigned char grey = 0x40) {
    const auto bigEndian = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        const std::string body = type + data;
        return bigEndian(static_cast<std::uint32_t>(data.size())) + body +
               bigEndian(static_cast<std::uint32_t>(
                   crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    };
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // no filter
        raw.append(static_cast<std::size_t>(width) * 3, static_cast<char>(grey));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    const std::string header = bigEndian(static_cast<std::uint32_t>(width)) +
                               bigEndian(static_cast<std::uint32_t>(height)) +
                               std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", packed) +
           chunk("IEND", "");
}

// Plays the scripted fight in a copy of the game folder; a new high score leaves its packed replay.
struct SRealReplay {
    std::string bytes;
    int score = -1;
};
inline SRealReplay fPlayRealReplay() {
    CGameFolder folder;
    const std::string script = fReadFile(fs::path(TAVONI_SOURCE_DIR) / "tests/game/input/fight_area4.txt");
    const SGameResult run =
        folder.fRunWithInput(script, {"--no-render", "--seed", "7", "--frames", "8200", "--trace-stage"});
    SRealReplay replay;
    std::smatch end;
    if (run.exitCode != 0 || !std::regex_search(run.out, end, std::regex("stage end: score ([0-9]+)\n"))) {
        ADD_FAILURE() << "the game run failed: " << run.err;
        return replay;
    }
    replay.score = std::stoi(end[1]);
    replay.bytes = folder.fRead("dat/replay/replay");
    return replay;
}

} // namespace servertest

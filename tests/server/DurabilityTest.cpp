// A server killed at any moment (kill -9, like a power cut for the process) keeps every upload it
// acknowledged, and comes back with a sound database and no half-written files.
#include "ServerTestSupport.h"

#include <atomic>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <thread>

using namespace servertest;

class RankingServerDurability : public CStoreTest {};
TAVONI_ON_BOTH_STORES(RankingServerDurability);

namespace {

std::string fIntegrityCheck(const fs::path& database) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}

} // namespace

TEST_P(RankingServerDurability, KilledDuringUploadsLosesNoAcknowledgedUpload) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    const fs::path game = fWriteFakeGame(temp.fPath() / "game.sh", "exit 0");
    std::vector<std::string> replays;
    for (int i = 0; i < 90; ++i) {
        replays.push_back(fMakeSyntheticReplay(temp.fPath() / "make", 1 + i, i));
    }
    std::vector<std::string> args = fStoreArgs(data);
    args.insert(args.end(), {"--game", game.string(), "--check-memory-mb", "0", "--sandbox", "off"});

    std::map<std::string, std::string> acknowledged; // name -> replay bytes
    std::size_t next = 0;
    for (int round = 0; round < 4; ++round) {
        CServerProcess server(args);
        std::mutex mutex;
        std::atomic<int> successes{0};
        std::atomic<bool> stop{false};
        std::vector<std::thread> uploaders;
        for (int t = 0; t < 3; ++t) {
            uploaders.emplace_back([&] {
                for (;;) {
                    std::size_t i = 0;
                    {
                        const std::lock_guard<std::mutex> lock(mutex);
                        if (stop || next >= replays.size()) {
                            return;
                        }
                        i = next++;
                    }
                    const std::string name = "u" + std::to_string(i);
                    const SHttpReply reply = fHttp(
                        "POST", fScriptUrl(server.fPort(), "UploadRanking?" + name + "?" + std::to_string(i)),
                        replays[i]);
                    if (reply.body.starts_with("UploadSuccess?")) {
                        const std::lock_guard<std::mutex> lock(mutex);
                        acknowledged[name] = replays[i];
                        ++successes;
                    }
                }
            });
        }
        // Killed while uploads are still under way; no new one starts after it.
        while (successes < 4 + 2 * round && next < replays.size()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        stop = true;
        server.fKill(SIGKILL);
        for (std::thread& t : uploaders) {
            t.join();
        }
    }
    ASSERT_GE(acknowledged.size(), 28u);

    CServerProcess server(args);
    const std::vector<std::string> lines =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    std::map<std::string, std::string> listed; // name -> replay id
    for (const std::string& line : lines) {
        const std::size_t first = line.find('?');
        const std::size_t second = line.find('?', first + 1);
        const std::size_t third = line.find('?', second + 1);
        listed[line.substr(0, first)] = line.substr(second + 1, third - second - 1);
    }
    for (const auto& [name, bytes] : acknowledged) {
        ASSERT_EQ(listed.count(name), 1u) << name << " was acknowledged but is lost";
        const SHttpReply download =
            fHttp("GET", fScriptUrl(server.fPort(), "DownloadReplay?" + listed[name]));
        EXPECT_TRUE(download.body == bytes) << name;
    }
    if (!fOnSqlite()) {
        return;
    }
    EXPECT_EQ(fIntegrityCheck(data / "ranking.sqlite3"), "ok");
    std::size_t files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(data / "replays")) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, lines.size()); // every file belongs to a listed entry
}

namespace {

// A process that still runs: neither gone nor a zombie waiting for whoever adopted it.
bool fRunning(pid_t pid) {
    const std::string stat = fReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t end = stat.rfind(')');
    return end != std::string::npos && end + 2 < stat.size() && stat[end + 2] != 'Z' && stat[end + 2] != 'X';
}

} // namespace

TEST_P(RankingServerDurability, KilledServerLeavesNoCheckRunning) {
    CTempFolder temp;
    const fs::path pidFile = temp.fPath() / "game.pid";
    // The stand-in game says who it is and then takes its time.
    const fs::path game =
        fWriteFakeGame(temp.fPath() / "game.sh", "echo $$ > '" + pidFile.string() + "'\nexec sleep 30");
    const std::string replay = fMakeSyntheticReplay(temp.fPath() / "make", 10, 5);
    std::vector<std::string> args = fStoreArgs(temp.fPath() / "data");
    args.insert(args.end(), {"--game", game.string(), "--check-memory-mb", "0", "--sandbox", "off"});
    CServerProcess server(args);
    std::thread upload([&] { fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?a?10"), replay); });
    pid_t pid = 0;
    for (int i = 0; i < 1000 && pid <= 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        pid = std::atoi(fReadFile(pidFile).c_str());
    }
    ASSERT_GT(pid, 0) << "the check did not start";
    ASSERT_TRUE(fRunning(pid));
    server.fKill(SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const bool left = fRunning(pid);
    if (left) {
        ::kill(pid, SIGKILL);
    }
    upload.join();
    EXPECT_FALSE(left) << "the game of a check outlived its server";
}

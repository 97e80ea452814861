// Every run of the game on an upload is sandboxed: a stand-in game turned hostile, run through the real
// check, reaches nothing outside its scratch folder and leaves nothing behind; the real game checks and
// paints every corpus replay in the sandbox as it plays it outside; a server requiring the sandbox starts.
#include "CSandbox.h"
#include "PngFile.h"
#include "ServerTestSupport.h"
#include "replay/ReplayFiles.h"

#include <sstream>
#include <thread>

using namespace servertest;

namespace {

// A replay whose key record holds `text`, padded to whole frames.
std::string fReplayHolding(const fs::path& folder, std::string text) {
    text.resize((text.size() / kReplayFrameBytes + 1) * kReplayFrameBytes, '\0');
    fs::create_directories(folder / kReplayFolder);
    std::ofstream(folder / kReplayKeyPath, std::ios::binary) << text;
    fWriteSeedFile((folder / kReplaySeedPath).string(), 1);
    CArchiver::fCompress((folder / "targets.replay").string(), {kReplayKeyPath, kReplaySeedPath}, false,
                         folder.string() + "/");
    return fReadFile(folder / "targets.replay");
}

// The processes running `program`, a moment after any killed ones are gone.
std::vector<std::string> fProcessesOf(const fs::path& program) {
    std::vector<std::string> found;
    for (int i = 0; i < 500; ++i) {
        found.clear();
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            std::string stat;
            try {
                stat = fReadFile(entry.path() / "stat");
            } catch (const std::exception&) {
                continue; // gone meanwhile
            }
            const std::size_t close = stat.rfind(')');
            const bool alive = close != std::string::npos && close + 2 < stat.size() &&
                               stat[close + 2] != 'Z' && stat[close + 2] != 'X';
            if (alive && fs::read_symlink(entry.path() / "exe", error) == program) {
                found.push_back(entry.path().filename().string());
            }
        }
        if (found.empty()) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return found;
}

struct SCorpusReplay {
    std::string name;
    std::string bytes;
    int score = 0;
    std::string digest;
};

// The corpus (tests/replays) with what each replay reaches as the game plays it outside a sandbox; those
// left with Esc aside (a check plays to the end).
std::vector<SCorpusReplay> fCorpusWithDigests() {
    const fs::path corpus = fs::path(TAVONI_SOURCE_DIR) / "tests/replays";
    std::vector<SCorpusReplay> replays;
    std::istringstream manifest(fReadFile(corpus / "manifest.txt"));
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream words(line);
        SCorpusReplay r;
        std::string file, esc;
        int frames = 0;
        if (!line.starts_with("#") && words >> r.name >> file >> esc >> frames >> r.score >> r.digest &&
            esc == "-") {
            r.bytes = fReadFile(corpus / (file + ".replay"));
            replays.push_back(std::move(r));
        }
    }
    return replays;
}

} // namespace

TEST(Sandbox, AGameTurnedHostileReachesNothingAndLeavesNothingBehind) {
    CTempFolder temp;
    const fs::path game = temp.fPath() / "game";
    const fs::path data = temp.fPath() / "data";
    fs::create_directories(game / "dat" / "image");
    std::ofstream(game / "dat" / "image" / "tile.txt") << "a picture";
    const std::string secret = "not-for-checks-" + std::to_string(::getpid());
    ::setenv("TAVONI_TEST_SECRET", secret.c_str(), 1);
    SServerOptions options = fTestOptions(data, TAVONI_ESCAPING_GAME);
    options.gameData = game;
    options.sandbox = ESandboxMode::Require;
    SHttpReply reply;
    {
        CRankingServer server(options);
        const int port = server.fPort();
        // An entry of someone else's, whose replay the check must not read.
        ASSERT_EQ(fHttp("POST", fScriptUrl(port, "UploadRanking?first?10"),
                        fMakeSyntheticReplay(temp.fPath() / "make", 10, 1))
                      .body,
                  "UploadSuccess?1");
        const fs::path stored = fs::directory_iterator(data / "replays")->path();
        const std::string targets = "database=" + (data / "ranking.sqlite3").string() +
                                    "\nreplay=" + stored.string() + "\ndata=" + game.string() +
                                    "\nserver=" + data.string() + "\npid=" + std::to_string(::getpid()) +
                                    "\nport=" + std::to_string(port) + "\nsecret=" + secret + "\n";
        reply = fHttp("POST", fScriptUrl(port, "UploadRanking?second?10"),
                      fReplayHolding(temp.fPath() / "targets", targets));
        // A game that dies of a signal is told apart from one that refuses, through the sandbox too.
        EXPECT_EQ(fHttp("POST", fScriptUrl(port, "UploadRanking?third?10"),
                        fReplayHolding(temp.fPath() / "dies", "die=\n"))
                      .body,
                  "UploadFailed?the game crashed on the replay (signal 9)");
    }
    ::unsetenv("TAVONI_TEST_SECRET");
    const std::string said = "UploadFailed?the game refused the replay: escaped: ";
    ASSERT_TRUE(reply.body.starts_with(said)) << "the stand-in did not try: " << reply.body;
    EXPECT_EQ(reply.body.substr(said.size()), "none")
        << "the stand-in got out these ways: " << reply.body.substr(said.size());
    const std::vector<std::string> left = fProcessesOf(TAVONI_ESCAPING_GAME);
    EXPECT_EQ(left, std::vector<std::string>{}) << "processes of the stand-in outlived its check";
    for (const std::string& pid : left) {
        ::kill(std::stoi(pid), SIGKILL);
    }
}

TEST(Sandbox, EveryCorpusReplayIsCheckedAndPaintedInsideAsOutside) {
    CTempFolder temp;
    SCheckerOptions options;
    options.game = TAVONI_BINARY;
    options.gameData = TAVONI_SOURCE_DIR;
    options.scratchRoot = temp.fPath() / "checks";
    options.timeLimitSeconds = TAVONI_SANITIZED ? 600 : 60;
    options.memoryLimitBytes = TAVONI_SANITIZED ? 0 : 1024ull * 1024 * 1024;
    options.sandbox = ESandboxMode::Require;
    CReplayChecker checker(options);
    const std::vector<SCorpusReplay> corpus = fCorpusWithDigests();
    ASSERT_GE(corpus.size(), 8u);
    const std::atomic<bool> never{false};
    // Two at a time, as the server on two processors would.
    std::vector<std::thread> runs;
    for (std::size_t half = 0; half < 2; ++half) {
        runs.emplace_back([&, half] {
            for (std::size_t i = half; i < corpus.size(); i += 2) {
                const SCorpusReplay& r = corpus[i];
                const SCheckResult check = checker.fCheck(r.bytes, r.score);
                EXPECT_TRUE(check.accepted) << r.name << ": " << check.reason;
                EXPECT_EQ(check.digest, r.digest) << r.name;
                const std::optional<std::string> picture = checker.fPaintResult(r.bytes, r.score, never);
                EXPECT_TRUE(picture && fCheckPng(*picture, 640, 480).empty()) << r.name << " was not painted";
            }
        });
    }
    for (std::thread& run : runs) {
        run.join();
    }
}

TEST(Sandbox, ARequiredSandboxIsOfferedHere) {
    CTempFolder temp;
    const fs::path log = temp.fPath() / "server.log";
    {
        CServerProcess server({"--data", (temp.fPath() / "data").string(), "--sandbox", "require"}, true,
                              log);
        EXPECT_GT(server.fPort(), 0);
    }
    const std::string said = fReadFile(log);
    for (const char* layer :
         {"bubblewrap", "user namespaces", "seccomp filter", "no_new_privs", "processes"}) {
        EXPECT_NE(said.find(layer), std::string::npos) << "the start-up line names no " << layer << ":\n"
                                                       << said;
    }
}

// A server installed or built under /check still finds its game inside: the scratch folder moves aside.
TEST(Sandbox, TheScratchFolderNeverHidesTheGameOrItsLibraries) {
    const struct {
        std::vector<fs::path> shown;
        const char* inside;
    } cases[] = {
        {{"/usr/lib/x86_64-linux-gnu", "/opt/tavoni/bin/tavoni"}, "/check"},
        {{"/check/work/main/build/release/tavoni"}, "/check-1"},
        {{"/usr/lib", "/check"}, "/check-1"},
        {{"/check/lib", "/check-1/tavoni", "/check-2/../check-2/x"}, "/check-3"},
        {{"/checkout/tavoni", "/check-10/tavoni"}, "/check"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fScratchInside(c.shown), c.inside) << c.shown.front();
    }
}

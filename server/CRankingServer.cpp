#include "CRankingServer.h"

#include "CLocalCheckQueue.h"
#include "CPostgresCheckQueue.h"
#include "CPostgresRankingStore.h"
#include "CSqliteRankingStore.h"
#include "ServerLog.h"
#include "base/FieldText.h"
#include "base/GameFolders.h"
#include "base/GameVersion.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: tavoni-ranking-server [options]\n"
    "Serves the online ranking of tavoni: the game's requests at /cgi-bin/tavoni103/ranking.cgi, a web page\n"
    "at /, JSON at /api/ranking and the replays at /replays/<id>. Every upload is checked by playing its\n"
    "replay with the game before it is stored.\n"
    "  --port N              port to listen on (default 8103; 0: any free port, printed at start)\n"
    "  --bind ADDRESS        IPv4 address to listen on (default: every address)\n"
    "  --data DIR            the SQLite database and the replays (default ./ranking-data; made when\n"
    "                        missing)\n"
    "  --database URL        keep the ranking in PostgreSQL instead: a postgresql://... URI or\n"
    "                        \"host=... dbname=...\" words, the rest from the PG* environment variables\n"
    "                        (default: the environment variable TAVONI_RANKING_DATABASE unless --data\n"
    "                        is given, else SQLite)\n"
    "  --role ROLE           all (default): serve and check; web: serve, checks done by checkers;\n"
    "                        checker: check what web nodes queue, no HTTP. web and checker need\n"
    "                        --database\n"
    "  --read-only           maintenance: serve the list, the page and the replays, refuse uploads\n"
    "  --import-sqlite DIR   copy the SQLite ranking in DIR into the --database, then stop\n"
    "  --hide ID --reason TEXT\n"
    "                        take the entry ID off the ranking (kept, shown nowhere), then stop\n"
    "  --unhide ID           show a hidden entry again, then stop\n"
    "  --hidden              list the hidden entries with when and why, then stop\n"
    "  --blocked-names FILE  refuse uploads whose name holds a word of FILE (one a line, any case;\n"
    "                        # starts a comment)\n"
    "  --game PATH           the game binary that checks uploads (default: tavoni beside this program)\n"
    "  --game-data DIR       the game folder holding dat/ (default: the installed share/tavoni beside\n"
    "                        this program, or the checkout of a build tree)\n"
    "  --game-list-size N    the game's list holds the best N entries by score (default 1000; 0: all);\n"
    "                        the web page and the JSON show every entry\n"
    "  --threads N           HTTP threads (default 4)\n"
    "  --checks N            replay checks run at once (default: one per processor)\n"
    "  --check-seconds N     time limit of one check (default 30)\n"
    "  --check-lease-seconds N\n"
    "                        how long a claimed check is its checker's before another may take it\n"
    "                        (default: check seconds + 10); an upload waits up to the lease and the\n"
    "                        check time for its verdict\n"
    "  --check-memory-mb N   address-space limit of one check in MiB (default 1024; 0: none)\n"
    "  --upload-memory-mb N  memory for upload bodies waiting for their check, all together, in MiB\n"
    "                        (default 256; past it an upload is answered \"busy\")\n"
    "  --uploads-per-hour N  uploads one client address may send in an hour (default 30)\n"
    "  --max-connections N   open connections in all (default 4096)\n"
    "  --max-connections-per-ip N\n"
    "                        open connections from one client address (default 16)\n"
    "  --request-seconds N   time a connection has to send a whole request, headers and body, counted\n"
    "                        from its opening or its previous answer; it is closed then (default 30)\n"
    "  --sandbox MODE        how every run of the game on an upload is fenced in: auto (default) with\n"
    "                        every layer this machine offers, each named in the log at start; require:\n"
    "                        refuse to start without all of them; off: with the server's own rights\n"
    "  --version             print the server's version (the game's it was built with) and leave\n"
    "  --metrics-bind ADDRESS:PORT\n"
    "                        serve Prometheus metrics at /metrics on this IPv4 address and port, apart\n"
    "                        from the players' port (default: none)\n"
    "  --access-log FILE     one line per request into FILE, opened again on SIGHUP (default: in the\n"
    "                        server's log)\n"
    "  --help                this text\n";

// An option taking a whole number from `low` to `high`.
struct SNumberOption {
    std::string_view name;
    int low;
    int high;
    int* value;
};

// Strict: digits only, in range; else `message` says why.
bool fReadNumber(const SNumberOption& option, std::string_view text, std::string& message) {
    int value = 0;
    if (!fParseDecimalInt(text, value) || value < option.low || value > option.high) {
        message = "tavoni-ranking-server: " + std::string(option.name) + " needs a whole number from " +
                  std::to_string(option.low) + " to " + std::to_string(option.high) + ", not \"" +
                  std::string(text) + "\"\n";
        return false;
    }
    *option.value = value;
    return true;
}

bool fReadRole(std::string_view text, EServerRole& role, std::string& message) {
    if (text == "all") {
        role = EServerRole::All;
    } else if (text == "web") {
        role = EServerRole::Web;
    } else if (text == "checker") {
        role = EServerRole::Checker;
    } else {
        message = "tavoni-ranking-server: --role is all, web or checker, not \"" + std::string(text) + "\"\n";
        return false;
    }
    return true;
}

// The options taking an address, a folder or a file; false when `name` is none of them.
bool fReadWordOption(std::string_view name, std::string_view value, SServerOptions& options, bool& dataGiven,
                     bool& databaseGiven) {
    if (name == "--bind") {
        options.front.bindAddress = value;
    } else if (name == "--data") {
        options.dataFolder = value;
        dataGiven = true;
    } else if (name == "--database") {
        options.database = value;
        databaseGiven = true;
    } else if (name == "--import-sqlite") {
        options.importSqlite = value;
    } else if (name == "--game") {
        options.game = value;
    } else if (name == "--game-data") {
        options.gameData = value;
    } else if (name == "--metrics-bind") {
        options.metricsBind = value;
    } else if (name == "--access-log") {
        options.front.accessLog = value;
    } else {
        return false;
    }
    return true;
}

// The moderation options; false when `name` is none of them.
bool fReadModerationOption(std::string_view name, std::string_view value, SServerOptions& options) {
    SModeration& moderation = options.moderation;
    if (name == "--hide" || name == "--unhide") {
        moderation.action = name == "--hide" ? SModeration::EAction::Hide : SModeration::EAction::Unhide;
        moderation.id = value;
    } else if (name == "--reason") {
        moderation.reason = value;
    } else if (name == "--blocked-names") {
        options.blockedNames = value;
    } else {
        return false;
    }
    return true;
}

// Empty when the moderation options go together, else why not.
std::string fCheckModeration(const SServerOptions& options, int actions) {
    const SModeration& moderation = options.moderation;
    const bool hide = moderation.action == SModeration::EAction::Hide;
    if (actions > 1 || (actions == 1 && !options.importSqlite.empty())) {
        return "--hide, --unhide, --hidden and --import-sqlite are one at a time";
    }
    if (!moderation.id.empty() && !fIsServerReplayId(moderation.id)) {
        return "\"" + fLogSafe(moderation.id, 80) + "\" is not an entry id (32 hexadecimal digits)";
    }
    if (hide != !moderation.reason.empty()) {
        return hide ? "--hide needs --reason TEXT" : "--reason goes with --hide";
    }
    return hide ? fCheckHideReason(moderation.reason) : std::string();
}

// What holds only for the options together, once all are read.
std::optional<SServerOptions> fCheckTogether(SServerOptions options, bool dataGiven, bool databaseGiven,
                                             int actions, std::string& message) {
    // The environment's database is the default store; a --data on the command line says SQLite.
    const char* environment = std::getenv("TAVONI_RANKING_DATABASE");
    if (!databaseGiven && !dataGiven && environment != nullptr) {
        options.database = environment;
    }
    if (options.database.empty() && (options.role != EServerRole::All || !options.importSqlite.empty())) {
        message = "tavoni-ranking-server: --role web, --role checker and --import-sqlite need --database "
                  "(an SQLite ranking is served by one process)\n";
        return std::nullopt;
    }
    if (const std::string why = fCheckModeration(options, actions); !why.empty()) {
        message = "tavoni-ranking-server: " + why + "\n";
        return std::nullopt;
    }
    if (!options.metricsBind.empty() && !CMetricsFront::fValidBind(options.metricsBind)) {
        message = "tavoni-ranking-server: --metrics-bind needs IPV4-ADDRESS:PORT, not \"" +
                  options.metricsBind + "\"\n";
        return std::nullopt;
    }
    if (options.leaseSeconds != 0 && options.leaseSeconds <= options.checkSeconds) {
        message = "tavoni-ranking-server: --check-lease-seconds must be longer than --check-seconds\n";
        return std::nullopt;
    }
    return options;
}

// Scratch folders of checkers killed before they could clean up, found by their process ids.
void fRemoveScratchOfDeadCheckers() {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::temp_directory_path(), error)) {
        const std::string name = entry.path().filename().string();
        int pid = 0;
        const std::size_t dash = name.find('-', 14);
        if (name.starts_with("tavoni-checks-") && dash != std::string::npos &&
            fParseDecimalInt(std::string_view(name).substr(14, dash - 14), pid) && pid > 0 &&
            ::kill(pid, 0) != 0 && errno == ESRCH) {
            fs::remove_all(entry.path(), error);
        }
    }
}

fs::path fOwnFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

// --help and --version: what to print before leaving; false for any other option.
bool fReadLeaveOption(std::string_view arg, std::string& message) {
    if (arg == "--help" || arg == "-h") {
        message = kUsage;
        return true;
    }
    if (arg == "--version") {
        message = std::string("tavoni-ranking-server ") + fGameVersion() + "\n";
        return true;
    }
    return false;
}

// The options without a value; false for any other.
bool fReadFlag(std::string_view arg, SServerOptions& options, int& actions) {
    if (arg == "--read-only") {
        options.front.readOnly = true;
        return true;
    }
    if (arg == "--hidden") {
        options.moderation.action = SModeration::EAction::List;
        ++actions;
        return true;
    }
    return false;
}

} // namespace

std::optional<SServerOptions> fParseServerOptions(int argc, char** argv, std::string& message,
                                                  int& exitStatus) {
    SServerOptions options;
    exitStatus = 2;
    bool dataGiven = false;
    bool databaseGiven = false;
    int uploadMemoryMb = 0; // 0: not given
    int actions = 0;        // --hide, --unhide and --hidden given
    const SNumberOption numbers[] = {
        {"--port", 0, 65535, &options.front.port},
        {"--threads", 1, 256, &options.front.threads},
        {"--game-list-size", 0, 100000000, &options.gameListSize},
        {"--checks", 1, 256, &options.parallelChecks},
        {"--check-seconds", 1, 3600, &options.checkSeconds},
        {"--check-lease-seconds", 2, 7200, &options.leaseSeconds},
        {"--check-memory-mb", 0, 1048576, &options.checkMemoryMb},
        {"--upload-memory-mb", 1, 65536, &uploadMemoryMb},
        {"--uploads-per-hour", 1, 1000000, &options.front.uploadsPerHour},
        {"--max-connections", 1, 1000000, &options.front.maxConnections},
        {"--max-connections-per-ip", 1, 1000000, &options.front.maxConnectionsPerAddress},
        {"--request-seconds", 1, 3600, &options.front.requestSeconds},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (fReadLeaveOption(arg, message)) {
            exitStatus = 0;
            return std::nullopt;
        }
        if (fReadFlag(arg, options, actions)) {
            continue;
        }
        if (i + 1 >= argc) {
            message =
                "tavoni-ranking-server: unknown option or missing value: " + std::string(arg) + "\n" + kUsage;
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        const auto number = std::find_if(std::begin(numbers), std::end(numbers),
                                         [arg](const SNumberOption& option) { return option.name == arg; });
        if (number != std::end(numbers)) {
            if (!fReadNumber(*number, value, message)) {
                return std::nullopt;
            }
        } else if (arg == "--role") {
            if (!fReadRole(value, options.role, message)) {
                return std::nullopt;
            }
        } else if (arg == "--sandbox") {
            if (!fParseSandboxMode(value, options.sandbox)) {
                message = "tavoni-ranking-server: --sandbox is require, auto or off, not \"" +
                          std::string(value) + "\"\n";
                return std::nullopt;
            }
        } else if (fReadModerationOption(arg, value, options)) {
            actions += arg == "--hide" || arg == "--unhide" ? 1 : 0;
        } else if (!fReadWordOption(arg, value, options, dataGiven, databaseGiven)) {
            message = "tavoni-ranking-server: unknown option " + std::string(arg) + "\n" + kUsage;
            return std::nullopt;
        }
    }
    if (uploadMemoryMb != 0) {
        options.front.uploadMemoryBytes = static_cast<std::size_t>(uploadMemoryMb) * 1024 * 1024;
    }
    return fCheckTogether(std::move(options), dataGiven, databaseGiven, actions, message);
}

CRankingServer::CRankingServer(SServerOptions options) : mOptions(std::move(options)) {
    const bool checks = mOptions.role != EServerRole::Web;
    const bool serves = mOptions.role != EServerRole::Checker;
    if (mOptions.parallelChecks <= 0) {
        mOptions.parallelChecks = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    if (mOptions.leaseSeconds <= 0) {
        mOptions.leaseSeconds = mOptions.checkSeconds + 10;
    }
    if (checks && mOptions.game.empty()) {
        mOptions.game = fOwnFolder() / "tavoni";
    }
    if (checks && mOptions.gameData.empty()) {
        // Found as the game finds it, so an installed server checks with the installed data.
        mOptions.gameData = fFindInstalledData((fOwnFolder() / "tavoni-ranking-server").string());
        if (mOptions.gameData.empty()) {
            throw std::runtime_error("no game data found beside this program: give --game-data DIR");
        }
    }
    if (mOptions.database.empty()) {
        mOptions.dataFolder = fs::absolute(mOptions.dataFolder);
        mStore = std::make_unique<CSqliteRankingStore>(mOptions.dataFolder);
        mQueue = std::make_unique<CLocalCheckQueue>();
    } else {
        // Each HTTP thread and checker may hold one at a time; the uploads waiting for a verdict take one
        // for a moment now and then.
        const int connections =
            (serves ? mOptions.front.threads + 4 : 0) + (checks ? mOptions.parallelChecks : 0);
        mConnections = std::make_unique<CPostgresConnections>(mOptions.database, std::min(connections, 64));
        mStore = std::make_unique<CPostgresRankingStore>(*mConnections);
        mQueue = std::make_unique<CPostgresCheckQueue>(*mConnections);
    }
    if (checks) {
        fStartChecks();
    }
    if (serves) {
        // Long enough for a check whose checker died to be taken again and done.
        mService = std::make_unique<CRankingService>(
            *mStore, *mQueue, std::chrono::seconds(mOptions.leaseSeconds + mOptions.checkSeconds + 5),
            std::chrono::seconds(mOptions.leaseSeconds), mMetrics, mOptions.gameListSize);
        if (!mOptions.blockedNames.empty()) {
            mService->fSetBlockedNames(std::make_unique<CBlockedNames>(mOptions.blockedNames));
        }
        mFront = std::make_unique<CHttpFront>(*mService, mOptions.front, mMetrics);
    }
    if (!mOptions.metricsBind.empty()) {
        fStartMetrics();
    }
}

void CRankingServer::fStartChecks() {
    // Several checkers may share a machine: each has its own scratch folder, none on a web node; outside the
    // data folder, so that not even a check without its sandbox finds the ranking beside it.
    fRemoveScratchOfDeadCheckers();
    static std::atomic<int> servers{0};
    mScratch = fs::temp_directory_path() /
               ("tavoni-checks-" + std::to_string(::getpid()) + "-" + std::to_string(servers++));
    SCheckerOptions checker;
    checker.game = fs::absolute(mOptions.game);
    checker.gameData = fs::absolute(mOptions.gameData);
    checker.scratchRoot = mScratch;
    checker.timeLimitSeconds = mOptions.checkSeconds;
    checker.memoryLimitBytes = static_cast<std::uint64_t>(mOptions.checkMemoryMb) * 1024 * 1024;
    checker.parallelChecks = mOptions.parallelChecks;
    checker.sandbox = mOptions.sandbox;
    checker.metrics = &mMetrics;
    mChecker = std::make_unique<CReplayChecker>(checker);
    mPainter = std::make_unique<CResultPainter>(*mChecker, *mStore, mMetrics);
    mWorkers =
        std::make_unique<CCheckWorkers>(*mQueue, *mStore, *mChecker, mPainter.get(), mOptions.parallelChecks,
                                        std::chrono::seconds(mOptions.leaseSeconds), mMetrics);
}

void CRankingServer::fStartMetrics() {
    // Asked at each scrape, so with PostgreSQL every node shows the whole queue and ranking.
    mMetrics.fSetSampler([this] {
        const CCheckQueue::SWaiting waiting = mQueue->fWaiting(std::chrono::seconds(mOptions.leaseSeconds));
        CServerMetrics::SSampled sampled;
        sampled.checksWaiting = waiting.checks;
        sampled.oldestWaitingSeconds = waiting.oldestSeconds;
        sampled.entriesListed = mStore->fCount();
        sampled.entriesHidden = mStore->fHiddenCount();
        return sampled;
    });
    mMetricsFront = std::make_unique<CMetricsFront>(mMetrics, mOptions.metricsBind);
    const std::string& bind = mOptions.metricsBind;
    fServerLog("metrics at http://" + bind.substr(0, bind.rfind(':')) + ":" +
               std::to_string(mMetricsFront->fPort()) + "/metrics");
}

void CRankingServer::fReopenLogs() {
    if (mFront != nullptr) {
        mFront->fAccessLog().fReopen();
    }
}

std::string CRankingServer::fStoreDescription() const {
    return mConnections != nullptr ? "PostgreSQL database " + mConnections->fDescription()
                                   : "data in " + mOptions.dataFolder.string();
}

CRankingServer::~CRankingServer() {
    // The fronts go first: no request may reach the service once it is being taken down, and the uploads
    // waiting for a verdict get theirs from the checkers, which stop after it.
    mMetricsFront.reset();
    mFront.reset();
    mWorkers.reset();
    mPainter.reset();
    if (mChecker != nullptr) {
        std::error_code ignored;
        fs::remove_all(mScratch, ignored);
    }
}

#include "CRankingServer.h"

#include "base/FieldText.h"
#include "base/GameFolders.h"

#include <cstring>
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
    "  --data DIR            the database and the replays (default ./ranking-data; made when missing)\n"
    "  --game PATH           the game binary that checks uploads (default: tavoni beside this program)\n"
    "  --game-data DIR       the game folder holding dat/ (default: the installed share/tavoni beside\n"
    "                        this program, or the checkout of a build tree)\n"
    "  --threads N           HTTP threads (default 4)\n"
    "  --checks N            replay checks run at once (default: one per processor)\n"
    "  --check-seconds N     time limit of one check (default 30)\n"
    "  --check-memory-mb N   address-space limit of one check in MiB (default 1024; 0: none)\n"
    "  --upload-memory-mb N  memory for upload bodies waiting for their check, all together, in MiB\n"
    "                        (default 256; past it an upload is answered \"busy\")\n"
    "  --uploads-per-hour N  uploads one client address may send in an hour (default 30)\n"
    "  --max-connections N   open connections in all (default 4096)\n"
    "  --max-connections-per-ip N\n"
    "                        open connections from one client address (default 16)\n"
    "  --request-seconds N   time a connection has to send a whole request, headers and body, counted\n"
    "                        from its opening or its previous answer; it is closed then (default 30)\n"
    "  --help                this text\n";

bool fParseNumber(std::string_view text, int low, int high, int& value) {
    return fParseDecimalInt(text, value) && value >= low && value <= high;
}

fs::path fOwnFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

} // namespace

std::optional<SServerOptions> fParseServerOptions(int argc, char** argv, std::string& message,
                                                  int& exitStatus) {
    SServerOptions options;
    exitStatus = 2;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            message = kUsage;
            exitStatus = 0;
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            message =
                "tavoni-ranking-server: unknown option or missing value: " + std::string(arg) + "\n" + kUsage;
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        auto number = [&](int low, int high, int& out) {
            if (!fParseNumber(value, low, high, out)) {
                message = "tavoni-ranking-server: " + std::string(arg) + " needs a whole number from " +
                          std::to_string(low) + " to " + std::to_string(high) + ", not \"" +
                          std::string(value) + "\"\n";
                return false;
            }
            return true;
        };
        if (arg == "--port") {
            if (!number(0, 65535, options.front.port)) {
                return std::nullopt;
            }
        } else if (arg == "--bind") {
            options.front.bindAddress = value;
        } else if (arg == "--data") {
            options.dataFolder = value;
        } else if (arg == "--game") {
            options.game = value;
        } else if (arg == "--game-data") {
            options.gameData = value;
        } else if (arg == "--threads") {
            if (!number(1, 256, options.front.threads)) {
                return std::nullopt;
            }
        } else if (arg == "--checks") {
            if (!number(1, 256, options.parallelChecks)) {
                return std::nullopt;
            }
        } else if (arg == "--check-seconds") {
            if (!number(1, 3600, options.checkSeconds)) {
                return std::nullopt;
            }
        } else if (arg == "--check-memory-mb") {
            if (!number(0, 1048576, options.checkMemoryMb)) {
                return std::nullopt;
            }
        } else if (arg == "--upload-memory-mb") {
            int megabytes = 0;
            if (!number(1, 65536, megabytes)) {
                return std::nullopt;
            }
            options.front.uploadMemoryBytes = static_cast<std::size_t>(megabytes) * 1024 * 1024;
        } else if (arg == "--uploads-per-hour") {
            if (!number(1, 1000000, options.front.uploadsPerHour)) {
                return std::nullopt;
            }
        } else if (arg == "--max-connections") {
            if (!number(1, 1000000, options.front.maxConnections)) {
                return std::nullopt;
            }
        } else if (arg == "--max-connections-per-ip") {
            if (!number(1, 1000000, options.front.maxConnectionsPerAddress)) {
                return std::nullopt;
            }
        } else if (arg == "--request-seconds") {
            if (!number(1, 3600, options.front.requestSeconds)) {
                return std::nullopt;
            }
        } else {
            message = "tavoni-ranking-server: unknown option " + std::string(arg) + "\n" + kUsage;
            return std::nullopt;
        }
    }
    return options;
}

CRankingServer::CRankingServer(SServerOptions options) : mOptions(std::move(options)) {
    if (mOptions.game.empty()) {
        mOptions.game = fOwnFolder() / "tavoni";
    }
    if (mOptions.gameData.empty()) {
        // Found as the game finds it, so an installed server checks with the installed data.
        mOptions.gameData = fFindInstalledData((fOwnFolder() / "tavoni-ranking-server").string());
        if (mOptions.gameData.empty()) {
            throw std::runtime_error("no game data found beside this program: give --game-data DIR");
        }
    }
    if (mOptions.parallelChecks <= 0) {
        mOptions.parallelChecks = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    mOptions.dataFolder = fs::absolute(mOptions.dataFolder);
    mStore = std::make_unique<CRankingStore>(mOptions.dataFolder);
    SCheckerOptions checker;
    checker.game = fs::absolute(mOptions.game);
    checker.gameData = fs::absolute(mOptions.gameData);
    checker.scratchRoot = mOptions.dataFolder / "checks";
    checker.timeLimitSeconds = mOptions.checkSeconds;
    checker.memoryLimitBytes = static_cast<std::uint64_t>(mOptions.checkMemoryMb) * 1024 * 1024;
    checker.parallelChecks = mOptions.parallelChecks;
    mChecker = std::make_unique<CReplayChecker>(checker);
    mService = std::make_unique<CRankingService>(*mStore, *mChecker);
    mFront = std::make_unique<CHttpFront>(*mService, mOptions.front);
}

CRankingServer::~CRankingServer() {
    // The front goes first: no request may reach the service once it is being taken down.
    mFront.reset();
}

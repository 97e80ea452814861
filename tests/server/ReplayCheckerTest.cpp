// The checker asks the game its version as it runs a check: under the same limits, so that no binary can
// hold the server's start up or take more than a check may.
#include "CReplayChecker.h"
#include "ServerTestSupport.h"

using namespace servertest;

namespace {

struct SVersionCase {
    const char* what;
    const char* answer; // the stand-in game's answer to --version
    int checkSeconds;
    const char* version; // what the checker records
};

const SVersionCase kVersionCases[] = {
    {"tells it", "echo 'tavoni 6.6.6'", 30, "6.6.6"},
    {"hangs before it tells", "sleep 600; echo 'tavoni 6.6.6'", 1, "unknown"},
    {"needs more memory than a check may have",
     "x=$(head -c 100000000 /dev/zero | tr '\\0' a) && echo 'tavoni 6.6.6'", 30, "unknown"},
};

} // namespace

TEST(ReplayCheckerVersion, IsAskedUnderTheLimitsOfACheck) {
    for (const SVersionCase& c : kVersionCases) {
        CTempFolder temp;
        const fs::path game = temp.fPath() / "game.sh";
        std::ofstream(game) << "#!/bin/sh\n[ \"$1\" = --version ] && { " << c.answer << "; }\nexit 0\n";
        fs::permissions(game, fs::perms::owner_all);
        SCheckerOptions options;
        options.game = game;
        options.gameData = TAVONI_SOURCE_DIR;
        options.scratchRoot = temp.fPath() / "checks";
        options.timeLimitSeconds = c.checkSeconds;
        options.memoryLimitBytes = 64ull * 1024 * 1024;
        EXPECT_EQ(CReplayChecker(options).fGameVersion(), c.version) << "a game that " << c.what;
    }
}

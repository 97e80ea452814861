// Leaving the game keeps a finished run: after time up, every way of quitting (the window's close button,
// Alt+F4, SIGTERM, SIGINT, the end of --frames) ends the run as dismissing its tip would, so a new high
// score and the replay that reaches it are stored. Mid-run, quitting abandons the run as Esc does.
#include "GameRunner.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A run of the replay corpus that scores 2050 from nothing with the seed 11. Its time is up at loop frame
// 8937; the result screen shows from about 9180 and the tip from about 9420 to 9660.
constexpr int kScore = 2050;
constexpr int kDuringTimeUp = 9050;
constexpr int kOnResult = 9300;
constexpr int kOnTip = 9550;
constexpr int kMidRun = 5000;

std::string fFeedComboScript() {
    std::ifstream in(std::filesystem::path(TAVONI_SOURCE_DIR) / "tests/replays/feed-combo.input");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The score of a high score record (the int after the class name), or -1.
int fRecordScore(const CGameFolder& folder) {
    if (!folder.fExists("dat/replay/score.dat")) {
        return -1;
    }
    const std::string record = folder.fRead("dat/replay/score.dat");
    if (record.size() != 33u) {
        return -1;
    }
    std::int32_t stored = 0;
    for (int i = 0; i < 4; ++i) {
        stored |= static_cast<std::int32_t>(static_cast<unsigned char>(record[28 + i])) << (8 * i);
    }
    return stored;
}

struct SQuitCase {
    const char* name;
    std::string events; // appended to the run's script
    int frames;         // --frames, or 0 for none
    int state;          // the closing state quit in (1 time up, 2 result, 3 tip), or 0 mid-run
};

} // namespace

TEST(QuitGame, QuittingAfterTimeUpKeepsTheRecordAndMidRunAbandonsIt) {
    const std::string run = fFeedComboScript();
    ASSERT_FALSE(run.empty());
    const std::string result = std::to_string(kOnResult);
    const std::string tip = std::to_string(kOnTip);
    const std::vector<SQuitCase> cases = {
        {"the window closed on the result screen", result + " close\n", 0, 2},
        {"the window closed on the tip", tip + " close\n", 0, 3},
        {"Alt+F4 on the result screen", result + " down Alt\n" + result + " tap F4\n", 0, 2},
        {"SIGTERM on the result screen", result + " signal TERM\n", 0, 2},
        {"SIGTERM during time up, before the bonus", std::to_string(kDuringTimeUp) + " signal TERM\n", 0, 1},
        {"SIGINT on the tip", tip + " signal INT\n", 0, 3},
        {"the end of --frames on the result screen", "", kOnResult, 2},
        {"the window closed mid-run", std::to_string(kMidRun) + " close\n", 0, 0},
    };
    for (const SQuitCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGameFolder folder;
        std::vector<std::string> args{"--no-render", "--seed", "11", "--trace-stage"};
        if (c.frames > 0) {
            args.push_back("--frames");
            args.push_back(std::to_string(c.frames));
        }
        const bool midRun = c.state == 0;
        if (midRun) {
            // An older record with its replay, which an abandoned run leaves alone.
            std::filesystem::copy_file(std::filesystem::path(TAVONI_SOURCE_DIR) /
                                           "tests/replays/both-heroines.replay",
                                       folder / "dat/replay/replay");
            folder.fWrite("dat/replay/score.dat", std::string("\0\x17\0\0\0", 5) + "C5Stage14CHighScoreInfo" +
                                                      std::string("\xce\x04\0\0\0", 5));
        }
        const std::string oldRecord = midRun ? folder.fRead("dat/replay/score.dat") : "";
        ASSERT_TRUE(!midRun || fRecordScore(folder) == 1230);
        const std::string oldReplay = midRun ? folder.fRead("dat/replay/replay") : "";
        const SGameResult r = folder.fRunWithInput(run + c.events, args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_FALSE(folder.fExists("dat/replay/replay_key.tmp"));
        EXPECT_FALSE(folder.fExists("dat/replay/replay_key.dat"));
        if (midRun) {
            EXPECT_EQ(r.out.find("stage end"), std::string::npos) << r.out.substr(r.out.size() - 400);
            EXPECT_EQ(folder.fRead("dat/replay/score.dat"), oldRecord);
            EXPECT_EQ(folder.fRead("dat/replay/replay"), oldReplay);
            continue;
        }
        EXPECT_NE(r.out.find("stage quit in state " + std::to_string(c.state) + "\n"), std::string::npos)
            << r.out.substr(r.out.size() - 400);
        EXPECT_NE(r.out.find("stage end: score " + std::to_string(kScore) + "\n"), std::string::npos);
        EXPECT_EQ(fRecordScore(folder), kScore);
        // The run's tip is unlocked, as dismissing it would have left it.
        EXPECT_TRUE(folder.fExists("dat/tips.dat") && folder.fRead("dat/tips.dat").substr(4, 1) == "\x01");
        const SGameResult replay = folder.fRun(
            {"--no-render", "--replay", "dat/replay/replay", "--expect-score", std::to_string(kScore)});
        EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
    }
}

TEST(QuitGame, TheRecordingOfARunCutOffIsRemovedAtTheNextStart) {
    CGameFolder folder;
    folder.fWrite("dat/replay/replay_key.tmp", std::string(112 * 40, '\0'));
    const SGameResult r = folder.fRun({"--no-render", "--frames", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(folder.fExists("dat/replay/replay_key.tmp"));
    EXPECT_NE(r.err.find("replay_key.tmp, the recording of a run that was cut off"), std::string::npos)
        << r.err;
}

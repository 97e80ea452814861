// A whole fight seen from outside: a scripted run in a hunting ground with both heroines scores, stores its
// replay and high score, and the replay re-runs it exactly from the command line.
#include "GameRunner.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>

namespace {
std::string fFightScript() {
    std::ifstream in(std::filesystem::path(TAVONI_SOURCE_DIR) / "tests/game/input/fight_area4.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The score printed by --replay, or -1.
int fReplayScore(const std::string& out) {
    std::smatch m;
    if (std::regex_search(out, m,
                          std::regex("replay dat/replay/replay: ([0-9]+) frames, score ([0-9]+), "))) {
        return std::stoi(m[2]);
    }
    return -1;
}
} // namespace

TEST(FightGame, ScriptedFightScoresAndItsReplayReachesTheSameScore) {
    CGameFolder folder;
    const std::string script = fFightScript();
    ASSERT_FALSE(script.empty());

    // The whole run: two minutes, then the closing states store the new high score with its replay.
    const SGameResult live =
        folder.fRunWithInput(script, {"--no-render", "--seed", "7", "--frames", "8200", "--trace-stage"});
    ASSERT_EQ(live.exitCode, 0) << live.err;
    std::smatch end;
    ASSERT_TRUE(std::regex_search(live.out, end, std::regex("stage end: score ([0-9]+)\n"))) << live.out;
    const int score = std::stoi(end[1]);
    EXPECT_GT(score, 0) << live.out;
    ASSERT_TRUE(folder.fExists("dat/replay/replay"));
    const std::string record = folder.fRead("dat/replay/score.dat");
    ASSERT_EQ(record.size(), 33u);
    std::int32_t stored = 0;
    for (int i = 0; i < 4; ++i) {
        stored |= static_cast<std::int32_t>(static_cast<unsigned char>(record[28 + i])) << (8 * i);
    }
    EXPECT_EQ(stored, score);

    // Played back from the command line, twice: the same score each time, and the check of it.
    for (int i = 0; i < 2; ++i) {
        const SGameResult again = folder.fRun({"--no-render", "--replay", "dat/replay/replay"});
        ASSERT_EQ(again.exitCode, 0) << again.err;
        EXPECT_EQ(fReplayScore(again.out), score) << again.out;
    }
    const std::string s = std::to_string(score);
    EXPECT_EQ(folder.fRun({"--no-render", "--replay", "dat/replay/replay", "--expect-score", s}).exitCode, 0);
    const SGameResult off = folder.fRun(
        {"--no-render", "--replay", "dat/replay/replay", "--expect-score", std::to_string(score + 10)});
    EXPECT_EQ(off.exitCode, 1);
    EXPECT_NE(off.err.find("scores " + s + ", not the expected " + std::to_string(score + 10)),
              std::string::npos)
        << off.err;

    // The same frame of play looks the same live and in the playback. The live stage starts in the menu's
    // frame 3, the playback's in frame 0.
    const SGameResult shotLive = folder.fRunWithInput(
        script, {"--headless", "--seed", "7", "--frames", "1207", "--screenshot", "1202:live.png"});
    ASSERT_EQ(shotLive.exitCode, 0) << shotLive.err;
    const SGameResult shotPlay = folder.fRun(
        {"--headless", "--replay", "dat/replay/replay", "--frames", "1205", "--screenshot", "1199:play.png"});
    EXPECT_EQ(shotPlay.exitCode, 1) << "stopped before its end: " << shotPlay.err;
    ASSERT_TRUE(folder.fExists("live.png"));
    ASSERT_TRUE(folder.fExists("play.png"));
    EXPECT_TRUE(folder.fRead("live.png") == folder.fRead("play.png"));
    // The short live run did not beat the stored score, so the stored replay is untouched.
    EXPECT_EQ(folder.fRead("dat/replay/score.dat"), record);
}

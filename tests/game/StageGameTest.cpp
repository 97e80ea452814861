// Whole runs of the stage seen from outside: the countdown, Esc, walking the town, and replays.
#include "GameRunner.h"

#include "base/CArchiver.h"
#include "replay/ReplayFiles.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

namespace {
struct STrace {
    int frame = -1;
    double x = 0, y = 0, camX = 0, camY = 0;
    int time = 0;
    int score = 0;
};

// The last "stage frame" line of a traced run.
STrace fLastTrace(const std::string& out) {
    STrace t;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        STrace s;
        if (std::sscanf(line.c_str(), "stage frame %d: party %lf,%lf camera %lf,%lf time %d score %d",
                        &s.frame, &s.x, &s.y, &s.camX, &s.camY, &s.time, &s.score) == 7) {
            t = s;
        }
    }
    return t;
}

int fCount(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) {
        ++n;
    }
    return n;
}

std::string fScript(const std::string& name) {
    std::ifstream in(std::filesystem::path(TAVONI_SOURCE_DIR) / "tests/game/input" / name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

TEST(StageGame, UntouchedRunLastsTwoMinutesThenTimeUpResultTipAndBackToTheMenu) {
    CGameFolder folder;
    const SGameResult r = folder.fRunWithInput("1 tap Z\n3 tap Z\n7932 tap Z\n7934 tap Z\n",
                                               {"--no-render", "--frames", "7942", "--trace-stage"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // 7200 updates of play: the last one finds the clock at zero (7199 full frames counted).
    EXPECT_NE(r.out.find("stage frame 7140: party 752.0,784.0 camera 688.0,724.0 time 60 score 0"),
              std::string::npos)
        << r.out.substr(0, 2000);
    EXPECT_NE(r.out.find("stage state 1 at play frame 7199\n"), std::string::npos);
    EXPECT_NE(r.out.find("stage state 2 at play frame 7199\n"), std::string::npos);
    EXPECT_NE(r.out.find("stage state 3 at play frame 7199\n"), std::string::npos);
    EXPECT_NE(r.out.find("stage end: score 0\n"), std::string::npos);
    // Back on the menu's title prompt, Z and Z on "スタート" start a second run with a new seed.
    EXPECT_EQ(fCount(r.out, "gRandom this(int = "), 2) << r.out.substr(r.out.size() - 600);
    // No new high score: the recording is dropped and no replay is stored.
    EXPECT_FALSE(folder.fExists("dat/replay/replay"));
    EXPECT_FALSE(folder.fExists("dat/replay/score.dat"));
    // The second run, cut off mid-run by the end of --frames, is abandoned and its recording removed.
    EXPECT_FALSE(folder.fExists("dat/replay/replay_key.tmp"));
    EXPECT_TRUE(folder.fFilesWithExtension(".log").empty()) << r.err;
    // The first run ever unlocked the first tip: a count of ten, then the flags.
    const std::string tips = folder.fRead("dat/tips.dat");
    ASSERT_EQ(tips.size(), 14u);
    EXPECT_EQ(tips.substr(4), std::string("\x01\0\0\0\0\0\0\0\0\0", 10));
}

TEST(StageGame, EachStateShowsForItsFramesAndRunEndsOnTime) {
    CGameFolder folder;
    const SGameResult r =
        folder.fRunWithInput("1 tap Z\n3 tap Z\n", {"--no-render", "--frames", "7926", "--trace-stage"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Created in frame 3: time up at frame 7202, result at 7443, tips at 7684, the menu at 7925.
    EXPECT_NE(r.out.find("stage end: score 0\n"), std::string::npos) << r.out.substr(r.out.size() - 400);
    EXPECT_FALSE(folder.fExists("dat/replay/replay_key.tmp"));
    CGameFolder early;
    const SGameResult e =
        early.fRunWithInput("1 tap Z\n3 tap Z\n", {"--no-render", "--frames", "7925", "--trace-stage"});
    // One frame earlier the tip is still shown when the game is left (and the run is ended then).
    EXPECT_NE(e.out.find("stage quit in state 3\n"), std::string::npos);
}

TEST(StageGame, EscLeavesTheRunUnsavedWithOneRecordPerFrame) {
    CGameFolder folder;
    // The stage starts in frame 3; frames 4 .. 303 are recorded, the last one with Esc down (the record's
    // size is the key record's own test). Leaving the game removes what Esc left.
    const SGameResult r = folder.fRunWithInput("1 tap Z\n3 tap Z\n303 tap Escape\n",
                                               {"--no-render", "--frames", "322", "--trace-stage"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("stage left with Esc at play frame 300\n"), std::string::npos) << r.out;
    EXPECT_FALSE(folder.fExists("dat/replay/replay_key.tmp"));
    EXPECT_FALSE(folder.fExists("dat/replay/replay"));
    EXPECT_FALSE(folder.fExists("dat/replay/score.dat"));
}

class WalkToArea : public ::testing::TestWithParam<int> {};

TEST_P(WalkToArea, PartyReachesTheAreaAndTheCameraFollows) {
    struct SArea {
        int c0, c1, r0, r1;
    };
    const SArea areas[5] = {{}, {2, 26, 3, 25}, {37, 61, 5, 27}, {2, 24, 43, 71}, {57, 77, 36, 61}};
    const int area = GetParam();
    const std::string script = fScript("walk_area" + std::to_string(area) + ".txt");
    int arrival = 0;
    ASSERT_EQ(std::sscanf(script.substr(script.find("# arrives around frame")).c_str(),
                          "# arrives around frame %d", &arrival),
              1);
    CGameFolder folder;
    const int frames = (arrival / 60 + 2) * 60;
    const std::string shot = "area" + std::to_string(area) + ".png";
    const SGameResult r =
        folder.fRunWithInput(script, {"--frames", std::to_string(frames), "--trace-stage", "--screenshot",
                                      std::to_string(frames - 5) + ":" + shot});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const STrace t = fLastTrace(r.out);
    const SArea& a = areas[area];
    // The foot box (8 pixels below the centre) stands inside the area.
    EXPECT_GE(t.x, a.c0 * 16) << r.out;
    EXPECT_LE(t.x, (a.c1 + 1) * 16) << r.out;
    EXPECT_GE(t.y + 8, a.r0 * 16) << r.out;
    EXPECT_LE(t.y + 8, (a.r1 + 1) * 16) << r.out;
    // Not stuck: the walk covered the route within a few pixels of its planned end.
    EXPECT_NE(t.camX == 688.0 && t.camY == 724.0, true);
    EXPECT_EQ(fPngSize(folder / shot), std::make_pair(640, 480));
}

INSTANTIATE_TEST_SUITE_P(Town, WalkToArea, ::testing::Values(1, 2, 3, 4));

namespace {
// Z at the title prompt, DOWN to "自分のリプレイ", Z.
constexpr const char* kPlayOwnReplay = "5 tap Z\n7 tap Down\n9 tap Z\n";

// A replay made by hand: 30 frames right, 40 up the main street, then nothing; seed 42.
void fWriteHandMadeReplay(const CGameFolder& folder) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder.fPath());
    {
        std::ofstream keys("dat/replay/replay_key.dat", std::ios::binary);
        for (int f = 0; f < 200; ++f) {
            for (int k = 0; k < 28; ++k) {
                const bool down = (f < 30 && k == 2) || (f >= 30 && f < 70 && k == 1);
                const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(down ? 1 : 0), 0, 0, 0};
                keys.write(reinterpret_cast<const char*>(bytes), 4);
            }
        }
    }
    fWriteSeedFile("dat/replay/replay.dat", 42);
    CArchiver::fCompress("dat/replay/replay", {"dat/replay/replay_key.dat", "dat/replay/replay.dat"}, true);
    std::filesystem::current_path(cwd);
}
} // namespace

TEST(StageGame, HandMadeReplayPlaysBackTheSameEveryTime) {
    CGameFolder folder;
    fWriteHandMadeReplay(folder);
    ASSERT_TRUE(folder.fExists("dat/replay/replay"));
    ASSERT_FALSE(folder.fExists("dat/replay/replay_key.dat"));
    const std::vector<std::string> args{"--frames",  "250",          "--trace-stage", "--screenshot",
                                        "100:a.png", "--screenshot", "240:b.png"};
    // The menu's second item, "自分のリプレイ", plays the stored replay.
    const SGameResult first = folder.fRunWithInput(kPlayOwnReplay, args);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("Seed = 42\n"), std::string::npos) << first.out;
    const STrace t = fLastTrace(first.out);
    // 30 frames right and 40 up at 2.4 pixels a frame.
    EXPECT_NEAR(t.x, 752.0 + 72.0, 0.01) << first.out;
    EXPECT_NEAR(t.y, 784.0 - 96.0, 0.01) << first.out;
    const std::string a1 = folder.fRead("a.png");
    const std::string b1 = folder.fRead("b.png");
    // The loose files of the playback are gone at shutdown; the packed replay stays.
    EXPECT_FALSE(folder.fExists("dat/replay/replay_key.dat"));
    EXPECT_TRUE(folder.fExists("dat/replay/replay"));

    const SGameResult second = folder.fRunWithInput(kPlayOwnReplay, args);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(folder.fRead("a.png"), a1);
    EXPECT_EQ(folder.fRead("b.png"), b1);
    EXPECT_NE(a1, b1);
}

TEST(StageGame, DamagedReplayIsReportedAndTheMenuStays) {
    CGameFolder folder;
    folder.fWrite("dat/replay/replay", "this is not a zip archive");
    // The notice is paged away with Z; then "スタート", one up, starts a normal run.
    const SGameResult r =
        folder.fRunWithInput(std::string(kPlayOwnReplay) + "12 tap Z\n14 tap Up\n16 tap Z\n",
                             {"--no-render", "--frames", "40", "--trace-stage"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("replay"), std::string::npos) << r.err;
    // The menu is still there: its first item starts a normal run.
    EXPECT_NE(r.out.find("gRandom this(int = "), std::string::npos) << r.out;
    EXPECT_TRUE(folder.fExists("dat/replay/replay"));
}

namespace {
// Every file below the folder, relative to it.
std::set<std::string> fAllFiles(const CGameFolder& folder) {
    std::set<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder.fPath())) {
        if (e.is_regular_file()) {
            files.insert(e.path().lexically_relative(folder.fPath()).string());
        }
    }
    return files;
}
} // namespace

TEST(StageGame, ReplayFromTheCommandLineReportsItsScoreAndChecksTheExpectedOne) {
    CGameFolder folder;
    fWriteHandMadeReplay(folder);
    const SGameResult r =
        folder.fRun({"--no-render", "--replay", "dat/replay/replay", "--expect-score", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Two minutes of play (time runs out in the 7200th update, which no longer counts as play), then the
    // time-up and result states; the score of an empty town is 0.
    EXPECT_TRUE(std::regex_search(
        r.out,
        std::regex("replay dat/replay/replay: 7199 frames, score 0, [0-9]+ ms \\([0-9]+ frames/s\\)\n")))
        << r.out;
    const SGameResult wrong =
        folder.fRun({"--no-render", "--replay", "dat/replay/replay", "--expect-score", "10"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.err.find("scores 0, not the expected 10"), std::string::npos) << wrong.err;
}

TEST(StageGame, DamagedReplayFromTheCommandLineIsRefusedWithStatusTwo) {
    CGameFolder folder;
    fWriteHandMadeReplay(folder);
    const std::string good = folder.fRead("dat/replay/replay");
    // A member renamed: same length, so the archive stays well formed.
    std::string renamed = good;
    for (size_t at = renamed.find("replay_key.dat"); at != std::string::npos;
         at = renamed.find("replay_key.dat", at + 1)) {
        renamed.replace(at, 14, "replay_kez.dat");
    }
    folder.fWrite("truncated", good.substr(0, good.size() / 2));
    folder.fWrite("renamed", renamed);
    folder.fWrite("notzip", "not an archive at all");
    {
        // A key record cut inside a frame.
        const auto cwd = std::filesystem::current_path();
        std::filesystem::current_path(folder.fPath());
        std::ofstream("dat/replay/replay_key.dat", std::ios::binary) << std::string(112 * 3 + 50, '\0');
        fWriteSeedFile("dat/replay/replay.dat", 42);
        CArchiver::fCompress("cut", {"dat/replay/replay_key.dat", "dat/replay/replay.dat"}, true);
        std::filesystem::current_path(cwd);
    }
    const std::set<std::string> before = fAllFiles(folder);
    for (const char* bad : {"truncated", "renamed", "notzip", "cut", "missing"}) {
        const SGameResult r = folder.fRun({"--no-render", "--replay", bad});
        EXPECT_EQ(r.exitCode, 2) << bad << ": " << r.out << r.err;
        EXPECT_NE(r.err.find(std::string("cannot play the replay ") + bad), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("frames/s"), std::string::npos) << r.out;
    }
    std::set<std::string> after = fAllFiles(folder);
    for (auto it = after.begin(); it != after.end();) {
        it = it->rfind("dat/replay/", 0) == 0 ? after.erase(it) : std::next(it);
    }
    for (auto it = after.begin(); it != after.end(); ++it) {
        EXPECT_TRUE(before.count(*it) != 0) << "written outside the replay folder: " << *it;
    }
}

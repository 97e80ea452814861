// Pausing a run, seen from outside: three pauses (P, the pad's Start, the window losing the focus) leave no
// trace in the recorded replay, which plays back like the same run without them; the paused screen dims
// and says so.
#include "GameRunner.h"
#include "ScreenshotCheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {
struct SPause {
    int at;     // loop frame of the unpaused run where the pause comes
    int frames; // how long it lasts
    const char* how;
};
constexpr SPause kPauses[] = {{500, 30, "key"}, {1500, 40, "pad"}, {2500, 50, "focus"}};

// The fight script with the pauses put in: every later event moves by the frames paused before it.
std::string fPausedScript(const std::string& plain) {
    std::vector<std::pair<int, std::string>> events;
    std::istringstream in(plain);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t space = line.find(' ');
        int frame = std::stoi(line.substr(0, space));
        int shift = 0;
        for (const SPause& p : kPauses) {
            shift += frame >= p.at ? p.frames : 0;
        }
        events.emplace_back(frame + shift, line.substr(space + 1));
    }
    int shift = 0;
    for (const SPause& p : kPauses) {
        const int start = p.at + shift;
        const std::string how = p.how;
        // The frame of the second push runs again: the paused frames are [start, start + frames).
        if (how == "key" || how == "pad") {
            const std::string key = how == "key" ? "tap P" : "tap Pad8"; // Pad8 is the Start button
            events.emplace_back(start, key);
            events.emplace_back(start + p.frames, key);
        } else {
            events.emplace_back(start, "focus out");
            events.emplace_back(start + 10, "focus in");
            events.emplace_back(start + p.frames, "tap P");
        }
        shift += p.frames;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string script;
    for (const auto& [frame, what] : events) {
        script += std::to_string(frame) + " " + what + "\n";
    }
    return script;
}

// "FRAMES SCORE DIGEST" of a replay.
std::string fReplayOutcome(const CGameFolder& folder) {
    const SGameResult r = folder.fRun({"--no-render", "--replay", "dat/replay/replay"});
    std::smatch m;
    const std::regex line("replay [^:]*: ([0-9]+) frames, score ([0-9]+),[^\n]*\ndigest ([0-9a-f]+)\n");
    if (r.exitCode != 0 || !std::regex_search(r.out, m, line)) {
        return "failed: " + r.err;
    }
    return std::string(m[1]) + " " + std::string(m[2]) + " " + std::string(m[3]);
}
} // namespace

TEST(PauseGame, PausesLeaveNoTraceInTheReplayAndDimTheScreen) {
    std::ifstream in(std::filesystem::path(TAVONI_SOURCE_DIR) / "tests/game/input/fight_area4.txt");
    std::stringstream plain;
    plain << in.rdbuf();
    const std::string paused = fPausedScript(plain.str());

    CGameFolder without;
    ASSERT_EQ(without.fRunWithInput(plain.str(), {"--no-render", "--seed", "7", "--frames", "8200"}).exitCode,
              0);
    CGameFolder with;
    const SGameResult run =
        with.fRunWithInput(paused, {"--no-render", "--seed", "7", "--frames", "8400", "--trace-stage"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int pauses = 0;
    for (std::size_t at = run.out.find("paused\n"); at != std::string::npos;
         at = run.out.find("paused\n", at + 1)) {
        ++pauses;
    }
    EXPECT_EQ(pauses, 3) << run.out;
    const std::string expected = fReplayOutcome(without);
    EXPECT_EQ(fReplayOutcome(with), expected);
    EXPECT_NE(expected.find(" 20 "), std::string::npos) << expected; // the fight's known score

    // While paused the same picture stays, dimmed, with the notice in the middle.
    const SGameResult shot = with.fRunWithInput(paused, {"--seed", "7", "--frames", "520", "--screenshot",
                                                         "499:before.png", "--screenshot", "515:paused.png"});
    ASSERT_EQ(shot.exitCode, 0) << shot.err;
    CScreenshotCheck check;
    ASSERT_TRUE(check.fIsStarted());
    const double before = check.fMeanBrightness(with / "before.png", 0, 0, 640, 150);
    const double dimmed = check.fMeanBrightness(with / "paused.png", 0, 0, 640, 150);
    ASSERT_GT(before, 20.0);
    EXPECT_LT(dimmed / before, 0.7) << dimmed << " / " << before;
    EXPECT_GT(dimmed / before, 0.2) << dimmed << " / " << before;
    // The notice: white text where the dimmed scene has nothing so bright.
    const int noticePixels = check.fCountBright(with / "paused.png", 160, 170, 480, 240, 230);
    EXPECT_GT(noticePixels, 2 * check.fCountBright(with / "before.png", 160, 170, 480, 240, 230) + 500)
        << noticePixels;
}

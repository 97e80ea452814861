// The replay theater from outside: jumps reach exactly the state a straight playback has at that frame,
// the playback controls move the playback where they say and the overlay shows and fades, and a replay
// file given to the game plays to its end and goes on to the title (a file that is no replay: a notice).
#include "GameRunner.h"
#include "ScreenshotCheck.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path fCorpus(const std::string& name) {
    return fs::path(TAVONI_SOURCE_DIR) / "tests/replays" / (name + ".replay");
}

// "digest FRAME HEX" lines of a run, in order.
std::vector<std::pair<int, std::string>> fDigests(const std::string& out) {
    std::vector<std::pair<int, std::string>> digests;
    const std::regex line("(^|\n)digest ([0-9]+) ([0-9a-f]+)");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        digests.emplace_back(std::stoi((*it)[2]), (*it)[3]);
    }
    return digests;
}

// The digests a straight playback prints every 60 frames of play.
std::map<int, std::string> fStraightDigests(const CGameFolder& folder, const std::string& replay) {
    const SGameResult straight = folder.fRun({"--no-render", "--replay", replay, "--digest-every", "60"});
    EXPECT_EQ(straight.exitCode, 0) << straight.err;
    std::map<int, std::string> byFrame;
    for (const auto& [frame, hex] : fDigests(straight.out)) {
        byFrame[frame] = hex;
    }
    return byFrame;
}

std::string fJoin(const std::vector<int>& frames) {
    std::string list;
    for (int frame : frames) {
        list += (list.empty() ? "" : ",") + std::to_string(frame);
    }
    return list;
}

// The theater's own trace lines, in order.
std::string fTheaterTrace(const std::string& out) {
    std::string trace;
    for (std::size_t at = out.find("theater "); at != std::string::npos; at = out.find("theater ", at + 1)) {
        trace += out.substr(at, out.find('\n', at) + 1 - at);
    }
    return trace;
}

} // namespace

// Every frame of the whole run reached forward, back and back and forth, from wherever the previous jump
// left the playback.
TEST(TheaterGame, JumpsReachTheStateOfAStraightPlaybackForwardAndBack) {
    CGameFolder folder;
    for (const char* name : {"feed-combo", "both-heroines", "cans-and-bales", "chicken-flames"}) {
        SCOPED_TRACE(name);
        fs::copy_file(fCorpus(name), folder / "watched.replay", fs::copy_options::overwrite_existing);
        const std::map<int, std::string> straight = fStraightDigests(folder, "watched.replay");
        ASSERT_GT(straight.size(), 50u);
        // A dozen frames spread over the whole run, its last digest included.
        std::vector<int> frames;
        const int last = straight.rbegin()->first;
        for (int i = 0; i <= 11; ++i) {
            frames.push_back(last * i / 11 / 60 * 60);
        }
        frames.erase(std::remove(frames.begin(), frames.end(), 0), frames.end());
        std::vector<int> order = frames;                           // forward
        order.insert(order.end(), frames.rbegin(), frames.rend()); // back
        for (std::size_t i = 0; i < frames.size(); ++i) {          // back and forth
            order.push_back(frames[i % 2 == 0 ? frames.size() - 1 - i / 2 : i / 2]);
        }
        const SGameResult jumped =
            folder.fRun({"--no-render", "--replay", "watched.replay", "--jump-to", fJoin(order)});
        ASSERT_EQ(jumped.exitCode, 0) << jumped.err;
        const auto digests = fDigests(jumped.out);
        ASSERT_EQ(digests.size(), order.size()) << jumped.out;
        for (std::size_t i = 0; i < order.size(); ++i) {
            EXPECT_EQ(digests[i].first, order[i]);
            EXPECT_EQ(digests[i].second, straight.at(order[i])) << "jump " << i << " to frame " << order[i];
        }
    }
}

// The controls as a player presses them while watching: slower, faster, pause, two frame steps, 5 s back, on
// again, 5 s forward, the next moment, 30 s forward, the start. The overlay shows while they are used and
// is gone two seconds after; every state the playback passes is the straight playback's.
TEST(TheaterGame, ControlsMoveThePlaybackWhereTheySayAndTheOverlayShowsThenFades) {
    CGameFolder folder;
    fs::copy_file(fCorpus("feed-combo"), folder / "watched.replay");
    const std::map<int, std::string> straight = fStraightDigests(folder, "watched.replay");
    const std::string script = "30 tap LeftBracket\n90 tap RightBracket\n100 tap RightBracket\n400 tap P\n"
                               "410 tap Period\n415 tap Period\n420 tap Left\n430 tap P\n440 tap Right\n"
                               "450 tap PageDown\n460 tap Up\n470 tap Home\n";
    const SGameResult run = folder.fRunWithInput(script, {"--trace-stage", "--digest-every", "60", "--frames",
                                                          "720", "--watch", "watched.replay", "--screenshot",
                                                          "480:shown.png", "--screenshot", "700:faded.png"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string trace = fTheaterTrace(run.out);
    // Speed 1/2 from frame 30, 1 from 60, 2 from 70; paused at 670 (300 frames at 2), two steps; 5 s back;
    // 20 frames at 2 and 5 s on; the first moment a second before its dish (1453); 30 s on; the start.
    EXPECT_EQ(trace, "theater open: 8934 frames of play, score 2050, 14 moments\n"
                     "theater speed: frame 30 speed 2/4\n"
                     "theater speed: frame 60 speed 4/4\n"
                     "theater speed: frame 70 speed 8/4\n"
                     "theater paused: frame 670 speed 8/4 paused\n"
                     "theater step: frame 671 speed 8/4 paused\n"
                     "theater step: frame 672 speed 8/4 paused\n"
                     "theater jump: frame 372 speed 8/4 paused\n"
                     "theater resumed: frame 372 speed 8/4\n"
                     "theater jump: frame 692 speed 8/4\n"
                     "theater jump: frame 1393 speed 8/4\n"
                     "theater jump: frame 3213 speed 8/4\n"
                     "theater jump: frame 0 speed 8/4\n");
    const auto digests = fDigests(run.out);
    ASSERT_GT(digests.size(), 10u);
    for (const auto& [frame, hex] : digests) {
        EXPECT_EQ(hex, straight.at(frame)) << "frame " << frame;
    }

    // The panel: the game's pale card over the bottom of the screen, then the town again.
    CScreenshotCheck check;
    ASSERT_TRUE(check.fIsStarted());
    const int shown = check.fCountBright(folder / "shown.png", 10, 396, 630, 476, 200);
    const int faded = check.fCountBright(folder / "faded.png", 10, 396, 630, 476, 200);
    EXPECT_GT(shown, 25000) << shown;
    EXPECT_LT(faded, shown / 4) << faded;
}

// A pad drives the theater as the keys do, and the help line names its buttons until a key is used again; a
// click on the timeline jumps there, one beside it does nothing. (Without a window: SDL hands pad input only
// to a focused one.)
TEST(TheaterGame, ThePadAndTheMouseDriveItTooAndTheHelpLineFollowsTheLastHandUsed) {
    CGameFolder folder;
    fs::copy_file(fCorpus("feed-combo"), folder / "watched.replay");
    const std::string script = "5 pad attach\n30 down PadRight\n34 up PadRight\n40 down Pad6\n44 up Pad6\n"
                               "50 down Pad8\n54 up Pad8\n60 down Pad1\n64 up Pad1\n66 down Pad2\n68 up "
                               "Pad2\n70 down Pad8\n74 up Pad8\n"
                               "80 tap Left\n90 click 246 434\n95 click 300 200\n";
    const SGameResult run = folder.fRunWithInput(
        script, {"--no-render", "--trace-stage", "--frames", "100", "--watch", "watched.replay"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string trace = fTheaterTrace(run.out);
    // Right: 5 s on; RB: the next moment; Start, A, B, Start: pause, a step on and one back, go on; then Left
    // on the keyboard; the timeline's middle.
    EXPECT_EQ(trace, "theater open: 8934 frames of play, score 2050, 14 moments\n"
                     "theater help: pad\n"
                     "theater jump: frame 330 speed 4/4\n"
                     "theater jump: frame 1393 speed 4/4\n"
                     "theater paused: frame 1403 speed 4/4 paused\n"
                     "theater step: frame 1404 speed 4/4 paused\n"
                     "theater jump: frame 1403 speed 4/4 paused\n"
                     "theater resumed: frame 1403 speed 4/4\n"
                     "theater help: keys\n"
                     "theater jump: frame 1113 speed 4/4\n"
                     "theater jump: frame 4467 speed 4/4\n");
}

// "tavoni FILE", as a file manager opens one: played to its end, then the title (Esc: at once); a file
// that is no replay is a notice on the title.
TEST(TheaterGame, AReplayFileGivenAlonePlaysToItsEndThenTheTitleOrIsANotice) {
    CGameFolder folder;
    fs::copy_file(fCorpus("feed-combo"), folder / "AYA-2050.tavoni-replay");
    const SGameResult watched = folder.fRun(
        {"--no-render", "--trace-stage", "--trace-menu", "--frames", "9600", "AYA-2050.tavoni-replay"});
    ASSERT_EQ(watched.exitCode, 0) << watched.err;
    EXPECT_NE(watched.out.find("theater open: 8934 frames of play, score 2050"), std::string::npos)
        << watched.out;
    const std::size_t end = watched.out.find("stage end: score 2050\n");
    ASSERT_NE(end, std::string::npos) << watched.out;
    // The title comes after it.
    EXPECT_NE(watched.out.find("menu high score", end), std::string::npos) << watched.out;

    // Esc leaves it for the title at once, as it leaves any playback.
    const SGameResult left =
        folder.fRunWithInput("100 tap Escape\n", {"--no-render", "--trace-stage", "--trace-menu", "--frames",
                                                  "120", "AYA-2050.tavoni-replay"});
    ASSERT_EQ(left.exitCode, 0) << left.err;
    const std::size_t esc = left.out.find("stage left with Esc at play frame 100\n");
    ASSERT_NE(esc, std::string::npos) << left.out;
    EXPECT_NE(left.out.find("menu high score", esc), std::string::npos) << left.out;

    folder.fWrite("damaged.tavoni-replay", "PK\x03\x04 not really a replay");
    const SGameResult damaged =
        folder.fRun({"--no-render", "--trace-menu", "--frames", "30", "--watch", "damaged.tavoni-replay"});
    ASSERT_EQ(damaged.exitCode, 0) << damaged.err;
    EXPECT_NE(damaged.out.find("menu notice: このファイルはリプレイではないため\n再生できませんでした"),
              std::string::npos)
        << damaged.out;
    EXPECT_EQ(damaged.out.find("theater open"), std::string::npos);
}

// The menus seen from outside: the title prompt, the menu with its description box, a whole run from
// "スタート" back to the menu through the result and the tip, the key configuration and quitting.
#include "GameRunner.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <string>

namespace {
// The number of the last frame --trace-keys printed.
int fLastTracedFrame(const std::string& out) {
    int last = -1;
    const std::regex line("frame ([0-9]+) keys:");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        last = std::stoi((*it)[1]);
    }
    return last;
}
} // namespace

TEST(MenuGame, ARunFromTheMenuEndsWithTheResultAndATipAndComesBack) {
    CGameFolder folder;
    // Z at the prompt, Z on "スタート" (the stage starts in frame 60): time up at frame 7259, the result at
    // 7500, the tip at 7741, the prompt again at 7982.
    const SGameResult r = folder.fRunWithInput(
        "20 tap Z\n60 tap Z\n7990 tap Z\n",
        {"--seed", "3", "--frames", "8000", "--trace-stage", "--screenshot", "10:menu_prompt.png",
         "--screenshot", "40:menu_open.png", "--screenshot", "7600:result.png", "--screenshot",
         "7850:tip.png", "--screenshot", "7995:menu_again.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("stage state 3 at play frame 7199\n"), std::string::npos) << r.out.substr(0, 400);
    EXPECT_NE(r.out.find("stage end: score 0\n"), std::string::npos);
    for (const char* shot : {"menu_prompt.png", "menu_open.png", "result.png", "tip.png", "menu_again.png"}) {
        EXPECT_EQ(fPngSize(folder / shot), std::make_pair(640, 480)) << shot;
    }
    // Each step looks different: the prompt, the open menu, the result, the tip over the town, and the menu
    // again after the run (now with the tips item).
    const char* shots[] = {"menu_prompt.png", "menu_open.png", "result.png", "tip.png", "menu_again.png"};
    for (size_t i = 1; i < std::size(shots); ++i) {
        EXPECT_NE(folder.fRead(shots[i - 1]), folder.fRead(shots[i])) << shots[i];
    }
    // The first run unlocked the first tip.
    EXPECT_TRUE(folder.fExists("dat/tips.dat"));
}

TEST(MenuGame, EscAtThePromptQuitsAtOnce) {
    CGameFolder folder;
    const SGameResult r = folder.fRunWithInput("5 tap Z\n9 tap Escape\n15 tap Escape\n",
                                               {"--no-render", "--frames", "600", "--trace-keys"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Esc in the menu goes back to the prompt; Esc there ends the game in that frame.
    EXPECT_EQ(fLastTracedFrame(r.out), 15) << r.out;
}

TEST(MenuGame, KeyConfigurationOpensFromTheMenuAndLeavesBackToIt) {
    CGameFolder folder;
    std::filesystem::remove(folder / "dat/setting.dat");
    // "キーコンフィグ" is the third item without a replay or a high score; X there saves and leaves; the menu
    // opens again from its prompt, Esc goes back to the prompt and Esc there quits.
    const SGameResult r = folder.fRunWithInput(
        "5 tap Z\n7 tap Down\n9 tap Down\n11 tap Z\n20 tap X\n25 tap Z\n28 tap Escape\n31 tap Escape\n",
        {"--frames", "600", "--trace-keys", "--screenshot", "15:option.png", "--screenshot", "23:back.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fLastTracedFrame(r.out), 31) << r.out;
    EXPECT_EQ(std::filesystem::file_size(folder / "dat/setting.dat"), 92u);
    EXPECT_EQ(fPngSize(folder / "option.png"), std::make_pair(640, 480));
    EXPECT_NE(folder.fRead("option.png"), folder.fRead("back.png"));
}

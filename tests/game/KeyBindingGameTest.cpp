// The keyboard's keys chosen in the key configuration, seen from outside: attack moved from Z to A opens the
// menu and attacks in a run, Z no longer does, and the choice is still there after a restart.
#include "GameRunner.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>

namespace {

// The game keys --trace-keys printed for `frame`.
std::string fKeysOf(const std::string& out, int frame) {
    const std::regex line("frame " + std::to_string(frame) + " keys:([^\n]*)\n");
    std::smatch m;
    return std::regex_search(out, m, line) ? m[1].str() : "(no frame " + std::to_string(frame) + ")";
}

} // namespace

TEST(KeyBindingGame, AttackMovedToAStaysThereAfterARestart) {
    CGameFolder folder;
    // Z opens the menu, DOWN twice to "キーコンフィグ", Z opens it; RIGHT to the keyboard's window, DOWN four
    // times to attack, Enter, then A; X (swap) leaves. A then opens the menu and starts a run, where it is
    // held; Z is pressed too.
    const SGameResult set = folder.fRunWithInput(
        "10 tap Z\n20 tap Down\n30 tap Down\n40 tap Z\n50 tap Right\n60 tap Down\n70 tap Down\n80 tap Down\n"
        "90 tap Down\n100 tap Return\n110 tap A\n120 tap X\n140 tap A\n150 tap A\n"
        "260 down A\n262 up A\n270 down Z\n272 up Z\n",
        {"--no-render", "--frames", "280", "--trace-menu", "--trace-keys", "--trace-stage", "--seed", "1"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find("option menu: A on KB_ATTACK"), std::string::npos) << set.out.substr(0, 2000);
    EXPECT_TRUE(folder.fExists("dat/keys.dat"));
    EXPECT_NE(fKeysOf(set.out, 261).find("KEY_Z"), std::string::npos) << fKeysOf(set.out, 261);
    EXPECT_EQ(fKeysOf(set.out, 271).find("KEY_Z"), std::string::npos) << fKeysOf(set.out, 271);
    // The run started from A: the menu opened and "スタート" was taken.
    EXPECT_NE(set.out.find("stage frame 60:"), std::string::npos) << set.out.substr(0, 3000);

    // Started again, A is still attack and Z is nothing.
    const SGameResult again = folder.fRunWithInput("10 down A\n12 up A\n20 down Z\n22 up Z\n",
                                                   {"--no-render", "--frames", "30", "--trace-keys"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(fKeysOf(again.out, 11).find("KEY_Z"), std::string::npos) << fKeysOf(again.out, 11);
    EXPECT_EQ(fKeysOf(again.out, 21), "");

    // A damaged file is set aside with a warning, and the game's own keys come back.
    folder.fWrite("dat/keys.dat", "not keys");
    const SGameResult damaged =
        folder.fRunWithInput("10 down Z\n12 up Z\n", {"--no-render", "--frames", "20", "--trace-keys"});
    EXPECT_NE(fKeysOf(damaged.out, 11).find("KEY_Z"), std::string::npos);
    EXPECT_NE(damaged.err.find("keys.dat"), std::string::npos) << damaged.err;
}

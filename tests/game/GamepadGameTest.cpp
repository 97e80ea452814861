// Gamepads plugged in and pulled out while the game runs, through SDL's virtual joysticks: the same path a
// real device takes, from its arrival to the game keys and the key configuration.
#include "GameMain/COptionInfo.h"
#include "GameMain/GameRecords.h"
#include "GameRunner.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {
// Loop frame -> the game keys held in it, from --trace-keys.
std::map<int, std::set<std::string>> fKeysByFrame(const std::string& out) {
    std::map<int, std::set<std::string>> keys;
    std::istringstream in(out);
    const std::regex line(R"(^frame (\d+) keys:(.*)$)");
    for (std::string text; std::getline(in, text);) {
        std::smatch m;
        if (std::regex_match(text, m, line)) {
            std::istringstream names(m[2].str());
            auto& held = keys[std::stoi(m[1].str())];
            for (std::string name; names >> name;) {
                held.insert(name);
            }
        }
    }
    return keys;
}

double fPartyX(const std::string& out, int playFrame) {
    std::smatch m;
    const std::regex line("stage frame " + std::to_string(playFrame) + R"(: party ([-0-9.]+),)");
    return std::regex_search(out, m, line) ? std::stod(m[1].str()) : -1.0;
}
} // namespace

TEST(GamepadGame, PadsComeAndGoWhileTheGameRuns) {
    CGameFolder folder;
    std::filesystem::remove(folder / "dat/setting.dat");
    // A run: a controller plugged in walks right and attacks, and is pulled out with both still held; a pad
    // SDL has no layout for walks up and swaps. Then Esc, the key configuration, and a controller again.
    const std::string script = "1 tap Z\n3 tap Z\n"
                               "10 pad attach\n20 down PadRight\n80 down Pad1\n90 pad detach\n"
                               "100 up PadRight\n100 up Pad1\n"
                               "130 pad attach joystick\n140 down PadUp\n150 down Pad2\n160 up Pad2\n"
                               "165 up PadUp\n170 pad detach\n"
                               "190 tap Escape\n"
                               "210 tap Z\n212 tap Down\n214 tap Down\n216 tap Z\n"
                               "230 pad attach\n"
                               "240 tap Down\n242 tap Down\n244 tap Down\n246 tap Down\n"
                               "250 down Pad4\n255 up Pad4\n260 tap X\n";
    const SGameResult run = folder.fRunWithInput(script, {"--no-render", "--seed", "7", "--frames", "280",
                                                          "--trace-keys", "--trace-stage", "--trace-menu"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto keys = fKeysByFrame(run.out);

    const std::set<std::string> walking{"RIGHT", "ARROW_RIGHT"};
    const std::set<std::string> attacking{"RIGHT", "ARROW_RIGHT", "KEY_Z"};
    EXPECT_EQ(keys.at(50), walking);
    EXPECT_EQ(keys.at(85), attacking);
    // Pulled out in frame 90 with both held: nothing stays held, though the script never let go.
    for (int frame = 90; frame < 100; ++frame) {
        EXPECT_TRUE(keys.at(frame).empty()) << frame;
    }
    // Still walking between the traces of play frames 60 and 120 (the run began in loop frame 4).
    EXPECT_GT(fPartyX(run.out, 120), fPartyX(run.out, 60) + 20.0) << run.out;

    // The joystick: its hat moves, its button 2 is button 2.
    EXPECT_EQ(keys.at(145), (std::set<std::string>{"UP", "ARROW_UP"}));
    EXPECT_EQ(keys.at(155), (std::set<std::string>{"UP", "ARROW_UP", "KEY_X"}));
    EXPECT_TRUE(keys.at(175).empty());

    // The key configuration says whether a pad is there, and takes a button of the one plugged in later.
    const std::size_t absent = run.out.find("option menu: パッド：未接続");
    ASSERT_NE(absent, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("option menu: パッド：接続中", absent), std::string::npos) << run.out;
    gOptionInfo.reset();
    fLoadSetting((folder / "dat/setting.dat").string());
    ASSERT_NE(gOptionInfo, nullptr);
    std::vector<std::int32_t> expected = COptionInfo().buttons;
    expected[8] = 0x80; // attack on button 4
    EXPECT_EQ(gOptionInfo->buttons, expected);
    gOptionInfo.reset();
}

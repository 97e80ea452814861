// A name made with a gamepad alone and sent to the ranking: the game, driven only by pad buttons, opens the
// name entry's character grid, makes a name of the longest length (one more character is refused, one is
// taken back), and the server lists it.
#include "GameRunner.h"
#include "ServerTestSupport.h"
#include "base/FieldText.h"

#include <regex>

using namespace servertest;

class PadNameGame : public CStoreTest {};
INSTANTIATE_TEST_SUITE_P(Sqlite, PadNameGame, testing::Values(EStore::Sqlite), fStoreName);

TEST_P(PadNameGame, ANameMadeOnTheGridIsUploaded) {
    CTempFolder temp;
    CRankingServer server(
        fTestOptions(temp.fPath() / "data", fWriteFakeGame(temp.fPath() / "game.sh", "exit 0")));
    const std::string address = "127.0.0.1:" + std::to_string(server.fPort());
    CGameFolder folder;
    const SGameResult run =
        folder.fRunWithInput(fReadFile(fs::path(TAVONI_SOURCE_DIR) / "tests/game/input/feed_varno.txt"),
                             {"--no-render", "--seed", "7", "--frames", "8700", "--trace-stage"});
    ASSERT_NE(run.out.find("stage end: score "), std::string::npos) << run.err;

    // Button 1 opens the menu; down three times to "ハイスコア送信"; button 1. On the grid (the cursor on
    // "A"): button 1 thirteen times (the thirteenth is refused), button 2 takes one back, right to "B",
    // button 1; Start asks, button 1 says yes.
    std::string keys = "5 tap Pad1\n7 tap PadDown\n9 tap PadDown\n11 tap PadDown\n13 tap Pad1\n";
    for (int i = 0; i < 13; ++i) {
        keys += std::to_string(16 + 2 * i) + " tap Pad1\n";
    }
    keys += "42 tap Pad2\n44 tap PadRight\n46 tap Pad1\n49 tap Pad8\n52 tap Pad1\n";
    const SGameResult menu = folder.fRunWithInput(
        keys, {"--ranking-server", address, "--trace-menu", "--frames", "70", "--screenshot", "40:grid.png"});
    ASSERT_EQ(menu.exitCode, 0) << menu.err;
    EXPECT_NE(menu.out.find("menu notice: ランキングデータの送信に成功しました\nあなたの順位は1位です\n"),
              std::string::npos)
        << menu.out;
    const std::vector<std::string> list =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(fSplitFields(list[0], '?')[0], "AAAAAAAAAAAB");
    EXPECT_EQ(fPngSize(folder / "grid.png"), std::make_pair(640, 480));
}

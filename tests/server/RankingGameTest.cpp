// The online ranking played through the game: a server started by the test holds another player's replay;
// the game, with scripted keys, uploads its new high score under a typed name from the menu, opens the
// ranking, downloads the other player's replay and starts watching it.
#include "GameRunner.h"
#include "ServerTestSupport.h"
#include "SyntheticReplay.h"

#include <regex>

using namespace servertest;

class RankingGame : public CStoreTest {};
TAVONI_ON_BOTH_STORES(RankingGame);

namespace {
std::string fScript(const std::string& name) {
    return fReadFile(fs::path(TAVONI_SOURCE_DIR) / "tests/game/input" / name);
}
} // namespace

TEST_P(RankingGame, UploadFromTheMenuThenBrowseAndWatchAnotherPlayersReplay) {
    CTempFolder temp;
    // Under the sanitizers one check of a replay takes longer than the game waits for an answer, so there
    // the server accepts without playing; the real check is the server tests' business.
    const fs::path game =
        TAVONI_SANITIZED ? fWriteFakeGame(temp.fPath() / "game.sh", "exit 0") : fs::path(TAVONI_BINARY);
    CRankingServer server(fTestOptions(temp.fPath() / "data", game));
    const std::string address = "127.0.0.1:" + std::to_string(server.fPort());

    // Another player: the scripted fight, uploaded straight to the server.
    const SRealReplay rival = fPlayRealReplay();
    ASSERT_GE(rival.score, 0);
    ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Rival?" + std::to_string(rival.score)),
                    rival.bytes)
                  .body,
              "UploadSuccess?1");

    // Our player: a run that feeds Varno twice sets the local high score.
    CGameFolder folder;
    const SGameResult run = folder.fRunWithInput(
        fScript("feed_varno.txt"), {"--no-render", "--seed", "7", "--frames", "8700", "--trace-stage"});
    std::smatch end;
    ASSERT_TRUE(std::regex_search(run.out, end, std::regex("stage end: score ([0-9]+)\n"))) << run.err;
    const std::string score = end[1];
    ASSERT_GT(std::stoi(score), rival.score);

    // The menu: Z; down to "ハイスコア送信" (after "スタート", "自分のリプレイ", "ランキング表示"); Z; the
    // name; Enter; Z on "はい". The notice is paged away, then "ランキング表示" (two down) opens the list;
    // down to the other player's row and Z downloads the replay and plays it.
    const std::string keys =
        "5 tap Z\n7 tap Down\n9 tap Down\n11 tap Down\n13 tap Z\n16 text Alice\n19 tap Return\n"
        "22 tap Z\n28 tap Z\n33 tap Down\n35 tap Down\n37 tap Z\n44 tap Down\n46 tap Z\n";
    const SGameResult menu =
        folder.fRunWithInput(keys, {"--ranking-server", address, "--trace-menu", "--frames", "130",
                                    "--screenshot", "26:uploaded.png", "--screenshot", "31:sent.png",
                                    "--screenshot", "42:ranking.png", "--screenshot", "120:watching.png"});
    ASSERT_EQ(menu.exitCode, 0) << menu.err;
    const std::string& out = menu.out;
    EXPECT_NE(out.find("menu high score " + score + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("menu notice: ランキングデータの送信に成功しました\nあなたの順位は1位です\n"),
              std::string::npos)
        << out;
    // The stored high score is marked as sent, so the menu shows "★" and no longer offers to send it.
    EXPECT_NE(out.find("menu high score " + score + " sent\n"), std::string::npos) << out;
    // The ranking as the window lists it: our player first, the other second.
    const size_t alice = out.find("menu ranking row:   1位        Alice ");
    const size_t other = out.find("menu ranking row:   2位        Rival ");
    EXPECT_NE(alice, std::string::npos) << out;
    EXPECT_NE(other, std::string::npos) << out;
    EXPECT_LT(alice, other);
    // The other player's replay came down whole and is being watched (its run's seed).
    const std::vector<std::string> downloads = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder / "downloaded_replay")) {
            if (e.path().filename() != "dummy") {
                names.push_back(e.path().filename().string());
            }
        }
        return names;
    }();
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(folder.fRead("downloaded_replay/" + downloads[0]), rival.bytes);
    EXPECT_NE(out.find("Seed = 7\n"), std::string::npos) << out;
    for (const char* shot : {"uploaded.png", "sent.png", "ranking.png", "watching.png"}) {
        EXPECT_EQ(fPngSize(folder / shot), std::make_pair(640, 480)) << shot;
    }

    // The server lists the upload under the typed name with its score.
    const std::vector<std::string> list =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].rfind("Alice?" + score + "?", 0), 0u) << list[0];
}

// The player's own setting file names the server (no option, no environment). Their high score's replay is
// already on the ranking under another name: the upload is refused and the game shows why.
TEST_P(RankingGame, TheSettingFileFindsTheServerAndAReplaySentUnderAnotherNameIsRefused) {
    CTempFolder temp;
    const fs::path game =
        TAVONI_SANITIZED ? fWriteFakeGame(temp.fPath() / "game.sh", "exit 0") : fs::path(TAVONI_BINARY);
    CRankingServer server(fTestOptions(temp.fPath() / "data", game));
    CGameFolder folder;
    const SGameResult run = folder.fRunWithInput(
        fScript("feed_varno.txt"), {"--no-render", "--seed", "7", "--frames", "8700", "--trace-stage"});
    std::smatch end;
    ASSERT_TRUE(std::regex_search(run.out, end, std::regex("stage end: score ([0-9]+)\n"))) << run.err;
    const std::string score = end[1];
    ASSERT_EQ(fHttp("POST", fScriptUrl(server.fPort(), "UploadRanking?Alice?" + score),
                    folder.fRead("dat/replay/replay"))
                  .body,
              "UploadSuccess?1");

    folder.fWrite("dat/ranking_server.txt",
                  "# the player's server\n127.0.0.1:" + std::to_string(server.fPort()) + "\n");
    const std::string keys =
        "5 tap Z\n7 tap Down\n9 tap Down\n11 tap Down\n13 tap Z\n16 text Bob\n19 tap Return\n"
        "22 tap Z\n";
    const SGameResult menu =
        folder.fRunWithInput(keys, {"--trace-menu", "--frames", "30", "--screenshot", "26:refused.png"});
    ASSERT_EQ(menu.exitCode, 0) << menu.err;
    EXPECT_NE(
        menu.out.find(
            "menu notice: "
            "ランキングサーバに送信を断られました\nこのリプレイはAliceさんの\n名前で登録されています\n"),
        std::string::npos)
        << menu.out << menu.err;
    EXPECT_EQ(menu.out.find("menu high score " + score + " sent\n"), std::string::npos) << menu.out;
    EXPECT_NE(menu.err.find("the upload was refused (HTTP 422)"), std::string::npos) << menu.err;
    const std::vector<std::string> list =
        fLines(fHttp("GET", fScriptUrl(server.fPort(), "GetRankingList")).body);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].rfind("Alice?" + score + "?", 0), 0u) << list[0];
}

// The ranking window: pages of ten, places by score kept through the date sort, the blinking arrows, and
// a chosen replay played from "downloaded_replay/" or fetched first, with a failed fetch leaving the list
// usable.
#include "GameMain/CGameStageHost.h"
#include "GameMain/CSceneHolder.h"
#include "GameMain/GameMain.h"
#include "ScratchFolder.h"
#include "Stage/StageTestEnv.h"
#include "SyntheticReplay.h"
#include "gui/CShowRankingWindow.h"
#include "net/CScriptedHttpServer.h"
#include "net/RankingClient.h"

#include <algorithm>
#include <dx/DxLib.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Task = CShowRankingWindow::EConnectTask;

// A loopback address where nothing answers.
constexpr const char* kNoServer = "127.0.0.1:1";

class RankingWindowTest : public StageGlobalsTest {
protected:
    void SetUp() override {
        StageGlobalsTest::SetUp();
        fCreateFonts();
        gScene.fReset();
    }

    void TearDown() override {
        gScene.fReset();
        mCwd.reset();
        gFont20 = gFont24Bold = gFont64 = gFont24 = gFont28 = -1;
        dx_SetCallLog(false);
        StageGlobalsTest::TearDown();
    }

    // Entry i: "p<i>", the score given, replay "id<i>", registered on day 10 + i.
    static std::vector<SRankingData> fEntries(const std::vector<int>& scores) {
        std::vector<SRankingData> entries;
        for (std::size_t i = 0; i < scores.size(); ++i) {
            entries.push_back({0, "p" + std::to_string(i), scores[i], "id" + std::to_string(i),
                               "2024/05/" + std::to_string(10 + i) + " 12:00:00"});
        }
        return entries;
    }

    static std::vector<std::string> fRows(CShowRankingWindow& window) {
        std::vector<std::string> rows;
        for (int j = 0;; ++j) {
            const auto* label = window.fGetWindow().fGetTextLabel(std::to_string(j));
            if (!label) {
                return rows;
            }
            rows.push_back(label->fGetText());
        }
    }

    // As the start menu does: a downloaded replay plays as the game's stage.
    static void fPlayInGame(CShowRankingWindow& window) {
        window.fSetOnPlay([](const std::string& path) { gScene = fMakeGameStage(path); });
    }
    static std::string fInfoText(CShowRankingWindow& window) {
        return window.fGetInfoWindow().fGetWindow().fGetTextLabel("line0")->fGetText();
    }

    void fTapInput(CShowRankingWindow& window, EGameKey key) {
        fTap(key, [&] { window.fInput(); });
    }
    template <typename Step> void fTap(EGameKey key, Step&& step) {
        mKeys->fPress(key);
        step();
        mKeys->fRelease(key);
    }

    // A game folder of its own as the working directory: the town map, collision chips and images of the
    // real one, an empty "downloaded_replay/".
    void fUseScratchGameFolder() {
        fs::create_directories(mFolder.path() / "dat" / "replay");
        fs::create_directories(mFolder.path() / "downloaded_replay");
        for (const char* shared : {"town3.csv", "image"}) {
            fs::create_symlink(fs::current_path() / "dat" / shared, mFolder.path() / "dat" / shared);
        }
        fs::create_symlink(fs::current_path() / "collision.png", mFolder.path() / "collision.png");
        mCwd = std::make_unique<CWorkingDirectoryGuard>(mFolder.path());
    }

    CScratchFolder mFolder;
    std::unique_ptr<CWorkingDirectoryGuard> mCwd;
};

} // namespace

TEST_F(RankingWindowTest, ElevenEntriesMakeTwoPagesOfTen) {
    std::vector<int> scores;
    for (int i = 0; i < 11; ++i) {
        scores.push_back(1100 - 100 * i);
    }
    CShowRankingWindow window(fEntries(scores));
    EXPECT_EQ(window.fGetLastPage(), 1);
    EXPECT_EQ(fRows(window).size(), 10u);
    EXPECT_EQ(fInfoText(window), "スコア順でソート中(ボタン3で切り替え)");

    fTapInput(window, EGameKey::RIGHT);
    EXPECT_EQ(window.fGetPage(), 1);
    // Entry 10: place 11, date without its seconds.
    EXPECT_EQ(fRows(window), std::vector<std::string>{" 11位 " + std::string(9, ' ') + "p10 " + "    100点 " +
                                                      "2024/05/20 12:00"});
    fTapInput(window, EGameKey::RIGHT);
    EXPECT_EQ(window.fGetPage(), 1) << "no page after the last";
    fTapInput(window, EGameKey::LEFT);
    EXPECT_EQ(window.fGetPage(), 0);
    EXPECT_EQ(fRows(window).front(), "  1位 " + std::string(10, ' ') + "p0    1100点 2024/05/10 12:00");

    // DOWN held for half a second: the push, then one repeat after the first delay.
    mKeys->fPress(EGameKey::DOWN);
    for (int frame = 0; frame < 30; ++frame) {
        window.fInput();
        window.fUpdate();
    }
    mKeys->fRelease(EGameKey::DOWN);
    EXPECT_EQ(window.fGetWindow().fGetFocusName(), "2");
}

TEST_F(RankingWindowTest, EqualScoresSharePlacesAndTheDateSortKeepsThem) {
    std::vector<SRankingData> entries = fEntries({800, 900, 700, 800});
    entries[0].registeredAt = "2024/03/01 00:00:00";
    entries[1].registeredAt = "2024/01/01 00:00:00";
    entries[2].registeredAt = "2024/04/01 00:00:00";
    entries[3].registeredAt = "2024/02/01 00:00:00";
    CShowRankingWindow window(std::move(entries));
    // Place and name of each row.
    const auto placesAndNames = [&] {
        std::vector<std::string> shown;
        for (const std::string& row : fRows(window)) {
            shown.push_back(row.substr(0, row.find("位")) + row.substr(row.find('p'), 2));
        }
        return shown;
    };
    const std::vector<std::string> byScore{"  1p1", "  2p0", "  2p3", "  4p2"};
    EXPECT_EQ(placesAndNames(), byScore);

    fTapInput(window, EGameKey::RIGHT); // one page only: nothing changes
    fTapInput(window, EGameKey::KEY_C);
    EXPECT_EQ(window.fGetSortBy(), CShowRankingWindow::ESortBy::DATE);
    EXPECT_EQ(placesAndNames(), (std::vector<std::string>{"  4p2", "  2p0", "  2p3", "  1p1"}));
    EXPECT_EQ(fInfoText(window), "登録日時順でソート中(ボタン3で切り替え)");

    fTapInput(window, EGameKey::KEY_C);
    EXPECT_EQ(placesAndNames(), byScore);
    EXPECT_EQ(fInfoText(window), "スコア順でソート中(ボタン3で切り替え)");
}

TEST_F(RankingWindowTest, ArrowsBlinkAndShowOnlyWhereMorePagesLie) {
    CShowRankingWindow window(fEntries(std::vector<int>(25, 100)));
    const int right = gImageManager->fGetHandle("ui_parts/cursor_right.png");
    const int left = gImageManager->fGetHandle("ui_parts/cursor_left.png");
    ASSERT_NE(right, left);
    const auto drawn = [](int handle) {
        const std::string tail = "," + std::to_string(handle) + ",1)";
        const auto& log = dx_GetCallLog();
        return std::any_of(log.begin(), log.end(), [&](const std::string& call) {
            return call.starts_with("DrawGraph(") && call.ends_with(tail);
        });
    };
    dx_SetCallLog(true);
    struct Page {
        bool right;
        bool left;
    };
    const Page pages[] = {{true, false}, {true, true}, {false, true}};
    for (int page = 0; page < 3; ++page) {
        if (page > 0) {
            fTapInput(window, EGameKey::RIGHT);
        }
        ASSERT_EQ(window.fGetPage(), page);
        for (int frame = 0; frame < 150; ++frame) {
            const bool lit = window.fGetFrameCount() % 60 < 30;
            dx_ClearCallLog();
            window.fDraw();
            EXPECT_EQ(drawn(right), lit && pages[page].right) << "page " << page << ", frame " << frame;
            EXPECT_EQ(drawn(left), lit && pages[page].left) << "page " << page << ", frame " << frame;
            window.fUpdate();
        }
    }
    EXPECT_EQ(window.fGetFrameCount(), 450);
}

TEST_F(RankingWindowTest, ZPlaysAKeptReplayWithoutTheNetwork) {
    const std::string replay = fMakeSyntheticReplay(mFolder.path() / "make", 30, 7);
    fUseScratchGameFolder();
    ASSERT_TRUE(fSetRankingServer(kNoServer));
    // Entry 11 is row 1 of the second page; only its replay is kept.
    const std::vector<unsigned char> bytes(replay.begin(), replay.end());
    fWriteBytes("downloaded_replay/id11", bytes);
    std::vector<int> scores;
    for (int i = 0; i < 12; ++i) {
        scores.push_back(1200 - 100 * i);
    }
    CShowRankingWindow window(fEntries(scores));
    fPlayInGame(window);
    fTapInput(window, EGameKey::RIGHT);
    fTapInput(window, EGameKey::DOWN);
    mKeys->fPress(EGameKey::KEY_Z);
    window.fInput();
    mKeys = nullptr; // the playback's key player has taken the scripted keys' place

    const auto* stage = dynamic_cast<CStage*>(gScene.get());
    ASSERT_NE(stage, nullptr) << fInfoText(window);
    EXPECT_TRUE(stage->fIsReplay());
    EXPECT_EQ(fReadBytes("downloaded_replay/id11"), bytes);
}

TEST_F(RankingWindowTest, FailedDownloadKeepsNoFileAndLeavesTheListUsable) {
    fUseScratchGameFolder();
    CScriptedHttpServer damaged([](const CScriptedHttpServer::SSeen&) {
        return CScriptedHttpServer::SReply{200, "<html>not a replay</html>"};
    });
    struct Case {
        std::string server;
        std::string notice;
    };
    for (const Case& c : {Case{kNoServer, "ランキングサーバとの接続に失敗しました"},
                          Case{damaged.fAddress(), "リプレイファイルのダウンロードに失敗しました"}}) {
        ASSERT_TRUE(fSetRankingServer(c.server));
        CShowRankingWindow window(fEntries({300, 200, 100}));
        fPlayInGame(window);
        fTapInput(window, EGameKey::KEY_Z);
        EXPECT_EQ(window.fGetConnectTask(), Task::DOWNLOAD_REQUESTED);
        EXPECT_EQ(fInfoText(window), "リプレイファイルをダウンロード中です...");
        fTapInput(window, EGameKey::DOWN);
        EXPECT_EQ(window.fGetWindow().fGetFocusName(), "0") << "no input while a download waits";

        window.fUpdate();
        EXPECT_EQ(window.fGetConnectTask(), Task::DOWNLOAD_READY);
        EXPECT_EQ(fInfoText(window), "リプレイファイルをダウンロード中です...")
            << "drawn before the transfer";
        window.fUpdate();
        EXPECT_EQ(window.fGetConnectTask(), Task::NONE);
        EXPECT_EQ(fInfoText(window), c.notice) << c.server;
        EXPECT_FALSE(gScene) << c.server;
        EXPECT_TRUE(fs::is_empty("downloaded_replay")) << c.server;

        fTapInput(window, EGameKey::DOWN);
        EXPECT_EQ(window.fGetWindow().fGetFocusName(), "1") << c.server;
    }
    EXPECT_EQ(damaged.fSeen().size(), 1u);
}

TEST_F(RankingWindowTest, AnUnsafeIdRefusesOnlyItsDownloadAndLongRowsStillShow) {
    fUseScratchGameFolder();
    CScriptedHttpServer server([](const CScriptedHttpServer::SSeen&) {
        return CScriptedHttpServer::SReply{200, "<html>not a replay</html>"};
    });
    ASSERT_TRUE(fSetRankingServer(server.fAddress()));
    std::vector<SRankingData> entries = fEntries({300, 200, 100});
    entries[0].replayId = "../../score.dat";
    // A name and a date far wider than the screen (a server may send anything) make a list window wider
    // than 640 pixels: it is drawn clipped by the screen, never refused.
    entries[1].name = std::string(60, 'W');
    entries[1].registeredAt = std::string(80, '9');
    CShowRankingWindow window(std::move(entries));
    ASSERT_EQ(fRows(window).size(), 3u);
    EXPECT_NE(fRows(window)[1].find(std::string(60, 'W')), std::string::npos);
    EXPECT_GT(window.fGetWindow().fGetRect().w, 640);
    window.fUpdate();
    window.fDraw();

    fTapInput(window, EGameKey::KEY_Z);
    EXPECT_EQ(window.fGetConnectTask(), Task::NONE);
    EXPECT_EQ(fInfoText(window), "リプレイファイルのダウンロードに失敗しました");
    EXPECT_TRUE(server.fSeen().empty());
    EXPECT_TRUE(fs::is_empty("downloaded_replay"));
}

TEST_F(RankingWindowTest, XAndEscCloseOnceAndTheWindowMayBeDropped) {
    for (EGameKey key : {EGameKey::KEY_X, EGameKey::KEY_ESC}) {
        int calls = 0;
        auto window = std::make_unique<CShowRankingWindow>(fEntries({100}));
        // The owner drops the window from the callback, then still uses what it captured.
        window->fSetOnClose([&calls, &window] {
            window.reset();
            ++calls;
        });
        CShowRankingWindow* raw = window.get();
        fTap(key, [&] { raw->fInput(); });
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(window, nullptr);
    }
}

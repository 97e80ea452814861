// The start menu: which items it offers, that nothing answers while a transfer is under way, and holding a
// direction key through the list.
#include "GameMain/CStartMenu.h"
#include "GameMain/CTipsManager.h"
#include "GameMain/GameRecords.h"
#include "ScratchFolder.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "gui/GuiTestEnv.h"
#include "net/RankingClient.h"
#include "replay/ReplayFiles.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {
class StartMenuTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        gSoundManager = std::make_unique<CSoundManager>(false);
        mCwd = std::make_unique<CWorkingDirectoryGuard>(mFolder.path());
        std::filesystem::create_directories("dat/replay");
        fRegisterHighScoreInfo();
    }
    void TearDown() override {
        gTipsManager.reset();
        fSetRankingServer(kDefaultRankingServer);
        mCwd.reset();
        gSoundManager.reset();
        GuiTest::TearDown();
    }

    static std::vector<std::string> fNames(const CStartMenu& menu) {
        std::vector<std::string> names;
        for (const CStartMenu::SItem& item : menu.fGetItems()) {
            names.emplace_back(item.name);
        }
        return names;
    }
    // One frame as the scene loop runs it.
    static void fFrame(CStartMenu& menu) {
        menu.fInput();
        menu.fUpdate();
    }
    void fTapFrame(CStartMenu& menu, EGameKey key) {
        fTap(key, [&] { fFrame(menu); });
    }

    CScratchFolder mFolder;
    std::unique_ptr<CWorkingDirectoryGuard> mCwd;
};

TEST_F(StartMenuTest, ItemsFollowTheHighScoreTheReplayAndTheTips) {
    const std::vector<std::string> always{"start", "show ranking", "option", "quit"};
    EXPECT_EQ(fNames(CStartMenu()), always); // score 0: nothing to send

    fSaveHighScore(CHighScoreInfo(500, false));
    std::ofstream(kPackedReplayPath) << "a replay";
    EXPECT_EQ(fNames(CStartMenu()), (std::vector<std::string>{"start", "replay", "show ranking",
                                                              "send highscore", "option", "quit"}));

    fSaveHighScore(CHighScoreInfo(500, true));
    std::filesystem::remove(kPackedReplayPath);
    gTipsManager = std::make_unique<CTipsManager>("dat/tips.dat");
    EXPECT_EQ(fNames(CStartMenu()), always);
    gRandom = std::make_unique<CRandom>(1);
    gTipsManager->fUnlockTip();
    gRandom.reset();
    EXPECT_EQ(fNames(CStartMenu()),
              (std::vector<std::string>{"start", "show ranking", "show tips", "option", "quit"}));
}

TEST_F(StartMenuTest, NoKeyAnswersWhileATransferIsUnderWay) {
    ASSERT_TRUE(fSetRankingServer("127.0.0.1:9")); // nothing listens there: the transfer fails at once
    CStartMenu menu;
    fTapFrame(menu, EGameKey::KEY_Z);
    ASSERT_TRUE(menu.fIsMenuOpen());
    fTapFrame(menu, EGameKey::DOWN);
    ASSERT_EQ(menu.fGetMenuWindow().fGetFocusName(), "show ranking");
    mKeys->fPress(EGameKey::KEY_Z);
    menu.fInput();
    mKeys->fRelease(EGameKey::KEY_Z);
    EXPECT_EQ(menu.fGetConnectTask(), CStartMenu::EConnectTask::RANKING_REQUESTED);
    const CPagedMessageWindow* connecting = menu.fGetNoticeWindow();
    ASSERT_NE(connecting, nullptr);
    menu.fUpdate(); // the notice is drawn after this update, before the transfer
    EXPECT_EQ(menu.fGetConnectTask(), CStartMenu::EConnectTask::RANKING_READY);

    // The next frame: every key is held and nothing answers; then its update runs the transfer, which fails.
    for (EGameKey key : {EGameKey::DOWN, EGameKey::KEY_Z, EGameKey::KEY_X, EGameKey::KEY_ESC}) {
        mKeys->fPress(key);
    }
    menu.fInput();
    EXPECT_EQ(menu.fGetMenuWindow().fGetFocusName(), "show ranking");
    EXPECT_EQ(menu.fGetNoticeWindow(), connecting);
    EXPECT_TRUE(menu.fIsMenuOpen());
    menu.fUpdate();
    EXPECT_EQ(menu.fGetConnectTask(), CStartMenu::EConnectTask::NONE);
    ASSERT_NE(menu.fGetNoticeWindow(), nullptr);
    EXPECT_EQ(menu.fGetNoticeWindow()->fGetWindow().fGetTextLabel("line0")->fGetText(),
              kNoticeConnectionFailed);
    EXPECT_EQ(menu.fGetRankingWindow(), nullptr);
    EXPECT_FALSE(gQuitRequested);
    EXPECT_EQ(menu.fGetMenuWindow().fGetFocusName(), "show ranking");
}

TEST_F(StartMenuTest, HoldingDownRepeatsAndWrapsFromQuitToStart) {
    CStartMenu menu;
    fTapFrame(menu, EGameKey::KEY_Z);
    std::vector<std::string> seen{menu.fGetMenuWindow().fGetFocusName()};
    mKeys->fPress(EGameKey::DOWN);
    for (int frame = 0; frame < 60; ++frame) {
        fFrame(menu);
        const std::string focus = menu.fGetMenuWindow().fGetFocusName();
        if (focus != seen.back()) {
            seen.push_back(focus);
        }
        // The description box follows the focus.
        ASSERT_NE(menu.fGetDescriptionWindow(), nullptr);
    }
    mKeys->fRelease(EGameKey::DOWN);
    // One move on the push, then repeats after a short delay: more than one lap of four items in a second.
    ASSERT_GE(seen.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 6),
              (std::vector<std::string>{"start", "show ranking", "option", "quit", "start", "show ranking"}));
}

TEST_F(StartMenuTest, XLeavesTheMenuForThePromptAndEscThereQuits) {
    CStartMenu menu;
    fTapFrame(menu, EGameKey::KEY_Z);
    ASSERT_TRUE(menu.fIsMenuOpen());
    fTapFrame(menu, EGameKey::KEY_X);
    EXPECT_FALSE(menu.fIsMenuOpen());
    EXPECT_EQ(menu.fGetDescriptionWindow(), nullptr);
    EXPECT_FALSE(gQuitRequested);
    fTapFrame(menu, EGameKey::KEY_ESC);
    EXPECT_TRUE(gQuitRequested);
    gQuitRequested = false;
}
} // namespace

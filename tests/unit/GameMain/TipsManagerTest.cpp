// The tips: which one a run unlocks, the file, and paging through them from the start menu.
#include "GameMain/CTipsManager.h"
#include "ScratchFolder.h"
#include "base/CRandom.h"
#include "gui/GuiTestEnv.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class TipsManagerTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        gRandom = std::make_unique<CRandom>(kSeed);
    }
    void TearDown() override {
        gRandom.reset();
        GuiTest::TearDown();
    }

    std::string fPath() const { return mFolder.file("tips.dat"); }

    void fWriteFlags(const std::vector<int>& unlocked) const {
        std::vector<bool> flags(10, false);
        for (int i : unlocked) {
            flags[std::size_t(i)] = true;
        }
        fWriteTipsFile(fPath(), flags);
    }

    std::vector<char> fFileBytes() const {
        std::ifstream in(fPath(), std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }

    static std::string fFirstLine(CTipsManager& tips) {
        return tips.fGetWindow()->fGetWindow().fGetTextLabel("line0")->fGetText();
    }

    static constexpr int kSeed = 4242;
    CScratchFolder mFolder;
};

TEST_F(TipsManagerTest, RunsUnlockTheKeyHintsFirstThenRandomTips) {
    CTipsManager tips(fPath());
    ASSERT_EQ(tips.fCountUnlocked(), 0);

    // First run: tip 0, shown under the heading for number 1 of 10, saved at once; no draw.
    tips.fUnlockTip();
    tips.fOpen(CTipsManager::EScene::STAGE);
    EXPECT_EQ(tips.fGetCurrent(), 0);
    EXPECT_EQ(fFirstLine(tips), "【 Tips No (1/10) 】");
    EXPECT_EQ(tips.fGetWindow()->fGetWindow().fGetTextLabel("line1")->fGetText(),
              "Zキーを押しっぱなしにすると溜め攻撃が可能だ！");
    EXPECT_EQ(fFileBytes(), (std::vector<char>{10, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(gRandom->fGetCount(), 0);

    // Second run: tip 1, still no draw.
    tips.fUnlockTip();
    EXPECT_EQ(tips.fGetCurrent(), 1);
    EXPECT_EQ(gRandom->fGetCount(), 0);

    // Third run: one draw picks among the eight locked tips.
    CRandom same(kSeed);
    const int expected = 2 + same.fGetRand(0, 7);
    tips.fUnlockTip();
    EXPECT_EQ(gRandom->fGetCount(), 1);
    EXPECT_EQ(tips.fGetCurrent(), expected);
    EXPECT_TRUE(tips.fIsUnlocked(expected));
    EXPECT_EQ(tips.fCountUnlocked(), 3);

    // Every run unlocks a new one until all ten are; a new manager reads them back.
    for (int run = 4; run <= 10; ++run) {
        tips.fUnlockTip();
        EXPECT_EQ(tips.fCountUnlocked(), run);
    }
    EXPECT_EQ(CTipsManager(fPath()).fCountUnlocked(), 10);
}

TEST_F(TipsManagerTest, WithEveryTipUnlockedARunShowsARandomOneAndWritesNothing) {
    fWriteFlags({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(fPath(), old);
    CTipsManager tips(fPath());
    CRandom same(kSeed);
    const int expected = same.fGetRand(0, 9);
    tips.fUnlockTip();
    EXPECT_EQ(tips.fGetCurrent(), expected);
    EXPECT_EQ(gRandom->fGetCount(), 1);
    EXPECT_EQ(std::filesystem::last_write_time(fPath()), old);
}

TEST_F(TipsManagerTest, TheStartMenuPagesThroughTheUnlockedTips) {
    fWriteFlags({0, 3, 7});
    CTipsManager tips(fPath());
    tips.fOpen(CTipsManager::EScene::START_MENU);
    tips.fSetShown(true);
    EXPECT_EQ(tips.fGetCurrent(), 0);
    const SWindowRect at = tips.fGetWindow()->fGetWindow().fGetRect();
    EXPECT_EQ(at, (SWindowRect{20, 150, 600, 200}));

    const struct {
        EGameKey key;
        int tip;
    } steps[] = {{EGameKey::RIGHT, 3}, {EGameKey::RIGHT, 7}, {EGameKey::RIGHT, 7},
                 {EGameKey::LEFT, 3},  {EGameKey::LEFT, 0},  {EGameKey::LEFT, 0}};
    for (const auto& step : steps) {
        fTap(step.key, [&] { tips.fInput(); });
        EXPECT_EQ(tips.fGetCurrent(), step.tip);
        EXPECT_EQ(fFirstLine(tips), CTipsManager::fHeading(step.tip));
        EXPECT_EQ(tips.fGetWindow()->fGetWindow().fGetRect(), at);
        EXPECT_TRUE(tips.fIsShown());
    }
    fTap(EGameKey::KEY_X, [&] { tips.fInput(); });
    EXPECT_FALSE(tips.fIsShown());

    // Opened again from the menu: back on the first unlocked tip; Z closes it too.
    tips.fOpen(CTipsManager::EScene::START_MENU);
    tips.fSetShown(true);
    EXPECT_EQ(tips.fGetCurrent(), 0);
    fTap(EGameKey::KEY_Z, [&] { tips.fInput(); });
    EXPECT_FALSE(tips.fIsShown());
}

TEST_F(TipsManagerTest, AfterARunLeftAndRightDoNotPage) {
    fWriteFlags({0, 3, 7});
    CTipsManager tips(fPath());
    tips.fUnlockTip(); // tip 1
    tips.fOpen(CTipsManager::EScene::STAGE);
    tips.fSetShown(true);
    fTap(EGameKey::RIGHT, [&] { tips.fInput(); });
    EXPECT_EQ(tips.fGetCurrent(), 1);
    EXPECT_TRUE(tips.fIsShown());
}

TEST_F(TipsManagerTest, EveryTipFitsInsideTheFrame) {
    for (int i = 0; i < CTipsManager::kTipCount; ++i) {
        fWriteFlags({i});
        CTipsManager tips(fPath());
        tips.fOpen(CTipsManager::EScene::START_MENU);
        CMainWindow& window = tips.fGetWindow()->fGetWindow();
        for (const std::string& name : window.fGetOrder()) {
            const auto* line = window.fGetTextLabel(name);
            const std::string& text = line->fGetText();
            const int right =
                line->fGetRect().x + dx_GetDrawStringWidthToHandle(text.c_str(), int(text.size()), gFont24);
            // The wooden rim and its gold line take the outer 6 pixels.
            EXPECT_LE(right, window.fGetWidth() - 6) << "tip " << i << ": " << text;
        }
    }
}

TEST_F(TipsManagerTest, ASaveThatFailsIsLoggedAndPlayGoesOn) {
    const std::string blocked = mFolder.file("tips.dat");
    std::filesystem::create_directory(blocked); // a folder where the file should be
    CTipsManager tips(blocked);
    testing::internal::CaptureStderr();
    tips.fUnlockTip();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(tips.fIsUnlocked(0));
    EXPECT_NE(log.find("were not saved"), std::string::npos) << log;
}

} // namespace

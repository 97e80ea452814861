#include "Stage/StageTestEnv.h"
#include "Ziki/CFoodTables.h"
#include "base/TimeText.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(HudTextTest, FramesAreWrittenAsMinutesAndSeconds) {
    const std::pair<int, const char*> cases[] = {
        {5400, "01:30"}, {3900, "01:05"}, {7260, "02:01"}, {0, "00:00"},
        {59, "00:00"},   {3599, "00:59"}, {3600, "01:00"}, {3600 * 61 + 60 * 5, "61:05"}, // not wrapped
    };
    for (const auto& [frames, text] : cases) {
        EXPECT_EQ(fFramesToTimeText(frames), text) << frames;
    }
}

TEST(HudTextTest, TimeCharactersNameTheirImages) {
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_EQ(CZiki::fGetTimeCharImage(c), std::string("ui_parts/time_") + c + ".png");
        EXPECT_EQ(CZiki::fGetTimeCharImage(c, true), std::string("ui_parts/time_") + c + "_yellow.png");
    }
    EXPECT_EQ(CZiki::fGetTimeCharImage(':'), "ui_parts/time_coron.png");
    EXPECT_EQ(CZiki::fGetTimeCharImage('+'), "ui_parts/time_plus.png");
    EXPECT_EQ(CZiki::fGetTimeCharImage('-'), "ui_parts/time_minus.png");
    EXPECT_EQ(CZiki::fGetTimeCharImage('+', true), "ui_parts/time_plus_yellow.png");
    EXPECT_EQ(CZiki::fGetTimeCharImage('-', true), "ui_parts/time_minus_yellow.png");
}

TEST(HudTextDeathTest, UnknownTimeCharacterIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(CZiki::fGetTimeCharImage('x'), "Ziki");
}

// Every image the display can ask for is installed.
class HudImagesTest : public StageGlobalsTest {};

TEST_F(HudImagesTest, EveryImageTheDisplayNamesIsInstalled) {
    const std::string chars = "0123456789:+-";
    for (char c : chars) {
        EXPECT_TRUE(gImageManager->fHasImage(CZiki::fGetTimeCharImage(c))) << c;
    }
    for (char c : std::string("0123456789+-")) {
        EXPECT_TRUE(gImageManager->fHasImage(CZiki::fGetTimeCharImage(c, true))) << c;
    }
    for (int f = 0; f < FOOD_TYPE_COUNT; ++f) {
        EXPECT_TRUE(gImageManager->fHasImage(fGetFoodImageName(static_cast<EFoodType>(f)))) << f;
    }
    for (int i = 0; i < ITEM_TYPE_COUNT; ++i) {
        EXPECT_TRUE(gImageManager->fHasImage(fGetItemImageName(static_cast<EItemType>(i)))) << i;
    }
    for (const char* name : {"ui_parts/food_bg.png", "ui_parts/next.png", "ui_parts/yazirusi.png",
                             "ui_parts/maru.png", "ui_parts/ingredient.png", "ui_parts/life.png",
                             "ui_parts/life_bg.png", "ui_parts/sleep_icon.png", "shadow.png"}) {
        EXPECT_TRUE(gImageManager->fHasImage(name)) << name;
    }
}

namespace {
class HudDrawTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        dx_SetCallLog(true);
    }
    void TearDown() override {
        dx_SetCallLog(false);
        dx_ClearCallLog();
        StageTest::TearDown();
    }

    std::vector<std::string> fDrawHudLog() {
        dx_ClearCallLog();
        party().fDrawHud();
        return dx_GetCallLog();
    }

    static int fHandle(const std::string& name) { return gImageManager->fGetHandle(name); }

    static bool fHas(const std::vector<std::string>& log, const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    // A DrawExtendGraph or DrawGraph of an image with its top-left corner at (x, y).
    static bool fDrawnAt(const std::vector<std::string>& log, const std::string& image, int x, int y) {
        const std::string handle = std::to_string(fHandle(image));
        const std::string plain =
            "DrawGraph(" + std::to_string(x) + "," + std::to_string(y) + "," + handle + ",";
        const std::string extended = "DrawExtendGraph(" + std::to_string(x) + "," + std::to_string(y) + ",";
        for (const std::string& l : log) {
            if (l.rfind(plain, 0) == 0) {
                return true;
            }
            if (l.rfind(extended, 0) == 0 && l.find("," + handle + ",1)") != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};
} // namespace

TEST_F(HudDrawTest, RemainingTimeIsDrawnCharacterByCharacter) {
    stage().fSetTimeLeft(3900); // 01:05
    const auto log = fDrawHudLog();
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_0.png", 0, 32));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_1.png", 22, 32));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_coron.png", 44, 32));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_0.png", 66, 32));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_5.png", 88, 32));
}

TEST_F(HudDrawTest, PenaltyPopupShowsARedMinusAndTheSecondsOnly) {
    testing::internal::CaptureStdout();
    party().fSetBonusTimeShow(-1800, 600);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "fSetBonusTimeShow(-1800,600)\n");
    const auto log = fDrawHudLog();
    EXPECT_TRUE(fHas(log, "SetDrawBright(255,0,0)"));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_minus.png", 130, 40));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_3.png", 150, 40));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_0.png", 170, 40));
    // The second line: a yellow plus and the seconds of 600 frames, 10.
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_plus_yellow.png", 130, 70));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_1_yellow.png", 150, 70));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_0_yellow.png", 170, 70));
}

TEST_F(HudDrawTest, BonusPopupIsGreenAndBlinks) {
    testing::internal::CaptureStdout();
    party().fSetBonusTimeShow(3600, 0); // one minute: the popup shows +00
    testing::internal::GetCapturedStdout();
    auto log = fDrawHudLog();
    EXPECT_TRUE(fHas(log, "SetDrawBright(100,255,0)"));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_plus.png", 130, 50));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_0.png", 150, 50));
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_0.png", 170, 50));
    EXPECT_FALSE(fDrawnAt(log, "ui_parts/time_plus_yellow.png", 130, 70));

    // 90 frames at the start; shown while the remaining count mod 20 is at most 10.
    for (int i = 0; i < 11; ++i) {
        party().fUpdate();
    }
    ASSERT_EQ(party().fGetBonusTimeShowTimer().fGetRemaining(), 79);
    log = fDrawHudLog();
    EXPECT_FALSE(fDrawnAt(log, "ui_parts/time_plus.png", 130, 50));
    for (int i = 0; i < 9; ++i) {
        party().fUpdate();
    }
    ASSERT_EQ(party().fGetBonusTimeShowTimer().fGetRemaining(), 70);
    log = fDrawHudLog();
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/time_plus.png", 130, 50));
}

TEST_F(HudDrawTest, IngredientCountsAreGreyWhenTheWishDoesNotNeedThem) {
    party().fAddIngredient(ITEM_PORK);
    party().fAddIngredient(ITEM_PORK);
    const auto log = fDrawHudLog();
    EXPECT_TRUE(fDrawnAt(log, "ui_parts/ingredient.png", 10, 190));
    EXPECT_TRUE(fDrawnAt(log, "item/flour.png", 10, 230));
    EXPECT_TRUE(fDrawnAt(log, "item/egg.png", 10, 390));
    bool porkShown = false;
    for (const std::string& l : log) {
        porkShown = porkShown || l.rfind("DrawStringToHandle(60,326,\"2/0\",0xa0a0a0,", 0) == 0;
    }
    EXPECT_TRUE(porkShown);
}

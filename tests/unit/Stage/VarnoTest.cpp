// Varno: feeding with and without the ingredients, the time bonus of a combo, rank-ups, the order queue,
// the bonus of the result, the result screen's layout and the pen he wanders in.
#include "Stage/CVarno.h"
#include "Stage/StageTestEnv.h"

#include <algorithm>
#include <dx/DxLib.h>
#include <gtest/gtest.h>

namespace {
// Lets a test choose the dish he wants next.
class CVarnoProbe : public CVarno {
public:
    using CVarno::CVarno;
    void fWantFirst(EFoodType dish) { mOrders.front() = dish; }
    void fStopWaiting() {
        mMoveTimer = 0;
        mWaitTimer = 0;
    }
};

class VarnoTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        mVarno = std::make_unique<CVarnoProbe>(stage());
    }
    void TearDown() override {
        mVarno.reset();
        StageTest::TearDown();
    }

    void fCarry(const SIngredients& counts) {
        for (int kind = 0; kind < ITEM_TYPE_COUNT; ++kind) {
            for (int n = 0; n < counts[static_cast<size_t>(kind)]; ++n) {
                party().fAddIngredient(kind);
            }
        }
    }
    // Hands over the front dish with exactly its ingredients; answers the frames of time it gave.
    int fFeedFront() {
        fCarry(fGetRecipe(varno().fGetOrders().front()));
        const int before = stage().fGetTimeLeft();
        varno().fReceive();
        return stage().fGetTimeLeft() - before;
    }

    CVarnoProbe& varno() { return *mVarno; }
    std::unique_ptr<CVarnoProbe> mVarno;
};

TEST_F(VarnoTest, FeedingWithoutTheIngredientsOnlyTurnsHimAndMakesHimWait) {
    party().fAddIngredient(ITEM_EGG);
    const SIngredients carried = party().fGetIngredients();
    const std::vector<EFoodType> orders = varno().fGetOrders();
    const int time = stage().fGetTimeLeft();
    // The party stands to his right.
    fPlaceParty(varno().mPosition + SPointD(20.0, 0.0));
    for (int i = 0; i < 30; ++i) {
        varno().fWantFirst(FOOD_KATSUDON); // needs more than one egg
        varno().fReceive();
        EXPECT_EQ(varno().fGetFacing(), EDirectionTenkey::RIGHT);
        EXPECT_GE(varno().fGetWaitTimer(), 180);
        EXPECT_LE(varno().fGetWaitTimer(), 420);
        EXPECT_EQ((varno().fGetWaitTimer() - 180) % 60, 0);
    }
    EXPECT_EQ(varno().mSpeed, 0.0);
    EXPECT_EQ(party().fGetIngredients(), carried);
    EXPECT_TRUE(varno().fGetEaten().empty());
    EXPECT_EQ(varno().fGetOrders().size(), 3u);
    EXPECT_EQ(varno().fGetOrders()[1], orders[1]);
    EXPECT_EQ(stage().fGetTimeLeft(), time);
    EXPECT_FALSE(varno().fIsEating());
}

TEST_F(VarnoTest, FeedingCooksFromExactlyTheRecipeAndEatsTheDish) {
    const EFoodType dish = FOOD_GENGHIS_KHAN;
    varno().fWantFirst(dish);
    const std::vector<EFoodType> orders = varno().fGetOrders();
    SIngredients extra{};
    extra.fill(2);
    fCarry(extra);
    fCarry(fGetRecipe(dish));
    party().fDamage(2, 0.0);
    const int life = party().fGetLife();
    varno().fReceive();
    EXPECT_EQ(party().fGetIngredients(), extra);
    EXPECT_EQ(varno().fGetEaten(), std::vector<EFoodType>{dish});
    EXPECT_EQ(party().fGetLife(), std::min(life + fGetFoodLife(dish), CZiki::kMaxLife));
    EXPECT_TRUE(varno().fIsEating());
    EXPECT_EQ(varno().fGetEatTimer(), 60);
    // The dish leaves the queue and a new wish joins at the back.
    ASSERT_EQ(varno().fGetOrders().size(), 3u);
    EXPECT_EQ(varno().fGetOrders()[0], orders[1]);
    EXPECT_EQ(varno().fGetOrders()[1], orders[2]);
}

TEST_F(VarnoTest, DishesInQuickSuccessionAddASecondMoreEach) {
    std::vector<int> extra; // frames beyond the dish's own bonus
    for (int i = 0; i < 3; ++i) {
        const EFoodType dish = varno().fGetOrders().front();
        extra.push_back(fFeedFront() - fGetFoodBonusSeconds(dish) * 60);
        varno().fTickCombo(); // a frame later, well within the combo's 60 frames
    }
    EXPECT_EQ(extra, (std::vector<int>{0, 60, 120}));
    EXPECT_EQ(varno().fGetCombo(), 3);
    EXPECT_EQ(party().fGetBonusTime(), 2 * 60);

    // The combo lapses 60 frames after the last dish; the next dish starts again without extra time.
    for (int i = 0; i < 58; ++i) {
        varno().fTickCombo();
    }
    EXPECT_EQ(varno().fGetCombo(), 3);
    varno().fTickCombo();
    EXPECT_EQ(varno().fGetCombo(), 0);
    const EFoodType dish = varno().fGetOrders().front();
    EXPECT_EQ(fFeedFront(), fGetFoodBonusSeconds(dish) * 60);
}

TEST_F(VarnoTest, EveryThirdDishRaisesTheRankUpToNineteen) {
    stage().fAddRank(16);
    std::vector<int> ranks;
    for (int i = 0; i < 12; ++i) {
        fFeedFront();
        ranks.push_back(stage().fGetRank());
        EXPECT_EQ(varno().fGetOrders().size(), 3u);
    }
    EXPECT_EQ(ranks, (std::vector<int>{16, 16, 17, 17, 17, 18, 18, 18, 19, 19, 19, 19}));
    // Each rank-up shows the banner at the top of the screen, wherever the camera is.
    int banners = 0;
    for (CEffect* e : stage().fGetEffects()) {
        EXPECT_EQ(e->mPosition + stage().fGetTerrain().fGetScrollOffset(), SPointD(200.0, 12.0));
        ++banners;
    }
    EXPECT_EQ(banners, 4);
}

TEST_F(VarnoTest, BonusOfEveryDishOnceIs4900) {
    for (int dish = 0; dish < FOOD_TYPE_COUNT; ++dish) {
        varno().fWantFirst(static_cast<EFoodType>(dish));
        fFeedFront();
    }
    ASSERT_EQ(varno().fGetEaten().size(), 10u);
    EXPECT_EQ(varno().fGetBonus(), 4900);
}

// The result screen's text lines, as drawn through the media layer.
std::vector<std::string> fResultTexts() {
    std::vector<std::string> texts;
    for (const std::string& call : dx_GetCallLog()) {
        if (call.rfind("DrawStringToHandle(", 0) == 0) {
            texts.push_back(call.substr(0, call.find(",0x")));
        }
    }
    return texts;
}

int fCountIcons(const std::vector<std::string>& log, int y) {
    const std::string row = "," + std::to_string(y) + ",";
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& call) {
        return call.rfind("DrawGraph(", 0) == 0 && call.find(row) != std::string::npos;
    }));
}

TEST_F(VarnoTest, ResultWithThirteenDishesDrawsTwoRowsAndMovesTheTextDown) {
    for (int i = 0; i < 12; ++i) {
        fFeedFront();
    }
    stage().fAddScore(777);
    dx_SetCallLog(true);
    dx_ClearCallLog();
    varno().fDrawResult();
    const std::vector<std::string> twelve = fResultTexts();
    EXPECT_EQ(fCountIcons(dx_GetCallLog(), 100), 12);
    EXPECT_EQ(fCountIcons(dx_GetCallLog(), 134), 0);

    fFeedFront();
    dx_ClearCallLog();
    varno().fDrawResult();
    const std::vector<std::string> thirteen = fResultTexts();
    EXPECT_EQ(fCountIcons(dx_GetCallLog(), 100), 12);
    EXPECT_EQ(fCountIcons(dx_GetCallLog(), 134), 1);
    dx_SetCallLog(false);

    const std::string bonus = std::to_string(varno().fGetBonus());
    const std::string total = std::to_string(stage().fGetScore());
    EXPECT_EQ(thirteen, (std::vector<std::string>{
                            "DrawStringToHandle(100,70,\"いままで食べた料理\"",
                            "DrawStringToHandle(100,174,\"ぼーなす：" + bonus + "てん\"",
                            "DrawStringToHandle(100,204,\"ごうけい：" + total + "てん\"",
                        }));
    ASSERT_EQ(twelve.size(), 3u);
    EXPECT_EQ(twelve[1].substr(0, 26), "DrawStringToHandle(100,174");
}

TEST_F(VarnoTest, AtAnEdgeOfThePenHeWalksBackIntoIt) {
    const CVarno::SPen pen = varno().fGetPen();
    const double midX = (pen.left + pen.right) / 2.0;
    const double midY = (pen.top + pen.bottom) / 2.0;
    const struct {
        SPointD at;
        double direction;
        EDirectionTenkey facing;
    } cases[] = {
        {{pen.left - 1.0, pen.top - 1.0}, 90.0, EDirectionTenkey::RIGHT}, // left edge before the top edge
        {{pen.right + 0.0, midY}, -90.0, EDirectionTenkey::LEFT},
        {{midX, pen.top + 0.0}, 180.0, EDirectionTenkey::DOWN},
        {{midX, pen.bottom + 5.0}, 0.0, EDirectionTenkey::UP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.direction);
        varno().mPosition = c.at;
        varno().fStopWaiting();
        varno().fWander();
        EXPECT_EQ(varno().mDirection, c.direction);
        EXPECT_EQ(varno().fGetFacing(), c.facing);
        EXPECT_EQ(varno().mSpeed, 0.5);
        EXPECT_TRUE(varno().fGetMoveTimer() == 31 || varno().fGetMoveTimer() == 63);
    }
}

TEST_F(VarnoTest, WanderingStaysInThePenAndOffSolidGround) {
    CVarno& home = *stage().fGetVarno();
    const CVarno::SPen pen = home.fGetPen();
    const double walk = 32.0;
    double minX = home.mPosition.x;
    double maxX = minX;
    double minY = home.mPosition.y;
    double maxY = minY;
    for (int frame = 0; frame < 100000; ++frame) {
        home.fUpdate();
        const SPointD p = home.mPosition;
        ASSERT_FALSE(stage().fGetTerrain().fIsBlocked(p, home.fGetHitRects())) << "frame " << frame;
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_GE(minX, pen.left - walk);
    EXPECT_LE(maxX, pen.right + walk);
    EXPECT_GE(minY, pen.top - walk);
    EXPECT_LE(maxY, pen.bottom + walk);
    // He does walk the pen, not stand still.
    EXPECT_GT(maxX - minX, 48.0);
    EXPECT_GT(maxY - minY, 48.0);
}

TEST_F(VarnoTest, ZNextToHimFeedsInsteadOfAttacking) {
    CVarno& home = *stage().fGetVarno();
    fPlaceParty(home.mPosition + SPointD(0.0, 31.0));
    mKeys->fPress(EGameKey::KEY_Z);
    fFrame();
    EXPECT_EQ(party().fGetWeapon().fGetCoolDown(), 19); // set to 20 by the push, one frame of it gone
    EXPECT_TRUE(stage().fGetPlayerBullets().empty());
    EXPECT_EQ(home.fGetFacing(), EDirectionTenkey::DOWN);
    mKeys->fRelease(EGameKey::KEY_Z);
    fFrame();

    // He stands still while he waits, so one more pixel away the same push attacks.
    fPlaceParty(home.mPosition + SPointD(0.0, 33.0));
    for (int i = 0; i < 25; ++i) {
        fFrame();
    }
    mKeys->fPress(EGameKey::KEY_Z);
    fFrame();
    EXPECT_FALSE(stage().fGetPlayerBullets().empty());
}
} // namespace

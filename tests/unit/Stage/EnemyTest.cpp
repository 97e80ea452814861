#include "Stage/CItem.h"
#include "Stage/CItemCreator.h"
#include "Stage/CombatTestEnv.h"

#include <gtest/gtest.h>
#include <string>

namespace {

constexpr SPointD kEnemyScreen{420.0, 240.0};

class EnemyTest : public CombatTest {};

TEST_F(EnemyTest, AHitDuringTheFlashChangesNothing) {
    CEnemy& pig = fSpawnSeen(ENEMY_PIG, kEnemyScreen);
    fHit(pig, 10, nullptr, false, {5, 90.0, 7.0});
    ASSERT_EQ(pig.mLife, 35);
    EXPECT_EQ(pig.mFlashTimer, CEnemy::kHitFlashFrames);
    EXPECT_NEAR(pig.mKnockVector.x, 7.0, 1e-9);
    fEnemyFrames(1);
    const int flash = pig.mFlashTimer;
    const SPointD knock = pig.mKnockVector;
    fHit(pig, 10, std::make_shared<CKillCountManager>(), false, {5, 270.0, 3.0});
    EXPECT_EQ(pig.mLife, 35);
    EXPECT_EQ(pig.mFlashTimer, flash);
    EXPECT_EQ(pig.mKnockVector, knock);
    EXPECT_EQ(pig.mLastKillCounter, nullptr);
}

TEST_F(EnemyTest, KnockBackPushesForItsFramesOnly) {
    CEnemy& pig = fSpawnSeen(ENEMY_PIG, kEnemyScreen);
    ASSERT_FALSE(terrain().fIsBlocked(pig.mPosition + SPointD(21.0, 0.0), pig.fGetHitRects()));
    const double x0 = pig.mPosition.x;
    fHit(pig, 1, nullptr, false, {3, 90.0, 7.0});
    fEnemyFrames(3);
    EXPECT_NEAR(pig.mPosition.x, x0 + 21.0, 1e-9);
    fEnemyFrames(5);
    EXPECT_NEAR(pig.mPosition.x, x0 + 21.0, 1e-9);
    EXPECT_EQ(pig.mKnockVector, SPointD(0.0, 0.0));
}

TEST_F(EnemyTest, AnEnemyMadeOffScreenIgnoresDamageUntilItHasBeenOnScreen) {
    CEnemy& pig = fSpawn(ENEMY_PIG, {-40.0, 240.0});
    fEnemyFrames(1);
    ASSERT_TRUE(pig.fIsAlive());
    fHit(pig, 10);
    EXPECT_EQ(pig.mLife, 45);
    // The camera moves left: the pig comes onto the screen.
    terrain().fSetCamera(terrain().fGetCamera() - SPointD(100.0, 0.0));
    fEnemyFrames(1);
    fHit(pig, 10);
    EXPECT_EQ(pig.mLife, 35);
}

struct SKillCase {
    EEnemyKind kind;
    bool burns;
    int flashFrames;
    bool burnt;
};

TEST_F(EnemyTest, AKillScoresOnlyWhenItsFlashEnds) {
    const SKillCase cases[] = {
        {ENEMY_PIG, false, 20, false},    {ENEMY_PIG, true, 20, false}, // pigs do not burn
        {ENEMY_KOMUGI, false, 20, false}, {ENEMY_KOMUGI, true, 30, true}, {ENEMY_KOMEDAWARA, true, 30, true},
    };
    for (const SKillCase& c : cases) {
        const int score = stage().fGetScore();
        CEnemy& e = fSpawnSeen(c.kind, kEnemyScreen);
        fHit(e, 500, nullptr, c.burns);
        EXPECT_EQ(e.mBurnt, c.burnt);
        fEnemyFrames(c.flashFrames - 1);
        EXPECT_TRUE(e.fIsAlive()) << c.kind;
        EXPECT_EQ(stage().fGetScore(), score) << c.kind;
        fEnemyFrames(1);
        EXPECT_FALSE(e.fIsAlive()) << c.kind;
        EXPECT_EQ(stage().fGetScore(), score + 10) << c.kind;
    }
}

TEST_F(EnemyTest, ABurntEnemyIsABlackSilhouetteOnOneCelThatFades) {
    CEnemy& e = fSpawnSeen(ENEMY_KOMUGI, kEnemyScreen);
    fHit(e, 500, nullptr, true);
    EXPECT_EQ(e.mDrawData.red + e.mDrawData.green + e.mDrawData.blue, 0);
    const int cel = e.mDrawData.celIndex;
    fEnemyFrames(4);
    EXPECT_EQ(e.mDrawData.fGetAlpha(), 255.0);
    fEnemyFrames(2);
    EXPECT_EQ(e.mDrawData.fGetAlpha(), 235.0);
    fEnemyFrames(20);
    EXPECT_EQ(e.mDrawData.celIndex, cel);
}

TEST_F(EnemyTest, AnEnemyLeavingTheScreenDuringItsFlashGivesNoScoreAndNoDrop) {
    CEnemy& pig = fSpawnSeen(ENEMY_PIG, kEnemyScreen);
    fHit(pig, 500);
    fEnemyFrames(10);
    terrain().fSetCamera(terrain().fGetCamera() - SPointD(400.0, 0.0));
    fEnemyFrames(1);
    EXPECT_FALSE(pig.fIsAlive());
    fEnemyFrames(20);
    EXPECT_EQ(stage().fGetScore(), 0);
    EXPECT_TRUE(stage().fGetItems().empty());
}

TEST_F(EnemyTest, IsRemovedMoreThanFiftyPixelsOffScreen) {
    CEnemy& in = fSpawnSeen(ENEMY_SEAWOOD_CAN, {640.0 + 50, 240.0});
    CEnemy& out = fSpawnSeen(ENEMY_SEAWOOD_CAN, {640.0 + 51, 240.0});
    fEnemyFrames(1);
    EXPECT_TRUE(in.fIsAlive());
    EXPECT_FALSE(out.fIsAlive());
}

TEST_F(EnemyTest, TheDropIsSkippedWhenTheItemPoolIsFull) {
    for (int i = 0; i < stage().fGetItemTotal() - 1; ++i) {
        CItemCreator::fCreate(stage(), stage().fGetNewItem(), ITEM_FLOUR, fToMap({100.0, 100.0}));
    }
    CEnemy& first = fSpawnSeen(ENEMY_PIG, kEnemyScreen);
    fHit(first, 500);
    fEnemyFrames(20);
    ASSERT_EQ(static_cast<int>(stage().fGetItems().size()), stage().fGetItemTotal());
    EXPECT_EQ(stage().fGetItems().back()->mKind, ITEM_PORK);

    CEnemy& second = fSpawnSeen(ENEMY_PIG, kEnemyScreen);
    fHit(second, 500);
    testing::internal::CaptureStdout();
    fEnemyFrames(20);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(second.fIsAlive());
    EXPECT_EQ(out.find("GetNew Max Over!"), std::string::npos);
    EXPECT_EQ(static_cast<int>(stage().fGetItems().size()), stage().fGetItemTotal());
}

TEST_F(EnemyTest, FacesRightWhileHeadingBetweenUpAndDown) {
    CEnemy& can = fSpawnSeen(ENEMY_SEAWOOD_CAN, kEnemyScreen);
    can.mBehaviour = nullptr;
    const std::pair<double, bool> cases[] = {{0.0, true},    {90.0, true},   {179.0, true}, {180.0, false},
                                             {270.0, false}, {-90.0, false}, {450.0, true}, {-10.0, false}};
    for (const auto& [direction, turned] : cases) {
        can.mDirection = direction;
        fEnemyFrames(1);
        EXPECT_EQ(can.mDrawData.fGetTurn(), turned) << direction;
        EXPECT_GE(can.mDirection, 0.0);
        EXPECT_LT(can.mDirection, 360.0);
    }
}

TEST_F(EnemyTest, TheLifeBarIsDrawnAtOnceBeforeTheQueuedBodyWhileFlashing) {
    CEnemy& pig = fSpawnSeen(ENEMY_PIG, kEnemyScreen);
    fHit(pig, 15);
    fEnemyFrames(1);
    dx_SetCallLog(true);
    dx_ClearCallLog();
    pig.fDraw();
    const std::vector<std::string> log = dx_GetCallLog();
    dx_SetCallLog(false);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].rfind("DrawBox(408,259,432,262", 0), 0u) << log[0];
    EXPECT_EQ(log[1].rfind("DrawBox(408,259,424,262", 0), 0u) << log[1];
    // The body and the shadow wait in the queue.
    EXPECT_EQ(stage().fGetDrawQueue().fGetSize(), pig.fGetCounter() % 6 >= 3 ? 2u : 1u);
}

} // namespace

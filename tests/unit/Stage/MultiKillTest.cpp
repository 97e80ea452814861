#include "Stage/CombatTestEnv.h"
#include "render/CImageManager.h"

#include <gtest/gtest.h>

namespace {

class MultiKillTest : public CombatTest {
protected:
    int fBadges(int multiplier) {
        return fCountEffects(gImageManager->fGetHandle("ui_parts/x" + std::to_string(multiplier) + ".png"));
    }
};

TEST_F(MultiKillTest, OneAttackKillingThreeScoresTenTwentyThirtyWithTwoBadges) {
    auto counter = std::make_shared<CKillCountManager>();
    for (int i = 0; i < 3; ++i) {
        fHit(fSpawnSeen(ENEMY_PIG, {200.0 + 100 * i, 120.0}), 500, counter);
    }
    fEnemyFrames(20);
    EXPECT_EQ(stage().fGetScore(), 60);
    EXPECT_EQ(fBadges(2), 1);
    EXPECT_EQ(fBadges(3), 1);
    EXPECT_EQ(stage().fGetEffects().size(), 2u);
}

TEST_F(MultiKillTest, KillsByTwoAttacksEachStartAtTen) {
    fHit(fSpawnSeen(ENEMY_PIG, {200.0, 120.0}), 500, std::make_shared<CKillCountManager>());
    fHit(fSpawnSeen(ENEMY_PIG, {400.0, 120.0}), 500, std::make_shared<CKillCountManager>());
    fEnemyFrames(20);
    EXPECT_EQ(stage().fGetScore(), 20);
    EXPECT_TRUE(stage().fGetEffects().empty());
}

TEST_F(MultiKillTest, TheMultiplierNeverExceedsEight) {
    auto counter = std::make_shared<CKillCountManager>();
    for (int i = 0; i < 10; ++i) {
        fHit(fSpawnSeen(ENEMY_PIG, {100.0 + 40 * i, 120.0}), 500, counter);
    }
    fEnemyFrames(20);
    EXPECT_EQ(stage().fGetScore(), 10 + 20 + 30 + 40 + 50 + 60 + 70 + 80 + 80 + 80);
    EXPECT_EQ(fBadges(8), 3);
}

TEST_F(MultiKillTest, KillsAreNumberedInTheOrderTheirFlashesEnd) {
    auto counter = std::make_shared<CKillCountManager>();
    CEnemy& wheat = fSpawnSeen(ENEMY_KOMUGI, {200.0, 120.0});
    CEnemy& pig = fSpawnSeen(ENEMY_PIG, {400.0, 120.0});
    fHit(wheat, 500, counter, true); // burnt: 30 frames
    fEnemyFrames(5);
    fHit(pig, 500, counter); // 20 frames: ends first
    fEnemyFrames(20);
    EXPECT_FALSE(pig.fIsAlive());
    EXPECT_TRUE(wheat.fIsAlive());
    EXPECT_EQ(stage().fGetScore(), 10);
    fEnemyFrames(5);
    EXPECT_FALSE(wheat.fIsAlive());
    EXPECT_EQ(stage().fGetScore(), 30);
    ASSERT_EQ(fBadges(2), 1);
    EXPECT_EQ(stage().fGetEffects().front()->mPosition, wheat.mPosition);
}

TEST_F(MultiKillTest, TheCounterOutlivesTheAttacksBullets) {
    std::weak_ptr<CKillCountManager> weak;
    {
        auto counter = std::make_shared<CKillCountManager>();
        weak = counter;
        fHit(fSpawnSeen(ENEMY_PIG, {200.0, 120.0}), 10, counter);
        fHit(fSpawnSeen(ENEMY_PIG, {400.0, 120.0}), 500, counter);
    }
    EXPECT_FALSE(weak.expired());
    fEnemyFrames(20);
    EXPECT_EQ(weak.lock()->fGetCount(), 1);
}

} // namespace

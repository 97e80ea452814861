#include "Stage/CBullet.h"
#include "Stage/CombatTestEnv.h"
#include "StageData/CEnemyBehaviours.h"
#include "render/CImageManager.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// The party stands at screen (320, 240); enemies 200 pixels to its right are out of alert reach (100) but
// within shooting reach (300).
constexpr SPointD kFar{520.0, 240.0};

class EnemyBehaviourTest : public CombatTest {
protected:
    void fSetRank(int rank) { stage().fAddRank(rank - stage().fGetRank()); }

    // Runs enemy frames until the enemy bullets grow (at most `limit` frames); answers the frame (1-based)
    // and leaves the new bullets in `shots`.
    int fFramesUntilShot(int limit, std::vector<CBullet*>& shots) {
        const size_t before = stage().fGetEnemyBullets().size();
        for (int frame = 1; frame <= limit; ++frame) {
            fEnemyFrames(1);
            const std::vector<CBullet*>& all = stage().fGetEnemyBullets();
            if (all.size() > before) {
                shots.assign(all.begin() + static_cast<long>(before), all.end());
                return frame;
            }
        }
        return -1;
    }

    double fAngleToParty(SPointD from) { return from.fGetAngleTo(party().fGetWorldPosition()); }
};

struct SWheatCase {
    int level;
    int interval;
    size_t shots;
};

TEST_F(EnemyBehaviourTest, WheatFiresEveryIntervalAndThreeAtATimeAboveLevel16) {
    const SWheatCase cases[] = {{0, 150, 1}, {10, 100, 1}, {16, 70, 1},
                                {17, 65, 3}, {18, 60, 3},  {19, 30, 3}};
    for (const SWheatCase& c : cases) {
        stage().fResetPools();
        fSetRank(c.level);
        fSpawnSeen(ENEMY_KOMUGI, kFar);
        std::vector<CBullet*> shots;
        EXPECT_EQ(fFramesUntilShot(500, shots), c.interval / 2) << c.level;
        EXPECT_EQ(shots.size(), c.shots) << c.level;
        EXPECT_EQ(fFramesUntilShot(500, shots), c.interval) << c.level;
    }
}

TEST_F(EnemyBehaviourTest, WheatBurrowsOnlyWhenAlertedAboveRank10) {
    for (int rank : {10, 11}) {
        stage().fResetPools();
        fSetRank(rank);
        CEnemy& wheat = fSpawnSeen(ENEMY_KOMUGI, {380.0, 240.0});
        for (int frame = 1; frame <= 200; ++frame) {
            fEnemyFrames(1);
            // Frame 1 notices the party; the burrow runs from its frame 0 (frame 2) to 180 (frame 182).
            const bool under = rank > 10 && frame >= 2 && frame <= 181;
            ASSERT_EQ(wheat.mShotProof, under) << "rank " << rank << " frame " << frame;
            ASSERT_EQ(wheat.mTouchSafe, under) << "rank " << rank << " frame " << frame;
            ASSERT_EQ(wheat.mDrawData.clip, under) << "rank " << rank << " frame " << frame;
        }
        EXPECT_EQ(wheat.mDrawData.offsetY, 0.0);
    }
}

TEST_F(EnemyBehaviourTest, WheatAlertedBeforeTheRankRoseDoesNotBurrow) {
    fSetRank(5);
    CEnemy& wheat = fSpawnSeen(ENEMY_KOMUGI, {380.0, 240.0});
    fEnemyFrames(1);
    fSetRank(15);
    for (int frame = 0; frame < 100; ++frame) {
        fEnemyFrames(1);
        ASSERT_FALSE(wheat.mShotProof) << frame;
    }
}

struct SFanShot {
    double offset;
    double speed;
};

TEST_F(EnemyBehaviourTest, SheepFanGrowsAtRanks10And15) {
    const std::pair<int, std::vector<SFanShot>> cases[] = {
        {9, {{0.0, 1.5}}},
        {10, {{10.0, 1.0}, {0.0, 1.5}}},
        {15, {{10.0, 1.0}, {0.0, 1.5}, {-10.0, 2.0}}},
    };
    for (const auto& [rank, fan] : cases) {
        stage().fResetPools();
        fSetRank(rank);
        fSpawnSeen(ENEMY_SEEP, {320.0, 200.0});
        std::vector<CBullet*> shots;
        ASSERT_GT(fFramesUntilShot(400, shots), 0) << rank;
        ASSERT_EQ(shots.size(), fan.size()) << rank;
        const double a = fAngleToParty(shots[0]->mPosition);
        for (size_t i = 0; i < fan.size(); ++i) {
            EXPECT_NEAR(shots[i]->mDirection, a + fan[i].offset, 1e-9) << rank << " shot " << i;
            EXPECT_EQ(shots[i]->mSpeed, fan[i].speed) << rank << " shot " << i;
            EXPECT_TRUE(shots[i]->mHarmless);
        }
    }
}

TEST_F(EnemyBehaviourTest, PigChargesAlongItsRowAtARankSpeed) {
    for (const auto& [rank, speed] : {std::pair{0, 2.0}, std::pair{7, 3.0}, std::pair{19, 6.0}}) {
        stage().fResetPools();
        fSetRank(rank);
        CEnemy& pig = fSpawnSeen(ENEMY_PIG, {520.0, 245.0});
        fEnemyFrames(1);
        EXPECT_EQ(pig.mSpeed, speed) << rank;
        EXPECT_EQ(pig.mDirection, 270.0) << rank;
        EXPECT_EQ(pig.mTouchAttack, 2) << rank;
    }
}

TEST_F(EnemyBehaviourTest, PigRestsFromChargingFor120Frames) {
    CEnemy& pig = fSpawnSeen(ENEMY_PIG, {520.0, 240.0});
    fEnemyFrames(1);
    ASSERT_EQ(pig.mTouchAttack, 2);
    party().mPosition.y += 100.0; // out of the pig's row
    for (int frame = 0; frame < 120; ++frame) {
        fEnemyFrames(1);
        ASSERT_EQ(pig.mTouchAttack, 2) << frame;
        ASSERT_EQ(pig.mSpeed, 2.0) << frame;
    }
    fEnemyFrames(1);
    EXPECT_EQ(pig.mTouchAttack, 1);
    EXPECT_EQ(pig.mSpeed, 1.0);
}

TEST_F(EnemyBehaviourTest, RiceBaleFanHalvesItsSpreadTowardZero) {
    const std::pair<int, std::vector<double>> cases[] = {
        {0, {-10.0, 10.0}},
        {7, {-18.0, 0.0, 18.0}},
        {19, {-22.0, -7.0, 8.0, 23.0}}, // (1 - 4) * 15 / 2 is -22, not -23
    };
    for (const auto& [rank, offsets] : cases) {
        stage().fResetPools();
        fSetRank(rank);
        CEnemy& bale = fSpawnSeen(ENEMY_KOMEDAWARA, kFar);
        std::vector<CBullet*> shots;
        EXPECT_EQ(fFramesUntilShot(200, shots), (150 - 4 * rank) / 2) << rank;
        ASSERT_EQ(shots.size(), offsets.size()) << rank;
        const double a = fAngleToParty(bale.mPosition);
        for (size_t i = 0; i < offsets.size(); ++i) {
            EXPECT_NEAR(shots[i]->mDirection, a + offsets[i], 1e-9) << rank << " shot " << i;
            EXPECT_NEAR(shots[i]->mSpeed, rank * 0.03 + 0.8, 1e-12);
        }
    }
}

TEST_F(EnemyBehaviourTest, RiceBaleBacksAwayAboveRank4) {
    for (const auto& [rank, speed] : {std::pair{4, 0.0}, std::pair{5, 0.5}}) {
        stage().fResetPools();
        fSetRank(rank);
        CEnemy& bale = fSpawnSeen(ENEMY_KOMEDAWARA, {400.0, 240.0});
        fEnemyFrames(1);
        EXPECT_EQ(bale.mSpeed, speed) << rank;
    }
}

TEST_F(EnemyBehaviourTest, ChickenTakesFlightOnlyAboveLevel10AndNearAHit) {
    const int flying = gImageManager->fGetHandle("enemy/niwatori_fly1.png");
    struct SCase {
        int level;
        double markerDistance;
        bool flies;
    };
    const SCase cases[] = {{10, 50.0, false}, {11, 50.0, true}, {11, 119.0, true}, {11, 120.0, false}};
    for (const SCase& c : cases) {
        stage().fResetPools();
        fSetRank(c.level);
        CEnemy& chicken = fSpawnSeen(ENEMY_NIWATORI, kFar);
        stage().fAddMarker(chicken.mPosition + SPointD(0.0, c.markerDistance));
        fEnemyFrames(1);
        EXPECT_EQ(chicken.mDrawData.cels[0].handle == flying, c.flies) << c.level << " " << c.markerDistance;
        stage().fAgeMarkers();
        stage().fAgeMarkers();
    }
}

TEST_F(EnemyBehaviourTest, SeaweedCanHeadsForAPartyCloserThan300EverySecond) {
    for (const auto& [x, heads] : {std::pair{320.0 + 299, true}, std::pair{320.0 + 301, false}}) {
        stage().fResetPools();
        CEnemy& can = fSpawnSeen(ENEMY_SEAWOOD_CAN, {x, 240.0});
        fEnemyFrames(1);
        EXPECT_EQ(can.mSpeed, heads ? 1.0 : 0.0) << x;
    }
}

} // namespace

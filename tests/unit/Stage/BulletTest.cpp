#include "Stage/CBullet.h"
#include "Stage/CKillCountManager.h"
#include "Stage/StageTestEnv.h"

#include <gtest/gtest.h>

namespace {

class BulletTest : public StageTest {
protected:
    // A still bullet at a screen position.
    CBullet& fBulletAt(SPointD screen, bool wide) {
        CBullet& b = stage().fGetNewEnemyBullet();
        b.fSetup(stage(), nullptr, 1, fMakeDrawDataFromName("middle_shot_green.png"),
                 terrain().fToMap(screen), 0.0, 0.0);
        b.mWideMargin = wide;
        return b;
    }
};

struct SMarginCase {
    SPointD screen;
    bool wide;
    bool alive;
};

TEST_F(BulletTest, IsRemovedOnlyBeyondItsMargin) {
    // clang-format off
    const SMarginCase cases[] = {
        {{640.0 + 32, 240.0}, false, true},  {{640.0 + 33, 240.0}, false, false},
        {{-32.0, 240.0}, false, true},       {{-33.0, 240.0}, false, false},
        {{320.0, 480.0 + 32}, false, true},  {{320.0, 480.0 + 33}, false, false},
        {{320.0, -32.0}, false, true},       {{320.0, -33.0}, false, false},
        {{640.0 + 128, 240.0}, true, true},  {{640.0 + 129, 240.0}, true, false},
        {{-128.0, 240.0}, true, true},       {{-129.0, 240.0}, true, false},
        {{320.0, 480.0 + 128}, true, true},  {{320.0, -129.0}, true, false},
    };
    // clang-format on
    for (const SMarginCase& c : cases) {
        CBullet& b = fBulletAt(c.screen, c.wide);
        b.fUpdate();
        EXPECT_EQ(b.fIsAlive(), c.alive) << c.screen.x << "," << c.screen.y << " wide " << c.wide;
    }
}

TEST_F(BulletTest, IsRemovedWhenItsLifetimeIsReached) {
    CBullet& b = fBulletAt({320.0, 240.0}, false);
    b.mLifetime = 3;
    for (int i = 0; i < 3; ++i) {
        b.fUpdate();
        EXPECT_TRUE(b.fIsAlive()) << i;
    }
    b.fUpdate();
    EXPECT_FALSE(b.fIsAlive());
}

TEST_F(BulletTest, ResetDropsTheAttacksKillCounter) {
    CBullet& b = fBulletAt({320.0, 240.0}, false);
    auto counter = std::make_shared<CKillCountManager>();
    b.mKillCounter = counter;
    EXPECT_EQ(counter.use_count(), 2);
    b.fSetup(stage(), nullptr, 1, fMakeDrawDataFromName("middle_shot_green.png"), {0.0, 0.0}, 0.0, 0.0);
    EXPECT_EQ(b.mKillCounter, nullptr);
    EXPECT_EQ(counter.use_count(), 1);
}

TEST_F(BulletTest, OnHitRunsItsCallbackOnceAndRemovesTheBullet) {
    CBullet& b = fBulletAt({320.0, 240.0}, false);
    int calls = 0;
    b.mOnHitCallback = [&calls](CBullet&) { ++calls; };
    b.fOnHit();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(b.fIsAlive());
}

TEST(KillCountManagerTest, MultiplierIsTheKillNumberFromTheSecondKillCappedAtEight) {
    CKillCountManager counter;
    const int expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 8, 8};
    for (int m : expected) {
        EXPECT_EQ(counter.fCountKill(), m);
    }
    EXPECT_EQ(counter.fGetCount(), 10);
}

} // namespace

#include "Stage/CEffect.h"
#include "Stage/CEnemyBulletCreator.h"
#include "base/CRandom.h"
#include "render/CImageManager.h"

namespace {

class MiniSushiTest : public BulletTest {
protected:
    CBullet& fSushiAt(SPointD screen) {
        CBullet& b = stage().fGetNewEnemyBullet();
        CEnemyBulletCreator::fCreate(b, nullptr, ENEMY_BULLET_MINI_SUSHI, stage(), terrain().fToMap(screen),
                                     0.0, 0.0);
        return b;
    }
};

TEST_F(MiniSushiTest, AHitMakesFourRiceAndTwoSeaweedCrumbsFlyingRandomWays) {
    CBullet& b = fSushiAt({300.0, 200.0});
    const int draws = gRandom->fGetCount();
    CRandom expected(kSeed);
    expected.fRestore(draws);
    b.fOnHit();
    EXPECT_FALSE(b.fIsAlive());
    EXPECT_EQ(gRandom->fGetCount(), draws + 6);
    const std::vector<CEffect*>& crumbs = stage().fGetEffects();
    ASSERT_EQ(crumbs.size(), 6u);
    const int rice = gImageManager->fGetHandle("mini_rice.png");
    const int seaweed = gImageManager->fGetHandle("mini_seawood.png");
    for (size_t i = 0; i < crumbs.size(); ++i) {
        EXPECT_EQ(crumbs[i]->mDrawData.cels[0].handle, i < 4 ? rice : seaweed) << i;
        EXPECT_EQ(crumbs[i]->mDirection, expected.fGetRand(0, 359)) << i;
        EXPECT_EQ(crumbs[i]->mSpeed, 1.0);
        EXPECT_EQ(crumbs[i]->mPosition, b.mPosition);
    }
}

TEST_F(MiniSushiTest, OneLeavingTheScreenMakesNoCrumbs) {
    CBullet& b = fSushiAt({640.0 + 40, 200.0});
    const int draws = gRandom->fGetCount();
    b.fUpdate();
    EXPECT_FALSE(b.fIsAlive());
    EXPECT_TRUE(stage().fGetEffects().empty());
    EXPECT_EQ(gRandom->fGetCount(), draws);
}

TEST_F(MiniSushiTest, SpinsAndFadesFromFrame150) {
    CBullet& b = fSushiAt({300.0, 200.0});
    for (int i = 0; i < 150; ++i) {
        b.fUpdate();
    }
    EXPECT_EQ(b.mDrawData.fGetAlpha(), 255.0);
    EXPECT_DOUBLE_EQ(b.mDrawData.fGetAngle(), 750.0);
    b.fUpdate();
    EXPECT_EQ(b.mDrawData.fGetAlpha(), 247.0);
}

struct SShotCase {
    EEnemyBulletKind kind;
    bool vanishes;
    bool harmless;
    double radius;
};

TEST_F(BulletTest, EnemyShotsVanishAndHarmAsTheirKindSays) {
    const SShotCase cases[] = {{ENEMY_BULLET_SEEP_SHOT, false, true, 16.0},
                               {ENEMY_BULLET_GREEN, false, false, 6.0},
                               {ENEMY_BULLET_RICE_BALL, true, false, 6.0},
                               {ENEMY_BULLET_MINI_SUSHI, true, false, 6.0}};
    for (const SShotCase& c : cases) {
        CBullet& b = stage().fGetNewEnemyBullet();
        CEnemyBulletCreator::fCreate(b, nullptr, c.kind, stage(), {0.0, 0.0}, 45.0, 1.0);
        EXPECT_EQ(b.mVanishesOnHit, c.vanishes) << c.kind;
        EXPECT_EQ(b.mHarmless, c.harmless) << c.kind;
        EXPECT_EQ(b.mAttack, 1);
        ASSERT_EQ(b.mHitCircles.size(), 1u);
        EXPECT_EQ(b.mHitCircles[0].radius, c.radius) << c.kind;
        EXPECT_FALSE(b.mTurnSpriteWithDirection);
    }
}

} // namespace

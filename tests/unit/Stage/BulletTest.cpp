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

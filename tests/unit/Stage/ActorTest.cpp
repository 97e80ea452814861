#include "Stage/CActor.h"

#include <gtest/gtest.h>

namespace {
constexpr double kEps = 1e-9;

CActor fMovingActor(SPointD position, double direction, double speed) {
    CActor a;
    a.fInitMove(SDrawData{}, position, direction, speed);
    return a;
}
} // namespace

TEST(ActorTest, MovesAlongItsCompassDirection) {
    CActor right = fMovingActor({10.0, 20.0}, 90.0, 2.0);
    right.fUpdate();
    EXPECT_NEAR(right.mPosition.x, 12.0, kEps);
    EXPECT_NEAR(right.mPosition.y, 20.0, kEps);
    right.fUpdate();
    EXPECT_NEAR(right.mPosition.x, 14.0, kEps);
    EXPECT_NEAR(right.mPosition.y, 20.0, kEps);

    CActor up = fMovingActor({10.0, 20.0}, 0.0, 2.0);
    up.fUpdate();
    EXPECT_NEAR(up.mPosition.x, 10.0, kEps);
    EXPECT_NEAR(up.mPosition.y, 18.0, kEps);

    CActor down = fMovingActor({0.0, 0.0}, 180.0, 3.0);
    down.fUpdate();
    EXPECT_NEAR(down.mPosition.x, 0.0, kEps);
    EXPECT_NEAR(down.mPosition.y, 3.0, kEps);
}

TEST(ActorTest, UpdateCountsFramesAndTurnsTheSpriteOnlyWhenAsked) {
    CActor a = fMovingActor({0.0, 0.0}, 45.0, 0.0);
    EXPECT_EQ(a.fGetCounter(), 0);
    a.fUpdate();
    a.fUpdate();
    EXPECT_EQ(a.fGetCounter(), 2);
    EXPECT_DOUBLE_EQ(a.mDrawData.fGetAngle(), 45.0);
    a.mTurnSpriteWithDirection = false;
    a.mDirection = 100.0;
    a.fUpdate();
    EXPECT_DOUBLE_EQ(a.mDrawData.fGetAngle(), 45.0);
}

TEST(ActorTest, HitShapesTurnWithTheDirectionAroundThePosition) {
    CActor a = fMovingActor({100.0, 100.0}, 90.0, 0.0);
    a.mHitRects.emplace_back(10.0, 0.0, 6.0, 4.0);
    a.mHitCircles.emplace_back(10.0, 0.0, 5.0);
    const auto rects = a.fGetHitRects();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_NEAR(rects[0].x, 100.0, kEps);
    EXPECT_NEAR(rects[0].y, 110.0, kEps);
    EXPECT_DOUBLE_EQ(rects[0].width, 6.0);
    EXPECT_DOUBLE_EQ(rects[0].height, 4.0);
    const auto circles = a.fGetHitCircles();
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_NEAR(circles[0].x, 100.0, kEps);
    EXPECT_NEAR(circles[0].y, 110.0, kEps);
    EXPECT_DOUBLE_EQ(circles[0].radius, 5.0);

    a.mDirection = 0.0;
    EXPECT_NEAR(a.fGetHitRects()[0].x, 110.0, kEps);
    EXPECT_NEAR(a.fGetHitRects()[0].y, 100.0, kEps);
}

TEST(ActorTest, InitResetsEverythingButCopyAppendsShapes) {
    CActor a = fMovingActor({1.0, 2.0}, 30.0, 4.0);
    a.mHitRects.emplace_back(0.0, 0.0, 2.0, 2.0);
    a.mHitCircles.emplace_back(0.0, 0.0, 1.0);
    a.fUpdate();
    a.fKill();
    EXPECT_FALSE(a.fIsAlive());

    CActor b;
    b.mHitCircles.emplace_back(9.0, 9.0, 9.0);
    a.fCopyTo(b);
    EXPECT_EQ(b.mHitRects.size(), 1u);
    EXPECT_EQ(b.mHitCircles.size(), 2u);
    EXPECT_DOUBLE_EQ(b.mDirection, 30.0);
    EXPECT_DOUBLE_EQ(b.mSpeed, 4.0);
    EXPECT_FALSE(b.fIsAlive());

    a.mTurnSpriteWithDirection = false;
    a.fInit(SDrawData{}, {5.0, 6.0});
    EXPECT_TRUE(a.fIsAlive());
    EXPECT_TRUE(a.mHitRects.empty());
    EXPECT_TRUE(a.mHitCircles.empty());
    EXPECT_EQ(a.fGetCounter(), 0);
    EXPECT_DOUBLE_EQ(a.mSpeed, 0.0);
    EXPECT_DOUBLE_EQ(a.mDirection, 0.0);
    EXPECT_TRUE(a.mTurnSpriteWithDirection);
    EXPECT_EQ(a.mPosition, SPointD(5.0, 6.0));
}

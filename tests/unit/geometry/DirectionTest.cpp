#include "geometry/Define.h"

#include <gtest/gtest.h>
#include <numbers>

using D = EDirectionTenkey;

TEST(DirectionTest, TenkeyAnglesAndDiagonals) {
    const int angles[9] = {225, 180, 135, 270, -1, 90, 315, 0, 45};
    for (int d = 0; d < 9; ++d) {
        EXPECT_EQ(fTenkeyToAngle(static_cast<D>(d)), angles[d]) << d;
        EXPECT_EQ(fIsTenkeyDiagonal(static_cast<D>(d)), d == 0 || d == 2 || d == 6 || d == 8) << d;
    }
}

TEST(DirectionTest, NeighboursClockwiseFirst) {
    EXPECT_EQ(fGetTenkeyNeighbours(D::DOWN_LEFT), std::make_pair(D::LEFT, D::DOWN));
    EXPECT_EQ(fGetTenkeyNeighbours(D::DOWN), std::make_pair(D::DOWN_LEFT, D::DOWN_RIGHT));
    EXPECT_EQ(fGetTenkeyNeighbours(D::DOWN_RIGHT), std::make_pair(D::DOWN, D::RIGHT));
    EXPECT_EQ(fGetTenkeyNeighbours(D::LEFT), std::make_pair(D::UP_LEFT, D::DOWN_LEFT));
    EXPECT_EQ(fGetTenkeyNeighbours(D::NEUTRAL), std::make_pair(D::NEUTRAL, D::NEUTRAL));
    EXPECT_EQ(fGetTenkeyNeighbours(D::RIGHT), std::make_pair(D::DOWN_RIGHT, D::UP_RIGHT));
    EXPECT_EQ(fGetTenkeyNeighbours(D::UP_LEFT), std::make_pair(D::UP, D::LEFT));
    EXPECT_EQ(fGetTenkeyNeighbours(D::UP), std::make_pair(D::UP_RIGHT, D::UP_LEFT));
    EXPECT_EQ(fGetTenkeyNeighbours(D::UP_RIGHT), std::make_pair(D::RIGHT, D::UP));
    // Clockwise means 45 degrees more.
    for (D d : {D::DOWN_LEFT, D::DOWN, D::DOWN_RIGHT, D::LEFT, D::RIGHT, D::UP_LEFT, D::UP, D::UP_RIGHT}) {
        const auto [clockwise, anticlockwise] = fGetTenkeyNeighbours(d);
        EXPECT_EQ((fTenkeyToAngle(d) + 45) % 360, fTenkeyToAngle(clockwise));
        EXPECT_EQ((fTenkeyToAngle(d) + 315) % 360, fTenkeyToAngle(anticlockwise));
    }
}

TEST(DirectionTest, FourDirections) {
    EXPECT_EQ(fDirection4ToTenkey(EDirection4::LEFT), D::LEFT);
    EXPECT_EQ(fDirection4ToTenkey(EDirection4::UP), D::UP);
    EXPECT_EQ(fDirection4ToTenkey(EDirection4::RIGHT), D::RIGHT);
    EXPECT_EQ(fDirection4ToTenkey(EDirection4::DOWN), D::DOWN);
    EXPECT_EQ(fAngleToDirection4(0), EDirection4::UP);
    EXPECT_EQ(fAngleToDirection4(44.9), EDirection4::UP);
    EXPECT_EQ(fAngleToDirection4(45), EDirection4::RIGHT);
    EXPECT_EQ(fAngleToDirection4(134.9), EDirection4::RIGHT);
    EXPECT_EQ(fAngleToDirection4(135), EDirection4::DOWN);
    EXPECT_EQ(fAngleToDirection4(225), EDirection4::LEFT);
    EXPECT_EQ(fAngleToDirection4(314.9), EDirection4::LEFT);
    EXPECT_EQ(fAngleToDirection4(315), EDirection4::UP);
    EXPECT_EQ(fAngleToDirection4(-90), EDirection4::LEFT);
    EXPECT_EQ(fAngleToDirection4(-1), EDirection4::UP);
    EXPECT_EQ(fAngleToDirection4(450), EDirection4::RIGHT);
    EXPECT_EQ(fAngleToDirection4(-630), EDirection4::RIGHT);
}

TEST(DirectionTest, DegreesToRadians) {
    EXPECT_DOUBLE_EQ(fDegreeToRadian(180), std::numbers::pi);
    EXPECT_DOUBLE_EQ(fDegreeToRadian(90), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(fDegreeToRadian(0), 0.0);
}

TEST(DirectionDeathTest, TenkeyOutOfRangeIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(fTenkeyToAngle(static_cast<D>(9)), "tenkey direction out of range");
}

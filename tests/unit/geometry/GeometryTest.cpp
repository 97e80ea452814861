#include "geometry/CPoint.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

TEST(Geometry, AngleToFollowsTheScreenCompass) {
    const SPointD o{0, 0};
    // The game's factor is slightly off 180 / pi, so the quarter turns are only near their values.
    EXPECT_NEAR(o.fGetAngleTo({0, -1}), 0.0, 1e-4);
    EXPECT_DOUBLE_EQ(o.fGetAngleTo({1, 0}), 90.0);
    EXPECT_NEAR(o.fGetAngleTo({0, 1}), 180.0, 1e-4);
    EXPECT_NEAR(o.fGetAngleTo({-1, 0}), 270.0, 1e-4);
    // Between left and up the result is negative, never above 270.
    EXPECT_LT(o.fGetAngleTo({-1, -1}), 0.0);
    EXPECT_GT(o.fGetAngleTo({-1, -1}), -90.0);
    // A point to itself: atan2(0, 0) is 0.
    EXPECT_DOUBLE_EQ(o.fGetAngleTo(o), 90.0);
}

TEST(Geometry, AngleUsesTheGameFactorNotExactPi) {
    // atan2(1, 1) * 57.29579143313327 + 90 differs from 135 in the last digits.
    const double expected = std::atan2(1.0, 1.0) * 57.29579143313327 + 90.0;
    EXPECT_EQ(SPointD(0, 0).fGetAngleTo({1, 1}), expected);
    EXPECT_NE(expected, 135.0);
    EXPECT_EQ(SPointD(1, 1).fGetAngle(), expected);
}

TEST(Geometry, RotateTurnsClockwiseOnScreen) {
    const SPointD r = SPointD(1, 0).fRotate(90);
    EXPECT_NEAR(r.x, 0.0, 1e-12);
    EXPECT_NEAR(r.y, 1.0, 1e-12);
    const SPointD up = SPointD(0, -2).fRotate(90);
    EXPECT_NEAR(up.x, 2.0, 1e-12);
    EXPECT_NEAR(up.y, 0.0, 1e-12);
    const SPointD p(3, 4);
    (void)p.fRotate(45);
    EXPECT_EQ(p, SPointD(3, 4)); // the point itself is unchanged
}

TEST(Geometry, PointArithmeticAndDistance) {
    EXPECT_EQ(SPointD(1, 2) + SPointD(3, 5), SPointD(4, 7));
    EXPECT_EQ(SPointD(1, 2) - SPointD(3, 5), SPointD(-2, -3));
    EXPECT_EQ(SPointD(1, -2) * 2.5, SPointD(2.5, -5));
    EXPECT_DOUBLE_EQ(SPointD(0, 0).fGetDistance({3, 4}), 5.0);
}

TEST(Geometry, RectangleEdgesFromTheCentre) {
    const SRectD r(10, 10, 4, 6);
    EXPECT_DOUBLE_EQ(r.fGetLeft(), 8);
    EXPECT_DOUBLE_EQ(r.fGetRight(), 12);
    EXPECT_DOUBLE_EQ(r.fGetTop(), 7);
    EXPECT_DOUBLE_EQ(r.fGetBottom(), 13);
    const SRectD odd(0, 0, 5, 3);
    EXPECT_DOUBLE_EQ(odd.fGetLeft(), -2.5);
    EXPECT_DOUBLE_EQ(odd.fGetRight(), 2.5);
}

TEST(Geometry, DefaultsAreZero) {
    const SCircleD c;
    EXPECT_EQ(c.fGetX(), 0.0);
    EXPECT_EQ(c.fGetRadius(), 0.0);
    const SPointI p;
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST(Geometry, RememberedAnglesGiveTheSameBitsAsComputingThem) {
    // Many angles, repeated and interleaved so that they evict each other from the memory, every answer
    // must be the long double computation rounded to double, bit for bit.
    std::vector<double> angles;
    for (int i = 0; i < 3000; ++i) {
        angles.push_back(i * 0.7 - 900.0);
        angles.push_back(360.0 * (i % 7) + 1e-9 * i);
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (double degrees : angles) {
            const long double r =
                static_cast<long double>(degrees) * 3.14159265358979323846264338327950288L / 180.0L;
            const SCosSin cs = fCosSinDegrees(degrees);
            ASSERT_EQ(cs.c, static_cast<double>(std::cos(r))) << degrees;
            ASSERT_EQ(cs.s, static_cast<double>(std::sin(r))) << degrees;
        }
    }
}

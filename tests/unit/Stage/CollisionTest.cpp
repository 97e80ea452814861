#include "Stage/Collision.h"

#include <gtest/gtest.h>

TEST(CollisionTest, CirclesTouchingAtTheSumOfTheRadiiCollide) {
    EXPECT_TRUE(fIsHitCircle(SCircleD(0.0, 0.0, 3.0), SCircleD(5.0, 0.0, 2.0)));
    EXPECT_TRUE(fIsHitCircle(SCircleD(0.0, 0.0, 2.0), SCircleD(3.0, 4.0, 3.0))); // 3-4-5 triangle
    EXPECT_FALSE(fIsHitCircle(SCircleD(0.0, 0.0, 2.0), SCircleD(3.0, 4.0, 2.999)));
    EXPECT_FALSE(fIsHitCircle(SCircleD(0.0, 0.0, 3.0), SCircleD(5.001, 0.0, 2.0)));
    EXPECT_TRUE(fIsHitCircle(SCircleD(7.0, 7.0, 1.0), SCircleD(7.0, 7.0, 0.0)));
}

TEST(CollisionTest, RectanglesSharingOnlyAnEdgeDoNotOverlap) {
    const SRectD a(8.0, 8.0, 16.0, 16.0);                        // 0..16 both ways
    EXPECT_FALSE(fIsHitRect(a, SRectD(24.0, 8.0, 16.0, 16.0)));  // right edge
    EXPECT_FALSE(fIsHitRect(a, SRectD(-8.0, 8.0, 16.0, 16.0)));  // left edge
    EXPECT_FALSE(fIsHitRect(a, SRectD(8.0, 24.0, 16.0, 16.0)));  // bottom edge
    EXPECT_FALSE(fIsHitRect(a, SRectD(24.0, 24.0, 16.0, 16.0))); // corner
    EXPECT_TRUE(fIsHitRect(a, SRectD(23.9, 8.0, 16.0, 16.0)));
    EXPECT_TRUE(fIsHitRect(a, SRectD(8.0, -7.9, 16.0, 16.0)));
    EXPECT_TRUE(fIsHitRect(a, SRectD(8.0, 8.0, 2.0, 2.0))); // inside
}

TEST(CollisionTest, RectangleHalvesAreTruncatedToWholePixels) {
    // Width 5 at x 10: half = 2, so the rectangle spans 8 .. 13, not 7.5 .. 12.5.
    const SRectD odd(10.0, 0.0, 5.0, 5.0);
    EXPECT_FALSE(fIsHitRect(odd, SRectD(7.0, 0.0, 2.0, 2.0)));  // spans 6 .. 8
    EXPECT_TRUE(fIsHitRect(odd, SRectD(7.1, 0.0, 2.0, 2.0)));   // spans 6.1 .. 8.1
    EXPECT_FALSE(fIsHitRect(odd, SRectD(14.0, 0.0, 2.0, 2.0))); // spans 13 .. 15
    EXPECT_TRUE(fIsHitRect(odd, SRectD(13.9, 0.0, 2.0, 2.0)));  // spans 12.9 .. 14.9
    // Vertically the same: height 5 at y 0 spans -2 .. 3.
    EXPECT_FALSE(fIsHitRect(odd, SRectD(10.0, 4.0, 2.0, 2.0))); // spans 3 .. 5
    EXPECT_TRUE(fIsHitRect(odd, SRectD(10.0, 3.9, 2.0, 2.0)));
    EXPECT_FALSE(fIsHitRect(odd, SRectD(10.0, -3.0, 2.0, 2.0))); // spans -4 .. -2
    EXPECT_TRUE(fIsHitRect(odd, SRectD(10.0, -2.9, 2.0, 2.0)));
    // A fractional width is cut too: 3.8 has half 1 and the other part trunc(2.8) = 2.
    const SRectD frac(0.0, 0.0, 3.8, 3.8); // spans -1 .. 2
    EXPECT_FALSE(fIsHitRect(frac, SRectD(3.0, 0.0, 2.0, 2.0)));
    EXPECT_TRUE(fIsHitRect(frac, SRectD(2.9, 0.0, 2.0, 2.0)));
    EXPECT_FALSE(fIsHitRect(frac, SRectD(-2.0, 0.0, 2.0, 2.0)));
    EXPECT_TRUE(fIsHitRect(frac, SRectD(-1.9, 0.0, 2.0, 2.0)));
}

TEST(CollisionTest, MapCellOfAPointRoundsNegativesToTheCellBefore) {
    EXPECT_EQ(fToMapCell({-0.5, 0.0}).x, -1);
    EXPECT_EQ(fToMapCell({15.9, 0.0}).x, 0);
    EXPECT_EQ(fToMapCell({16.0, 0.0}).x, 1);
    EXPECT_EQ(fToMapCell({0.0, 0.0}), SPointI(0, 0));
    EXPECT_EQ(fToMapCell({0.0, -0.5}).y, -1);
    EXPECT_EQ(fToMapCell({0.0, 31.99}).y, 1);
    EXPECT_EQ(fToMapCell({1279.0, 1279.0}), SPointI(79, 79));
    EXPECT_EQ(fToMapCell({-20.0, -40.0}), SPointI(-2, -3));
}

#include "dx/DxLib.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
double decibels(int volume) {
    return 20.0 * std::log10(dx_MixerVolume(volume) / 128.0);
}
} // namespace

TEST(MixerVolume, ZeroIsSilentAndFullIsTheMixersMaximum) {
    EXPECT_EQ(dx_MixerVolume(0), 0);
    EXPECT_EQ(dx_MixerVolume(-5), 0);
    EXPECT_EQ(dx_MixerVolume(255), 128);
    EXPECT_EQ(dx_MixerVolume(300), 128);
    EXPECT_GT(dx_MixerVolume(1), 0);
}

TEST(MixerVolume, RisesWithTheVolume) {
    for (int v = 1; v <= 255; ++v) {
        EXPECT_GE(dx_MixerVolume(v), dx_MixerVolume(v - 1)) << v;
    }
    EXPECT_GT(dx_MixerVolume(20), dx_MixerVolume(10));
    EXPECT_GT(dx_MixerVolume(51), dx_MixerVolume(20));
}

TEST(MixerVolume, EachHalvingTakesFourDecibelsOff) {
    EXPECT_NEAR(decibels(128), -4.0, 0.3);
    EXPECT_NEAR(decibels(51), -9.3, 0.3);
    EXPECT_NEAR(decibels(20), -14.7, 0.4);
    EXPECT_NEAR(decibels(10), -18.7, 0.5);
}

#include "util/CFpsTimer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
struct FakeClock {
    int now = 1000;
    std::vector<int> sleeps;
    // Each frame "works" for `work` ms before the wait.
    CFpsTimer make(bool measuring) {
        return CFpsTimer(
            measuring, [this] { return now; },
            [this](int ms) {
                sleeps.push_back(ms);
                now += ms;
            });
    }
};
} // namespace

TEST(FpsTimer, WaitsTheRestOfSixteenMilliseconds) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    clock.now += 5;
    timer.fWait();
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.sleeps[0], 11); // (17 - 1) - 5
    clock.now += 16;
    timer.fWait();
    EXPECT_EQ(clock.sleeps[1], 0);
    clock.now += 40; // a slow frame: no sleep and no catching up afterwards
    timer.fWait();
    EXPECT_EQ(clock.sleeps[2], 0);
    clock.now += 1;
    timer.fWait();
    EXPECT_EQ(clock.sleeps[3], 15);
}

TEST(FpsTimer, NoWaitNeverSleeps) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    timer.fSetNoWait(true);
    for (int i = 0; i < 10; ++i) {
        clock.now += 1;
        timer.fWait();
    }
    EXPECT_TRUE(clock.sleeps.empty());
    timer.fToggleNoWait();
    EXPECT_FALSE(timer.fGetNoWait());
}

TEST(FpsTimer, FpsIsSixtyUntilTheFirstThreeSecondWindow) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    for (int i = 0; i < 170; ++i) { // 170 frames of 17 ms = 2890 ms
        clock.now += 2;
        timer.fWait();
    }
    EXPECT_EQ(timer.fGetFps(), 60.0);
}

TEST(FpsTimer, FpsDividesFramesByThreeSecondsEvenForLongerWindows) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    int frames = 0;
    while (clock.now < 1000 + 3000) {
        clock.now += 2;
        timer.fWait();
        ++frames;
    }
    // The frame that crossed 3000 ms is not counted yet (the count rises after the measurement).
    EXPECT_DOUBLE_EQ(timer.fGetFps(), (frames - 1) / 3.0);
    // Ten quick frames, then one of six seconds: still divided by 3, not by 6.
    CFpsTimer slow = clock.make(true);
    for (int i = 0; i < 10; ++i) {
        clock.now += 1;
        slow.fWait();
    }
    clock.now += 6000;
    slow.fWait();
    EXPECT_DOUBLE_EQ(slow.fGetFps(), 10 / 3.0);
}

TEST(FpsTimer, NotMeasuringKeepsSixty) {
    FakeClock clock;
    CFpsTimer timer = clock.make(false);
    for (int i = 0; i < 400; ++i) {
        clock.now += 30;
        timer.fWait();
    }
    EXPECT_EQ(timer.fGetFps(), 60.0);
    EXPECT_EQ(timer.fGetFrameCount(), 400u);
}

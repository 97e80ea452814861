#include "GameMain/CFpsTimer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
constexpr int64_t kMs = 1000; // the clock counts microseconds

struct FakeClock {
    int64_t now = 1000 * kMs;
    int64_t oversleep = 0; // how much each sleep overshoots
    std::vector<int64_t> sleeps;
    CFpsTimer make(bool measuring) {
        return CFpsTimer(
            measuring, [this] { return now; },
            [this](int64_t us) {
                sleeps.push_back(us);
                now += us + oversleep;
            });
    }
};
} // namespace

TEST(FpsTimer, FramesEndOnSixtiethsOfASecondWithoutDrift) {
    FakeClock clock;
    clock.oversleep = 700; // a sleep that wakes late is made up for by the next frame
    CFpsTimer timer = clock.make(true);
    const int64_t start = clock.now;
    for (int64_t frame = 1; frame <= 3600; ++frame) {
        clock.now += 3 * kMs; // the frame's work
        timer.fWait();
        ASSERT_EQ(clock.now, start + frame * 1'000'000 / 60 + clock.oversleep) << "frame " << frame;
    }
    EXPECT_EQ(clock.now - clock.oversleep, start + 60'000'000);
    EXPECT_EQ(clock.sleeps[0], 1'000'000 / 60 - 3 * kMs);
}

TEST(FpsTimer, ALongFrameIsNotCaughtUp) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    clock.now += 40 * kMs;
    timer.fWait();
    EXPECT_TRUE(clock.sleeps.empty());
    const int64_t longFrameEnd = clock.now;
    clock.now += 1 * kMs;
    timer.fWait();
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.now, longFrameEnd + 1'000'000 / 60);
}

TEST(FpsTimer, NoWaitNeverSleeps) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    timer.fSetNoWait(true);
    for (int i = 0; i < 10; ++i) {
        clock.now += 1 * kMs;
        timer.fWait();
    }
    EXPECT_TRUE(clock.sleeps.empty());
    timer.fToggleNoWait();
    EXPECT_FALSE(timer.fGetNoWait());
    // Pacing resumes a whole frame after the last fast one.
    const int64_t lastFastFrame = clock.now;
    timer.fWait();
    EXPECT_EQ(clock.now, lastFastFrame + 1'000'000 / 60);
}

TEST(FpsTimer, FpsIsSixtyUntilTheFirstThreeSecondWindow) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    for (int i = 0; i < 175; ++i) { // 175 frames of 1/60 s = 2917 ms
        clock.now += 2 * kMs;
        timer.fWait();
    }
    EXPECT_EQ(timer.fGetFps(), 60.0);
}

TEST(FpsTimer, FpsDividesFramesByThreeSecondsEvenForLongerWindows) {
    FakeClock clock;
    CFpsTimer timer = clock.make(true);
    int frames = 0;
    while (clock.now < (1000 + 3000) * kMs) {
        clock.now += 2 * kMs;
        timer.fWait();
        ++frames;
    }
    // The frame that crossed 3000 ms is not counted yet (the count rises after the measurement).
    EXPECT_DOUBLE_EQ(timer.fGetFps(), (frames - 1) / 3.0);
    // Ten quick frames, then one of six seconds: still divided by 3, not by 6.
    CFpsTimer slow = clock.make(true);
    for (int i = 0; i < 10; ++i) {
        clock.now += 1 * kMs;
        slow.fWait();
    }
    clock.now += 6000 * kMs;
    slow.fWait();
    EXPECT_DOUBLE_EQ(slow.fGetFps(), 10 / 3.0);
}

TEST(FpsTimer, NotMeasuringKeepsSixty) {
    FakeClock clock;
    CFpsTimer timer = clock.make(false);
    for (int i = 0; i < 400; ++i) {
        clock.now += 30 * kMs;
        timer.fWait();
    }
    EXPECT_EQ(timer.fGetFps(), 60.0);
    EXPECT_EQ(timer.fGetFrameCount(), 400u);
}

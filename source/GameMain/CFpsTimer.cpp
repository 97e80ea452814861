#include "GameMain/CFpsTimer.h"

#include <dx/DxLib.h>

#include <thread>

std::unique_ptr<CFpsTimer> gFpsTimer;

namespace {
constexpr int64_t kMicrosPerSecond = 1'000'000;

int32_t toMillis(int64_t micros) {
    return static_cast<int32_t>(micros / 1000);
}

// The system sleep can overshoot by a millisecond or more: sleep until shortly before the end, then yield
// until the clock gets there.
void waitPrecisely(int64_t micros) {
    constexpr int64_t kSpinMargin = 2000;
    const int64_t until = dx_GetNowHiPerformanceCount() + micros;
    if (micros > kSpinMargin) {
        dx_Sleep(static_cast<int>((micros - kSpinMargin) / 1000));
    }
    while (dx_GetNowHiPerformanceCount() < until) {
        std::this_thread::yield();
    }
}
} // namespace

CFpsTimer::CFpsTimer(bool measuring)
    : CFpsTimer(
          measuring, [] { return static_cast<int64_t>(dx_GetNowHiPerformanceCount()); }, waitPrecisely) {}

CFpsTimer::CFpsTimer(bool measuring, Clock clock, Sleeper sleeper)
    : mClock(std::move(clock)), mSleeper(std::move(sleeper)), mMeasuring(measuring) {
    mMeasureTime = toMillis(mClock());
    mMeasureFrame = 0;
    fResetTime();
}

void CFpsTimer::fResetTime() {
    const int64_t now = mClock();
    mLastTime = toMillis(now);
    fRestartSchedule(now);
}

void CFpsTimer::fRestartSchedule(int64_t now) {
    mScheduleStart = now;
    mScheduleFrames = 0;
}

void CFpsTimer::fWait() {
    mFrameLength = mNoWait ? 0 : 17;
    int64_t now = mClock();
    if (mNoWait) {
        // Leaving no-wait mode paces on from the last fast frame.
        fRestartSchedule(now);
    } else {
        ++mScheduleFrames;
        const int64_t deadline = mScheduleStart + mScheduleFrames * kMicrosPerSecond / kFramesPerSecond;
        if (now > deadline) {
            // A long frame is not caught up with quick ones: the next frame gets a whole frame from now.
            fRestartSchedule(now);
        } else if (now < deadline) {
            mSleeper(deadline - now);
            now = mClock();
        }
    }
    mLastTime = toMillis(now);
    if (mMeasuring && mLastTime >= mMeasureTime + 3000) {
        // Always divided by three seconds, even when the window ran longer.
        mFps = static_cast<double>(static_cast<int64_t>(mFrameCount) - mMeasureFrame) / 3.0;
        mMeasureTime = mLastTime;
        mMeasureFrame = static_cast<int32_t>(mFrameCount);
    }
    ++mFrameCount;
}

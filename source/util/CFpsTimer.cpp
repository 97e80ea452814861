#include "util/CFpsTimer.h"

#include <dx/DxLib.h>

std::unique_ptr<CFpsTimer> gFpsTimer;

CFpsTimer::CFpsTimer(bool measuring)
    : CFpsTimer(
          measuring, [] { return dx_GetNowCount(0); }, [](int ms) { dx_Sleep(ms); }) {}

CFpsTimer::CFpsTimer(bool measuring, Clock clock, Sleeper sleeper)
    : mClock(std::move(clock)), mSleeper(std::move(sleeper)), mMeasuring(measuring) {
    mMeasureTime = mClock();
    mMeasureFrame = 0;
    fResetTime();
}

void CFpsTimer::fWait() {
    mFrameLength = mNoWait ? 0 : 17;
    // One millisecond less than the frame, for the sleep's usual overshoot.
    int32_t wait = (mFrameLength - 1) - (mClock() - mLastTime);
    if (wait < 0) {
        wait = 0;
    }
    if (!mNoWait) {
        mSleeper(wait);
    }
    const int32_t now = mClock();
    mLastTime = now;
    if (mMeasuring && now >= mMeasureTime + 3000) {
        // Always divided by three seconds, even when the window ran longer.
        mFps = static_cast<double>(static_cast<int64_t>(mFrameCount) - mMeasureFrame) / 3.0;
        mMeasureTime = now;
        mMeasureFrame = static_cast<int32_t>(mFrameCount);
    }
    ++mFrameCount;
}

// Paces the scene loop at about 60 frames a second and measures the frame rate shown in the HUD.
// The clock and the sleep are injectable so the arithmetic can be tested without waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class CFpsTimer {
public:
    using Clock = std::function<int()>;
    using Sleeper = std::function<void(int)>;

    explicit CFpsTimer(bool measuring);
    CFpsTimer(bool measuring, Clock clock, Sleeper sleeper);

    void fToggleNoWait() { mNoWait = !mNoWait; }
    void fSetNoWait(bool noWait) { mNoWait = noWait; }
    bool fGetNoWait() const { return mNoWait; }
    void fResetTime() { mLastTime = mClock(); }
    void fWait();
    double fGetFps() const { return mFps; }
    uint64_t fGetFrameCount() const { return mFrameCount; }

private:
    Clock mClock;
    Sleeper mSleeper;
    uint64_t mFrameCount = 0;
    bool mMeasuring;
    int32_t mLastTime = 0;
    int32_t mFrameLength = 17;
    bool mNoWait = false;
    int32_t mMeasureFrame = 0;
    int32_t mMeasureTime = 0;
    double mFps = 60.0;
};

extern std::unique_ptr<CFpsTimer> gFpsTimer;

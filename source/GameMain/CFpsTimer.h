// Paces the scene loop at 60 frames a second and measures the frame rate shown in the HUD.
// The clock and the sleep are injectable so the arithmetic can be tested without waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class CFpsTimer {
public:
    // Microseconds of a steady clock, and a wait of about the given number of microseconds.
    using Clock = std::function<int64_t()>;
    using Sleeper = std::function<void(int64_t)>;

    static constexpr int64_t kFramesPerSecond = 60;

    explicit CFpsTimer(bool measuring);
    CFpsTimer(bool measuring, Clock clock, Sleeper sleeper);

    void fToggleNoWait() { mNoWait = !mNoWait; }
    void fSetNoWait(bool noWait) { mNoWait = noWait; }
    bool fGetNoWait() const { return mNoWait; }
    void fResetTime();
    void fWait();
    double fGetFps() const { return mFps; }
    uint64_t fGetFrameCount() const { return mFrameCount; }

private:
    void fRestartSchedule(int64_t now);

    Clock mClock;
    Sleeper mSleeper;
    uint64_t mFrameCount = 0;
    bool mMeasuring;
    int32_t mLastTime = 0;     // ms, when the last frame ended
    int32_t mFrameLength = 17; // ms, nominal: 17 when pacing, 0 in no-wait mode
    bool mNoWait = false;
    int32_t mMeasureFrame = 0;
    int32_t mMeasureTime = 0;
    double mFps = 60.0;
    // Frame n of a schedule ends at start + n / 60 s, computed from the start each time so that
    // rounding never accumulates.
    int64_t mScheduleStart = 0; // µs
    int64_t mScheduleFrames = 0;
};

extern std::unique_ptr<CFpsTimer> gFpsTimer;

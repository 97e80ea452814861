// A countdown of frames with optional per-frame and end callbacks. Never started counts as ended.
#pragma once

#include <functional>

class CFrameCountdown {
public:
    void fStart(int frames) {
        mRemaining = frames;
        mStart = frames;
    }
    bool fIsEnded() const { return mRemaining <= 0; }
    int fGetRemaining() const { return mRemaining; }
    int fGetStart() const { return mStart; }
    void fSetOnFrame(std::function<void()> f) { mOnFrame = std::move(f); }
    void fSetOnEnd(std::function<void()> f) { mOnEnd = std::move(f); }

    void fUpdate() {
        if (fIsEnded()) {
            return;
        }
        if (mOnFrame) {
            mOnFrame();
        }
        --mRemaining;
        if (fIsEnded() && mOnEnd) {
            mOnEnd();
        }
    }

private:
    int mRemaining = 0;
    int mStart = 0;
    std::function<void()> mOnFrame;
    std::function<void()> mOnEnd;
};

// The pause of a run: P or the pad's Start button pause and resume it, and the window losing the focus
// pauses it. It works above the key manager, on the media layer's own key and pad state, so that a paused
// frame reads and records no keys: nothing of the run advances (no frame recorded, no clock, no random
// draw), and a run with pauses is recorded, and plays back, exactly like one without.
#pragma once

class CPause {
public:
    // Called once per frame before the keys are read; `inRun` says whether a run (or a watched replay) is
    // in play. Answers whether this frame is paused.
    bool fUpdate(bool inRun);
    // Dims the screen and says how to resume.
    void fDraw() const;
    bool fIsPaused() const { return mPaused; }

private:
    bool mPaused = false;
    bool mPDown = false;
    bool mStartDown = false;
    bool mActive = true;
};

extern CPause gPause;

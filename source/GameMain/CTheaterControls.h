// The playback controls of the replay theater, read from the real keyboard, pad and mouse like Esc and F1
// (never from the replay): the recorded game keys are not read live during a playback, so the arrow keys
// and the d-pad are free for these.
#pragma once

#include <optional>
#include <vector>

enum class ETheaterControl {
    LEAVE,           // Esc
    FAST_FORWARD,    // F1: frames as fast as the machine can
    PAUSE,           // P, pad Start
    STEP,            // while paused: one frame forward (., pad A)
    STEP_BACK,       // while paused: one frame back (,)
    SLOWER,          // [ or -, pad X
    FASTER,          // ] or +, pad Y
    BACK_5S,         // Left, pad left
    FORWARD_5S,      // Right, pad right
    BACK_30S,        // Down or Shift+Left, pad down
    FORWARD_30S,     // Up or Shift+Right, pad up
    TO_START,        // Home, pad Back
    PREVIOUS_MOMENT, // PageUp, pad LB
    NEXT_MOMENT,     // PageDown, pad RB
    TO_FRACTION,     // 0..9: a tenth of the run each; a click on the timeline
};

struct STheaterInput {
    ETheaterControl control;
    // TO_FRACTION: where on the timeline, 0 to 1.
    double fraction = 0.0;
};

class CTheaterControls {
public:
    // The timeline's place on the screen, for clicks.
    void fSetTimeline(int left, int top, int right, int bottom);
    // The controls pushed since the last call (a key held down counts once), in a fixed order.
    std::vector<STheaterInput> fRead();
    // The window lost the keyboard focus since the last call.
    bool fFocusLost() const { return mFocusLost; }
    // The last control pushed came from the pad (the help line then names its buttons).
    bool fLastFromPad() const { return mLastFromPad; }

private:
    bool fPushed(int bit, bool down);

    unsigned long long mDown = 0;
    bool mActive = true;
    bool mFocusLost = false;
    bool mLastFromPad = false;
    int mTimelineLeft = 0;
    int mTimelineTop = 0;
    int mTimelineRight = 0;
    int mTimelineBottom = 0;
};

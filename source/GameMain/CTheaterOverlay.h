// The replay theater's panel at the bottom of the screen: whose replay this is and its score, the speed
// and pause, a timeline with the run's moments marked, where the playback is and how long the run is, and
// the controls. It is a window of the game's own card and wooden frame, and fades out after two seconds
// without a control.
#pragma once

#include "GameMain/CReplayCursor.h"

#include <string>
#include <vector>

// What the panel shows this frame.
struct STheaterView {
    std::string who;
    int score = 0;
    int position = 0; // frames of play
    int length = 0;   // frames of play of the whole run
    int speedQuarters = 4;
    bool paused = false;
    bool fastForward = false;
    bool padHelp = false; // the help line names the pad's buttons
    const std::vector<SReplayMoment>* moments = nullptr;
};

class CTheaterOverlay {
public:
    static constexpr int kShownFrames = 120;
    static constexpr int kFadeFrames = 30;
    // The timeline on the screen.
    static constexpr int kTimelineLeft = 24;
    static constexpr int kTimelineRight = 468;
    static constexpr int kTimelineTop = 428;
    static constexpr int kTimelineBottom = 440;

    // Builds the panel's pictures: call outside the draw step (the back screen is their canvas).
    CTheaterOverlay();
    ~CTheaterOverlay();
    CTheaterOverlay(const CTheaterOverlay&) = delete;
    CTheaterOverlay& operator=(const CTheaterOverlay&) = delete;

    // Fully shown again, for another two seconds.
    void fWake() { mIdleFrames = 0; }
    void fUpdate();
    // 0 (gone) to 255.
    int fGetAlpha() const;
    void fDraw(const STheaterView& view) const;

private:
    void fDrawTimeline(const STheaterView& view, int alpha) const;
    void fDrawTexts(const STheaterView& view, int alpha) const;

    std::vector<int> mLayerImages;
    std::vector<int> mLayerAlphas;
    int mIdleFrames = 0;
};

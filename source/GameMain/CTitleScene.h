// The title screen: the title picture, the local high score and a blinking prompt. Z starts a run, R plays
// the stored replay back when there is one, Esc quits.
#pragma once

#include "GameMain/CScene.h"

#include <functional>

class CTitleScene : public CScene {
public:
    CTitleScene();

    void fUpdate() override;
    void fInput() override;
    void fDraw() override;

    // What Z and R start; set by the stage module once it exists, so the title does not depend on it.
    static std::function<void()> sStartRun;
    static std::function<void()> sStartReplay;

private:
    int mTitleHandle = -1;
    int mHighScore = 0;
    bool mHighScoreSent = false;
    int mFrameCounter = 0;
    bool mReplayKeyLatch = true;
};

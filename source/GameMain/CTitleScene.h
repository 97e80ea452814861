// The title screen: the title picture, the local high score and a blinking prompt. Z starts a run, R plays
// the stored replay back when there is one, Esc quits.
#pragma once

#include "GameMain/CScene.h"

#include <string>

class CTitleScene : public CScene {
public:
    CTitleScene();

    void fUpdate() override;
    void fInput() override;
    void fDraw() override;

private:
    int mTitleHandle = -1;
    int mHighScore = 0;
    bool mHighScoreSent = false;
    int mFrameCounter = 0;
    bool mReplayKeyLatch = true;
    // A notice shown over the title for a while (a replay that could not be played).
    std::string mNotice;
    int mNoticeFrames = 0;
};

#include "GameMain/CLaunchReplay.h"

#include "GameMain/CGameStageHost.h"
#include "GameMain/CReplayCursor.h"
#include "GameMain/CSceneHolder.h"
#include "GameMain/GameMain.h"
#include "Stage/CStage.h"
#include "base/CException.h"
#include "base/CStateDigest.h"

#include <cstdio>
#include <memory>

CLaunchReplay gLaunchReplay;

void CLaunchReplay::fStart() {
    mStart = Clock::now();
    try {
        if (!mJumps.empty()) {
            fJump();
            return;
        }
        gScene = fMakeGameStage(mPath);
    } catch (const CException& e) {
        mRefusal = e.what();
        gQuitRequested = true;
    }
}

void CLaunchReplay::fJump() {
    CStageHost host;
    CReplayCursor cursor(mPath, fLoadReplayInput(mPath), host);
    for (const int frame : mJumps) {
        cursor.fSeek(frame);
        // A jump past the end of the replay stops where its stage ended.
        const CStage& stage = cursor.fGetStage();
        std::printf("digest %d %s\n", stage.fGetFrameCounter(), CStateDigest::fHex(stage.fDigest()).c_str());
    }
    std::fflush(stdout);
    mJumped = true;
    gQuitRequested = true;
}

void CLaunchReplay::fOnStageEnd(const CStage& stage) {
    if (mEnded) {
        return;
    }
    mEnd = Clock::now();
    mEnded = true;
    mFrames = stage.fGetFrameCounter();
    mScore = stage.fGetScore();
    mDigest = stage.fDigest();
    mStats = stage.fGetStats();
    gQuitRequested = true;
}

int CLaunchReplay::fReport() const {
    if (!mRefusal.empty()) {
        std::fprintf(stderr, "tavoni: cannot play the replay %s: %s\n", mPath.c_str(), mRefusal.c_str());
        return 2;
    }
    if (mJumped) {
        return 0;
    }
    if (!mEnded) {
        std::fprintf(stderr, "tavoni: the replay %s did not reach its end\n", mPath.c_str());
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(mEnd - mStart).count();
    const double fps = ms > 0.0 ? mFrames * 1000.0 / ms : 0.0;
    std::printf("replay %s: %d frames, score %d, %.0f ms (%.0f frames/s)\n", mPath.c_str(), mFrames, mScore,
                ms, fps);
    std::printf("digest %s\n%s\n", CStateDigest::fHex(mDigest).c_str(), mStats.fFormat().c_str());
    std::fflush(stdout);
    if (mExpectedScore && *mExpectedScore != mScore) {
        std::fprintf(stderr, "tavoni: the replay %s scores %d, not the expected %d\n", mPath.c_str(), mScore,
                     *mExpectedScore);
        return 1;
    }
    if (!gLaunchResultScreenshot.empty() && !gLaunchResultScreenshotSaved) {
        std::fprintf(stderr, "tavoni: the replay %s ended without its result screen; %s was not saved\n",
                     mPath.c_str(), gLaunchResultScreenshot.c_str());
        return 1;
    }
    return 0;
}

#include "GameMain/CTitleScene.h"

#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "Stage/CHighScoreInfo.h"
#include "Stage/CStage.h"
#include "util/CException.h"
#include "util/CImageManager.h"
#include "util/CKeyManagerBase.h"
#include "util/CSoundManager.h"
#include "util/Log.h"
#include "util/ReplayFiles.h"

#include <dx/DxLib.h>
#include <filesystem>
#include <string>

CTitleScene::CTitleScene() {
    gSoundManager->fStopAll();
    if (gImageManager->fHasImage("title.png")) {
        mTitleHandle = gImageManager->fGetHandle("title.png");
    }
    const CHighScoreInfo info = fLoadHighScore();
    mHighScore = info.score;
    mHighScoreSent = info.sent;
}

void CTitleScene::fUpdate() {
    ++mFrameCounter;
}

void CTitleScene::fInput() {
    if (gKeyManager->fIsPush(EGameKey::KEY_Z, true)) {
        gScene = std::make_unique<CStage>("", true);
        return;
    }
    // R is no game key; the title reads it directly, latched so a held key starts one replay only.
    const bool r = dx_CheckHitKey(KEY_INPUT_R) != 0;
    const bool rPushed = r && !mReplayKeyLatch;
    mReplayKeyLatch = r;
    if (rPushed && std::filesystem::exists(kPackedReplayPath)) {
        try {
            gScene = std::make_unique<CStage>(kPackedReplayPath, true);
        } catch (const CException& e) {
            // A damaged replay is reported and the title stays; nothing else is touched.
            fLogWarning(std::string("the replay cannot be played: ") + e.what());
            mNotice = "リプレイを再生できませんでした";
            mNoticeFrames = 240;
        }
        return;
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_ESC, true)) {
        gQuitRequested = true;
    }
}

void CTitleScene::fDraw() {
    if (mTitleHandle != -1) {
        dx_DrawGraph(0, 0, mTitleHandle, 0);
    } else {
        dx_DrawBox(0, 0, 640, 480, dx_GetColor(40, 48, 80), 1);
        dx_DrawStringToHandle(220, 180, "たぼに！", dx_GetColor(255, 255, 255), gFont64);
    }
    if (mHighScoreSent) {
        dx_DrawStringToHandle(10, 440, "★", dx_GetColor(150, 150, 255), gFont24);
    }
    const std::string score = "HIGH SCORE:" + std::to_string(mHighScore);
    dx_DrawStringToHandle(50, 440, score.c_str(), dx_GetColor(255, 255, 255), gFont24);
    if (mNoticeFrames > 0) {
        dx_DrawBox(100, 200, 540, 260, dx_GetColor(40, 20, 20), 1);
        dx_DrawStringToHandle(130, 216, mNotice.c_str(), dx_GetColor(255, 200, 200), gFont24);
    }
    if (mFrameCounter % 80 < 40) {
        dx_DrawStringToHandle(360, 440, "Ｚキーを押す", dx_GetColor(255, 100, 100), gFont24);
    }
}

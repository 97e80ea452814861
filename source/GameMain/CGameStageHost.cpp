#include "GameMain/CGameStageHost.h"

#include "GameMain/CFpsTimer.h"
#include "GameMain/CLaunchReplay.h"
#include "GameMain/CProfiler.h"
#include "GameMain/CSceneHolder.h"
#include "GameMain/CStartMenu.h"
#include "GameMain/CTipsManager.h"
#include "Stage/CStage.h"
#include "base/LaunchFlags.h"

void CGameStageHost::fOpenTip() {
    if (gTipsManager) {
        gTipsManager->fUnlockTip();
        gTipsManager->fOpen(CTipsManager::EScene::STAGE);
    }
}

void CGameStageHost::fDrawTip() {
    if (gTipsManager) {
        gTipsManager->fDraw();
    }
}

void CGameStageHost::fOnStageEnd(const CStage& stage) {
    if (stage.fIsReplay() && gLaunchReplay.fIsActive()) {
        gLaunchReplay.fOnStageEnd(stage);
    }
}

void CGameStageHost::fLeaveStage() {
    gScene = std::make_unique<CStartMenu>();
}

void CGameStageHost::fToggleFastForward() {
    if (gFpsTimer) {
        gFpsTimer->fToggleNoWait();
    }
}

void CGameStageHost::fRestoreFramePacing() {
    if (gFpsTimer) {
        gFpsTimer->fSetNoWait(gLaunchNoWait);
    }
}

double CGameStageHost::fGetFps() const {
    return gFpsTimer ? gFpsTimer->fGetFps() : 0.0;
}

void CGameStageHost::fToggleProfiler() {
    if (gProfiler) {
        gProfiler->fToggle();
    }
}

void CGameStageHost::fMeasureStart(const char* name) {
    if (gProfiler) {
        gProfiler->fMeasureStart(name);
    }
}

void CGameStageHost::fMeasureEnd(const char* name) {
    if (gProfiler) {
        gProfiler->fMeasureEnd(name);
    }
}

std::unique_ptr<CStage> fMakeGameStage(const std::string& replayPath) {
    // One host serves every stage: it keeps no state of its own.
    static CGameStageHost host;
    return std::make_unique<CStage>(replayPath, true, &host);
}

#include "GameMain/CPause.h"

#include "GameMain/GameMain.h"
#include "base/Log.h"

#include <cstdio>
#include <cstring>
#include <dx/DxLib.h>

namespace {
// The pad state bit of the Start button.
constexpr int kPadStart = 1 << 11;
constexpr const char* kPausedText = "ポーズ中";
constexpr const char* kResumeText = "Pキー / スタートボタンで再開";
} // namespace

CPause gPause;

bool CPause::fUpdate(bool inRun) {
    const bool pDown = dx_CheckHitKey(KEY_INPUT_P) != 0;
    const bool startDown = (dx_GetJoypadInputState(1) & kPadStart) != 0;
    const bool active = dx_GetWindowActiveFlag() != 0;
    const bool toggled = (pDown && !mPDown) || (startDown && !mStartDown);
    const bool focusLost = mActive && !active;
    mPDown = pDown;
    mStartDown = startDown;
    mActive = active;
    if (!inRun) {
        mPaused = false;
        return false;
    }
    const bool was = mPaused;
    if (focusLost) {
        mPaused = true;
    } else if (toggled) {
        mPaused = !mPaused;
    }
    if (gLaunchTraceStage && was != mPaused) {
        std::printf("%s\n", mPaused ? "paused" : "resumed");
    }
    return mPaused;
}

void CPause::fDraw() const {
    dx_SetDrawBlendMode(1, 150);
    dx_DrawBox(0, 0, 640, 480, dx_GetColor(0, 0, 0), 1);
    dx_SetDrawBlendMode(0, 0);
    const int font = gFont64 >= 0 ? gFont64 : gFont24;
    const int small = gFont24;
    const int w =
        dx_GetDrawStringWidthToHandle(kPausedText, static_cast<int>(std::strlen(kPausedText)), font);
    dx_DrawStringToHandle((640 - w) / 2, 180, kPausedText, dx_GetColor(255, 255, 255), font);
    const int ws =
        dx_GetDrawStringWidthToHandle(kResumeText, static_cast<int>(std::strlen(kResumeText)), small);
    dx_DrawStringToHandle((640 - ws) / 2, 270, kResumeText, dx_GetColor(255, 240, 160), small);
}

#include "GameMain/CPause.h"
#include "base/Translation.h"

#include "GameMain/GameMain.h"
#include "base/Log.h"
#include "input/KeyBindings.h"

#include <cstdio>
#include <cstring>
#include <dx/DxLib.h>
#include <string>

namespace {
// The pad state bit of the Start button.
constexpr int kPadStart = 1 << 11;
constexpr const char* kPausedText = fTrMark("ポーズ中");
constexpr const char* kResumeText = fTrMark("Pキー / スタートボタンで再開");
} // namespace

CPause gPause;

bool CPause::fUpdate(bool inRun) {
    const bool pDown = dx_CheckHitKey(fKeyBindings().fCode(EBoundKey::PAUSE)) != 0;
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
    const char* paused = fTr(kPausedText);
    const std::string named = fNameBoundKey(fTr(kResumeText), EBoundKey::PAUSE);
    const char* resume = named.c_str();
    const int w = dx_GetDrawStringWidthToHandle(paused, static_cast<int>(std::strlen(paused)), font);
    dx_DrawStringToHandle((640 - w) / 2, 180, paused, dx_GetColor(255, 255, 255), font);
    const int ws = dx_GetDrawStringWidthToHandle(resume, static_cast<int>(std::strlen(resume)), small);
    dx_DrawStringToHandle((640 - ws) / 2, 270, resume, dx_GetColor(255, 240, 160), small);
}

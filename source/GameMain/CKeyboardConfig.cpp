#include "GameMain/CKeyboardConfig.h"

#include "GameMain/GameMain.h"
#include "audio/CSoundManager.h"
#include "base/Translation.h"
#include "gui/GuiHelper.h"
#include "gui/GuiStyle.h"
#include "input/CKeyManagerBase.h"
#include "input/KeyBindings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <dx/DxLib.h>

namespace {

struct SKeyRow {
    const char* name;
    const char* caption;
    EBoundKey key;
};

// The captions' gaps are full-width spaces so the keys line up, as in the gamepad's window.
constexpr std::array<SKeyRow, kBoundKeyCount> kKeyRows{{
    {"KB_LEFT", fTrMark("左移動　:"), EBoundKey::LEFT},
    {"KB_UP", fTrMark("上移動　:"), EBoundKey::UP},
    {"KB_RIGHT", fTrMark("右移動　:"), EBoundKey::RIGHT},
    {"KB_DOWN", fTrMark("下移動　:"), EBoundKey::DOWN},
    {"KB_ATTACK", fTrMark("攻撃　　:"), EBoundKey::ATTACK},
    {"KB_SWAP", fTrMark("交代　　:"), EBoundKey::SWAP},
    {"KB_SORT", fTrMark("並べ替え:"), EBoundKey::SORT},
    {"KB_PAUSE", fTrMark("ポーズ　:"), EBoundKey::PAUSE},
}};

constexpr const char* kHeading = fTrMark("【キーボード】");

int fTextWidth(const std::string& text) {
    return dx_GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), gui::fStandardFont());
}

// The caption, then its key at the column the widest caption ends at.
std::string fRowText(const SKeyRow& row, bool waiting) {
    int column = 0;
    for (const SKeyRow& other : kKeyRows) {
        column = std::max(column, fTextWidth(fTr(other.caption)));
    }
    std::string text = fTr(row.caption);
    const int space = std::max(1, fTextWidth(" "));
    for (int width = fTextWidth(text); width + space / 2 < column; width += space) {
        text += ' ';
    }
    const char* key = fKeyName(fKeyBindings().fCode(row.key));
    return text + (waiting ? "？" : key ? key : "?");
}

std::size_t fRowIndex(const std::string& name) {
    for (std::size_t i = 0; i < kKeyRows.size(); ++i) {
        if (name == kKeyRows[i].name) {
            return i;
        }
    }
    return 0;
}

} // namespace

CKeyboardConfig::CKeyboardConfig(int x, int y, int width) {
    std::vector<std::pair<std::string, std::string>> labels{{"KB_HEAD", fTr(kHeading)}};
    for (const SKeyRow& row : kKeyRows) {
        labels.emplace_back(row.name, fRowText(row, false));
    }
    mWindow = fCreateMenuList(x, y, labels, width);
    mWindow->fSetFocus("KB_HEAD", false);
    mWindow->fSetWidgetNeighbour("KB_LEFT", FOCUS_UP, "KB_PAUSE");
    mWindow->fSetWidgetNeighbour("KB_PAUSE", FOCUS_DOWN, "KB_LEFT");
    fSetActive(false);
}

void CKeyboardConfig::fSetActive(bool active) {
    mWindow->fSetFocus(mFocus, active);
    if (!active) {
        mWindow->fSetFocus(mFocus, false);
    }
}

void CKeyboardConfig::fRefreshLabels() {
    // While waiting, the heading says what to do.
    mWindow->fSetLabelText("KB_HEAD", mWaiting ? fTr("キーを押してね") : fTr(kHeading));
    for (const SKeyRow& row : kKeyRows) {
        mWindow->fSetLabelText(row.name, fRowText(row, mWaiting && mFocus == row.name));
    }
}

CKeyboardConfig::EAnswer CKeyboardConfig::fInput() {
    const bool enter = dx_CheckHitKey(KEY_INPUT_RETURN) != 0;
    const bool enterPushed = enter && !mEnterDown;
    mEnterDown = enter;
    if (mWaiting) {
        fTakeKey();
        return EAnswer::Stay;
    }
    if (enterPushed) {
        mWaiting = true;
        mHeld.clear();
        for (const int code : fBindableKeys()) {
            if (dx_CheckHitKey(code) != 0) {
                mHeld.insert(code);
            }
        }
        fRefreshLabels();
        return EAnswer::Stay;
    }
    if (gKeyManager->fIsKeyboardPushed(EGameKey::LEFT)) {
        return EAnswer::Back;
    }
    for (const auto& [key, direction] :
         {std::pair{EGameKey::DOWN, FOCUS_DOWN}, std::pair{EGameKey::UP, FOCUS_UP}}) {
        if (gKeyManager->fIsKeyboardPushed(key)) {
            mWindow->fMoveFocus(direction);
            mFocus = mWindow->fGetFocusName();
            return EAnswer::Stay;
        }
    }
    return EAnswer::Stay;
}

void CKeyboardConfig::fTakeKey() {
    if (dx_CheckHitKey(KEY_INPUT_ESCAPE) != 0) {
        mWaiting = false;
        fRefreshLabels();
        return;
    }
    for (const int code : fBindableKeys()) {
        const bool down = dx_CheckHitKey(code) != 0;
        if (!down) {
            mHeld.erase(code);
            continue;
        }
        if (mHeld.count(code) != 0) {
            continue;
        }
        SKeyBindings bindings = fKeyBindings();
        fBindKey(bindings, kKeyRows[fRowIndex(mFocus)].key, code);
        fSetKeyBindings(bindings);
        gKeyManager->fApplyKeyBindings();
        // The key just pressed is not also taken as the action it now stands for.
        for (const EGameKey key : {EGameKey::LEFT, EGameKey::UP, EGameKey::RIGHT, EGameKey::DOWN,
                                   EGameKey::KEY_Z, EGameKey::KEY_X, EGameKey::KEY_C}) {
            gKeyManager->fIsKeyboardPushed(key);
        }
        mWaiting = false;
        fRefreshLabels();
        if (gLaunchTraceMenu) {
            std::printf("option menu: %s on %s\n", fKeyName(code), kKeyRows[fRowIndex(mFocus)].name);
        }
        return;
    }
}

void CKeyboardConfig::fDraw() const {
    mWindow->fDraw();
}

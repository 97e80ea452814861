#include "gui/CNameEntryWindowEx.h"
#include "base/Translation.h"

#include "audio/CSoundManager.h"
#include "base/CException.h"
#include "gui/GuiStyle.h"
#include "input/CKeyManagerBase.h"
#include "render/GameFonts.h"

#include <algorithm>
#include <cstdio>
#include <dx/DxLib.h>
#include <utility>
#include <vector>

namespace {

constexpr int kTitleLeft = 10;
constexpr int kTitleTop = 15;
constexpr int kFieldLeft = 10;
constexpr int kFieldTop = 50;
constexpr int kFieldHeight = 28;
constexpr int kYesNoX = 210;
constexpr int kYesNoY = 30;
constexpr int kHintGap = 6;
constexpr int kHintLineHeight = 22;

std::vector<std::string> fLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

} // namespace

CNameEntryWindowEx::CNameEntryWindowEx(int font, int maxLength)
    : mWindow(std::make_unique<CMainWindow>()), mFont(font), mFontSize(gui::fFontSize(font)),
      mMaxLength(std::max(1, maxLength)) {
    // The field's text is drawn with the media layer's default font, made the size of ours.
    dx_SetFontSize(mFontSize);
    dx_SetFontThickness(0);
    char hint[160];
    std::snprintf(hint, sizeof hint, fTr(kNameEntryHintFormat), mMaxLength);
    mHint = hint;
    std::snprintf(hint, sizeof hint, fTr(kNameEntryPadHintFormat), mMaxLength);
    mPadHint = hint;
    // Wide enough for either hint, so the window keeps its size when the grid comes.
    int hintWidth = 0;
    const std::vector<std::string> hintLines = fLines(mHint);
    for (const std::string& line : fLines(mHint + "\n" + mPadHint)) {
        hintWidth = std::max(
            hintWidth, dx_GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), gFont20));
    }
    const int width = std::max((mFontSize / 2) * mMaxLength + 40, hintWidth + 2 * kFieldLeft);
    const int height = mFontSize * 2 + 40 + kHintGap + kHintLineHeight * static_cast<int>(hintLines.size());
    mWindow->fCreate(width, height, gui::fStandardLayers(width, height));
    mWindow->fSetRect(0, 0, width, height);
    mWindow->fAddTextLabel("title");
    mWindow->fSetWidgetRect("title", SWindowRect{kTitleLeft, kTitleTop, width - 2 * kTitleLeft, mFontSize});
    CFocusBgInfo style = gui::fEntryFocusStyle();
    style.width = width - 2 * kTitleLeft;
    // Light letters on the dark bar: the heading stays highlighted.
    mWindow->fSetupTextLabel("title", gui::fTextColour(), dx_GetColor(200, 200, 200), font, "", 255, style);
    mWindow->fSetLabelText("title", fTr("名前入力"));
    mWindow->fSetFocus("title", true);
    fStartInput();
}

CNameEntryWindowEx::~CNameEntryWindowEx() {
    fEndInput();
}

void CNameEntryWindowEx::fStartInput() {
    mInputHandle = dx_MakeKeyInput(mMaxLength, 1, 1, 0);
    if (mInputHandle == -1) {
        throw CException("cannot start the text input: " + dx_GetLastError());
    }
    mBuffer.assign(std::size_t(mMaxLength) + 1, '\0');
    mRefusedSeen = 0;
    dx_SetActiveKeyInput(mInputHandle);
}

// A character typed and not taken is never silent.
void CNameEntryWindowEx::fNoticeRefusals() {
    if (mRefusalFlash > 0) {
        --mRefusalFlash;
    }
    if (mInputHandle == -1) {
        return;
    }
    const int refused = dx_GetKeyInputRefusedCount(mInputHandle);
    if (refused > mRefusedSeen) {
        mRefusedSeen = refused;
        mRefusalFlash = kRefusalFlashFrames;
        if (gSoundManager) {
            gSoundManager->fPlaySe(SE_HIT);
        }
    }
}

void CNameEntryWindowEx::fEndInput() {
    if (mInputHandle != -1) {
        dx_DeleteKeyInput(mInputHandle);
        mInputHandle = -1;
    }
}

std::string CNameEntryWindowEx::fCleanName(const std::string& typed) {
    std::string name = typed.substr(0, typed.find('\0'));
    std::replace(name.begin(), name.end(), '?', '-');
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name;
}

void CNameEntryWindowEx::fInput() {
    if (mYesNo) {
        mYesNo->fInput();
        const EAnswer answer = std::exchange(mAnswer, EAnswer::NONE);
        if (answer == EAnswer::YES) {
            mYesNo.reset();
            // The owner may drop this window in its callback: nothing here is touched after the call.
            if (mOnDecide) {
                const auto onDecide = mOnDecide;
                const std::string name = mName;
                onDecide(name);
            }
        } else if (answer == EAnswer::NO) {
            mYesNo.reset();
            mName.clear();
            if (mGrid) {
                mPadTyped.clear();
            } else {
                fStartInput();
            }
        }
        return;
    }
    if (mGrid) {
        fPadInput();
        return;
    }
    switch (dx_CheckKeyInput(mInputHandle)) {
    case 1: {
        // The field holds at most maxLength bytes and its end; the buffer has room for both.
        dx_GetKeyInputString(mBuffer.data(), mInputHandle);
        fEndInput();
        fConfirm(std::string(mBuffer.data()));
        break;
    }
    case 2:
        // The Esc that cancelled is used up here, so the owner does not take it as a second Esc.
        gKeyManager->fIsPush(EGameKey::KEY_ESC, true);
        if (mOnCancel) {
            const auto onCancel = mOnCancel;
            onCancel();
        }
        break;
    default:
        break;
    }
}

void CNameEntryWindowEx::fConfirm(const std::string& typed) {
    mName = fCleanName(typed);
    // Beside the name window, clear of its hint.
    mYesNo = std::make_unique<CYesNoWindow>(
        std::max(kYesNoX, mWindow->fGetRect().w + 10), kYesNoY, mFont, [this] { mAnswer = EAnswer::YES; },
        [this] { mAnswer = EAnswer::NO; });
}

void CNameEntryWindowEx::fUsePad() {
    fEndInput();
    const SWindowRect r = mWindow->fGetRect();
    mGrid = std::make_unique<CPadCharacterGrid>(r.x, r.y + r.h + 4, mFont);
    mHint = mPadHint;
}

void CNameEntryWindowEx::fPadInput() {
    constexpr int kPadStart = 1 << 11;
    const bool start = (dx_GetJoypadInputState(1) & kPadStart) != 0;
    const bool startPushed = start && !mStartDown;
    mStartDown = start;
    if (startPushed) {
        fConfirm(mPadTyped);
        return;
    }
    const std::pair<EGameKey, std::pair<int, int>> moves[] = {{EGameKey::LEFT, {-1, 0}},
                                                              {EGameKey::RIGHT, {1, 0}},
                                                              {EGameKey::UP, {0, -1}},
                                                              {EGameKey::DOWN, {0, 1}}};
    for (const auto& [key, step] : moves) {
        if (gKeyManager->fIsPush(key, true)) {
            mGrid->fMove(step.first, step.second);
        }
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_Z, true) && static_cast<int>(mPadTyped.size()) < mMaxLength) {
        mPadTyped += mGrid->fCurrent();
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_X, true) && !mPadTyped.empty()) {
        mPadTyped.pop_back();
    }
}

void CNameEntryWindowEx::fUpdate() {
    fNoticeRefusals();
    if (mYesNo) {
        mYesNo->fUpdate();
    }
}

void CNameEntryWindowEx::fDraw() {
    mWindow->fDraw();
    dx_DrawKeyInputModeString(640, 480);
    const SWindowRect r = mWindow->fGetRect();
    const int x = r.x + kFieldLeft;
    const int y = r.y + kFieldTop;
    // The flash blinks every four frames.
    const bool flashing = mRefusalFlash > 0 && (mRefusalFlash / 4) % 2 == 1;
    const unsigned int field = flashing ? dx_GetColor(170, 30, 30) : dx_GetColor(60, 60, 60);
    dx_DrawBox(x, y, x + (mFontSize / 2) * mMaxLength + 4, y + kFieldHeight, field, 1);
    fDrawHint(x, y + kFieldHeight + kHintGap);
    if (mInputHandle != -1) {
        dx_DrawKeyInputString(x + 2, y + 2, mInputHandle);
    }
    if (!mName.empty()) {
        dx_DrawString(x + 2, y + 2, mName.c_str(), dx_GetColor(255, 255, 255));
    } else if (mGrid) {
        dx_DrawString(x + 2, y + 2, (mPadTyped + "_").c_str(), dx_GetColor(255, 255, 255));
    }
    if (mGrid && !mYesNo) {
        mGrid->fDraw();
    }
    if (mYesNo) {
        mYesNo->fDraw();
    }
}

void CNameEntryWindowEx::fDrawHint(int x, int y) const {
    const unsigned int colour = mRefusalFlash > 0 ? dx_GetColor(190, 20, 20) : gui::fTextColour();
    for (const std::string& line : fLines(mHint)) {
        dx_DrawStringToHandle(x, y, line.c_str(), colour, gFont20);
        y += kHintLineHeight;
    }
}

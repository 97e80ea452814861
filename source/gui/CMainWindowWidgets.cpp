// The widgets of CMainWindow: the common base, image buttons and text labels.
#include "gui/CMainWindow.h"

#include "base/Check.h"

#include <algorithm>
#include <dx/DxLib.h>

// ---- CWidget --------------------------------------------------------------------------------------------

void CMainWindow::CWidget::fUpdate() {
    mRect.x += mMotion.x;
    mRect.y += mMotion.y;
    mAlpha = std::clamp(mAlpha + mAlphaSpeed, 0.0, 255.0);
}

void CMainWindow::CWidget::fSetMotion(int dx, int dy) {
    mMotion.x = dx;
    mMotion.y = dy;
}

void CMainWindow::CWidget::fSetAlpha(double alpha) {
    mAlpha = std::clamp(alpha, 0.0, 255.0);
}

void CMainWindow::CWidget::fSetNeighbour(int direction, const std::string& name) {
    TAVONI_CHECK(direction >= 0 && direction < 4, "gui", "focus direction outside 0..3");
    mNeighbours[std::size_t(direction)] = name;
}

const std::string& CMainWindow::CWidget::fGetNeighbour(int direction) const {
    TAVONI_CHECK(direction >= 0 && direction < 4, "gui", "focus direction outside 0..3");
    return mNeighbours[std::size_t(direction)];
}

SPointI CMainWindow::CWidget::fScreenPosition() const {
    const SWindowRect window = mWindow.fGetRect();
    return SPointI{window.x + mRect.x, window.y + mRect.y};
}

// ---- CButton --------------------------------------------------------------------------------------------

void CMainWindow::CButton::fSetImageAlpha(double alpha) {
    fSetAlpha(alpha);
    mNormal.fSetAlpha(alpha);
    mFocused.fSetAlpha(alpha);
}

void CMainWindow::CButton::fSetup(const CDrawData& normal, const CDrawData& focused, double alpha, int* tag) {
    mNormal = normal;
    mFocused = focused;
    mTag = tag;
    fSetImageAlpha(alpha);
}

void CMainWindow::CButton::fSetTag(int value) {
    if (mTag) {
        *mTag = value;
    }
}

void CMainWindow::CButton::fUpdateExtra() {
    fUpdate();
    mNormal.fUpdateAnime();
    mFocused.fUpdateAnime();
}

void CMainWindow::CButton::fDraw() const {
    if (!fIsVisible()) {
        return;
    }
    const CDrawData& image = fIsFocused() ? mFocused : mNormal;
    if (image.fGetCelCount() == 0) {
        return;
    }
    const SPointI at = fScreenPosition();
    image.fDrawAt(SPointD{double(at.x), double(at.y)});
}

// ---- CTextLabel -----------------------------------------------------------------------------------------

void CMainWindow::CTextLabel::fSetup(unsigned int normalColour, unsigned int focusColour, int font,
                                     const std::string& subText, double alpha, const CFocusBgInfo& style) {
    mNormalColour = normalColour;
    mFocusColour = focusColour;
    mFont = font;
    mSubText = subText;
    fSetAlpha(alpha);
    mStyle = style;
}

void CMainWindow::CTextLabel::fDraw() const {
    if (!fIsVisible()) {
        return;
    }
    const SPointI anchor = fScreenPosition();
    const int alpha = static_cast<int>(fGetAlpha());
    if (fIsFocused()) {
        // The box is sized from the font: half a letter "a" around the text, a line of two "a"s high.
        const int c = dx_GetDrawStringWidthToHandle("a", 1, mFont);
        const int h = c / 2;
        const int m = mStyle.margin;
        const int x1 = anchor.x - h + m;
        const int y1 = anchor.y - h + m;
        const int x2 = anchor.x + h + mStyle.width.value_or(0) - m;
        const int y2 = anchor.y + 2 * c + h - m;
        if (mStyle.fillOn) {
            dx_SetDrawBlendMode(1, mStyle.fillAlpha);
            dx_DrawBox(x1, y1, x2, y2, mStyle.fillColour, 1);
        }
        if (mStyle.frameOn) {
            dx_SetDrawBlendMode(1, mStyle.frameAlpha);
            dx_DrawBox(x1, y1, x2, y2, mStyle.frameColour, 0);
        }
    }
    if (!mText.empty()) {
        dx_SetDrawBlendMode(1, alpha);
        dx_DrawStringToHandle(anchor.x, anchor.y, mText.c_str(), fIsFocused() ? mFocusColour : mNormalColour,
                              mFont);
    }
    dx_SetDrawBlendMode(0, 0);
}

#include "gui/CYesNoWindow.h"
#include "base/Translation.h"

#include "gui/GuiStyle.h"
#include "input/CKeyManagerBase.h"

#include <algorithm>
#include <dx/DxLib.h>

namespace {

constexpr int kTextLeft = 10;
constexpr int kTitleTop = 15;
// Between the two choices.
constexpr int kChoiceGap = 24;

int fTextWidth(const std::string& text, int font) {
    return dx_GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), font);
}

} // namespace

CYesNoWindow::CYesNoWindow(int x, int y, int font, std::function<void()> onYes, std::function<void()> onNo,
                           const std::string& question, int minWidth)
    : mWindow(std::make_unique<CMainWindow>()), mOnYes(std::move(onYes)), mOnNo(std::move(onNo)) {
    const int s = gui::fFontSize(font);
    // The choices are padded with a space each side, so their highlight does not touch the letters.
    const std::string yes = std::string(" ") + fTr("はい") + " ";
    const std::string no = std::string(" ") + fTr("いいえ") + " ";
    const int yesWidth = fTextWidth(yes, font);
    const int noWidth = fTextWidth(no, font);
    const std::string shownQuestion = fTr(question);
    const int width = std::max({minWidth, fTextWidth(shownQuestion, font) + 2 * gui::kWindowMargin,
                                yesWidth + noWidth + kChoiceGap + 2 * gui::kWindowMargin});
    const int choiceTop = kTitleTop + s + s / 2;
    const int height = choiceTop + s + gui::kWindowMargin;
    mRect = SWindowRect{x, y, width, height};
    mWindow->fCreate(width, height, gui::fStandardLayers(width, height));
    mWindow->fSetRect(x, y, width, height);

    CFocusBgInfo titleStyle = gui::fEntryFocusStyle();
    titleStyle.width = width - 2 * kTextLeft;
    mWindow->fAddTextLabel("title");
    mWindow->fSetWidgetRect("title", SWindowRect{kTextLeft, kTitleTop, width - 2 * kTextLeft, s});
    // Light letters on the dark bar.
    mWindow->fSetupTextLabel("title", gui::fTextColour(), dx_GetColor(200, 200, 200), font, "", 255,
                             titleStyle);
    mWindow->fSetLabelText("title", shownQuestion);
    // The heading is drawn highlighted for good, while the window's focus moves between the choices.
    mWindow->fGetWidget("title")->fSetFocus(true);

    const int yesLeft = (width - yesWidth - noWidth - kChoiceGap) / 2;
    const struct {
        const char* name;
        const std::string& text;
        int left;
        int textWidth;
    } choices[2] = {{"yes", yes, yesLeft, yesWidth}, {"no", no, yesLeft + yesWidth + kChoiceGap, noWidth}};
    for (const auto& choice : choices) {
        CFocusBgInfo style = gui::fEntryFocusStyle();
        style.width = choice.textWidth;
        mWindow->fAddTextLabel(choice.name);
        mWindow->fSetWidgetRect(choice.name, SWindowRect{choice.left, choiceTop, choice.textWidth, s});
        mWindow->fSetupTextLabel(choice.name, gui::fTextColour(), gui::fFocusTextColour(), font, "", 255,
                                 style);
        mWindow->fSetLabelText(choice.name, choice.text);
    }
    mWindow->fSetWidgetNeighbour("yes", FOCUS_RIGHT, "no");
    mWindow->fSetWidgetNeighbour("yes", FOCUS_LEFT, "no");
    mWindow->fSetWidgetNeighbour("no", FOCUS_RIGHT, "yes");
    mWindow->fSetWidgetNeighbour("no", FOCUS_LEFT, "yes");
    mWindow->fSetFocus("yes", true);
}

void CYesNoWindow::fInput() {
    if (gKeyManager->fIsPush(EGameKey::RIGHT, true)) {
        mWindow->fMoveFocus(FOCUS_RIGHT);
    }
    if (gKeyManager->fIsPush(EGameKey::LEFT, true)) {
        mWindow->fMoveFocus(FOCUS_LEFT);
    }
    // The callbacks may drop this window: each is copied out and called last.
    std::function<void()> answer;
    if (gKeyManager->fIsPush(EGameKey::KEY_Z, true)) {
        answer = mWindow->fGetFocusName() == "yes" ? mOnYes : mOnNo;
    } else if (gKeyManager->fIsPush(EGameKey::KEY_X, true) || gKeyManager->fIsPush(EGameKey::KEY_ESC, true)) {
        answer = mOnNo;
    }
    if (answer) {
        answer();
    }
}

void CYesNoWindow::fUpdate() {
    mWindow->fUpdate();
}

void CYesNoWindow::fDraw() {
    mWindow->fDraw();
}

#include "gui/CCommonMessageWindow.h"

#include "gui/GuiHelper.h"
#include "gui/GuiStyle.h"
#include "input/CKeyManagerBase.h"
#include "render/CImageManager.h"

#include <dx/DxLib.h>

namespace {

constexpr int kLeft = 10;
constexpr int kTop = 330;
constexpr int kMinimumLines = 3;
constexpr const char* kNextIcon = "nextIcon";
constexpr const char* kNextIconImage = "ui_parts/cursor_down.png";
// The arrow's bottom edge above the window's bottom edge.
constexpr int kNextIconLift = 15;
constexpr int kBobPeriod = 60;
constexpr int kBobStep = 3;

} // namespace

template <EMessageWindowType Type>
CCommonMessageWindow<Type>::CCommonMessageWindow(CMessageInfo messages, std::optional<int> width,
                                                 std::optional<int> height, int sideMargin)
    : mMessages(std::move(messages)), mSideMargin(sideMargin), mFont(gui::fStandardFont()) {
    fBuild(width, height);
}

template <EMessageWindowType Type>
std::vector<std::string> CCommonMessageWindow<Type>::fSplitLines(const std::string& message) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = message.find('\n', start);
        lines.push_back(message.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return lines;
        }
        start = end + 1;
    }
}

template <EMessageWindowType Type>
void CCommonMessageWindow<Type>::fBuild(std::optional<int> width, std::optional<int> height) {
    const int w = width.value_or(kDefaultWidth);
    CSetupWindowInfo info;
    info.fSetFrameHV(SWindowRect{kLeft, kTop, w, 0}, mFont, gui::fTextColour(), gui::fFocusTextColour(),
                     mSideMargin, gui::kWindowMargin);
    for (const CWindowBgInfo& layer : gui::fStandardLayers(w, -1)) {
        info.fAddLayer(layer);
    }
    std::vector<std::string> lines;
    if (mMessages.fHasMessage()) {
        lines = fSplitLines(mMessages.fPopMessage());
    }
    // Always at least three lines high, so every box of a kind has one size.
    while (lines.size() < std::size_t(kMinimumLines)) {
        lines.emplace_back();
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        info.fAddLabel(fLineName(int(i)), lines[i]);
    }
    const CFocusBgInfo style = gui::fMenuFocusStyle();
    std::unique_ptr<CMainWindow> window = fCreateListWindow(info, &style, w, height);
    // The lines are text, not choices: none is highlighted.
    window->fSetFocus(fLineName(0), false);
    if constexpr (Type == EMessageWindowType::PAGED) {
        const CDrawData arrow(fMakeDrawDataFromName(kNextIconImage));
        int iconW = 0, iconH = 0;
        dx_GetGraphSize(arrow.fGetCurrentHandle(), &iconW, &iconH);
        window->fAddButton(kNextIcon);
        window->fSetupButton(kNextIcon, arrow, arrow, 255, nullptr);
        window->fSetWidgetRect(kNextIcon,
                               SWindowRect{(window->fGetWidth() - iconW) / 2,
                                           window->fGetHeight() - kNextIconLift - iconH, iconW, iconH});
    }
    fSetWindow(std::move(window));
}

template <EMessageWindowType Type> void CCommonMessageWindow<Type>::fUpdate() {
    if (!fIsShown()) {
        return;
    }
    fGetWindow().fUpdate();
    if constexpr (Type == EMessageWindowType::PAGED) {
        ++mFrameCount;
        const int phase = mFrameCount % kBobPeriod;
        if (phase == kBobPeriod / 2 || phase == 0) {
            CMainWindow::CWidget* icon = fGetWindow().fGetWidget(kNextIcon);
            SWindowRect r = icon->fGetRect();
            r.y += phase == 0 ? -kBobStep : kBobStep;
            icon->fSetRect(r);
        }
    }
}

template <EMessageWindowType Type> void CCommonMessageWindow<Type>::fInput() {
    if constexpr (Type == EMessageWindowType::PAGED) {
        if (!fIsShown() || mFinished || !gKeyManager->fIsPush(EGameKey::KEY_Z, true)) {
            return;
        }
        if (fShowNext()) {
            return;
        }
        mFinished = true;
        // The owner may drop this window in its callback: nothing here is touched after the call.
        if (mOnFinish) {
            const std::function<void()> onFinish = mOnFinish;
            onFinish();
        }
    }
}

template <EMessageWindowType Type> void CCommonMessageWindow<Type>::fDraw() {
    if (fIsShown()) {
        fGetWindow().fDraw();
    }
}

template <EMessageWindowType Type>
bool CCommonMessageWindow<Type>::fShowNext() requires(Type == EMessageWindowType::PAGED) {
    if (!mMessages.fHasMessage()) {
        return false;
    }
    CMainWindow& window = fGetWindow();
    for (int i = 0; window.fRemoveWidget(fLineName(i)); ++i) {
    }
    const std::vector<std::string> lines = fSplitLines(mMessages.fPopMessage());
    // Placed as the first page's lines were, so the text does not jump when the page turns. The window
    // keeps its size: a longer page runs past its bottom.
    const int s = gui::fFontSize(mFont);
    const int inner = window.fGetWidth() - 2 * mSideMargin;
    CFocusBgInfo style = gui::fMenuFocusStyle();
    style.width = inner;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string name = fLineName(int(i));
        window.fAddTextLabel(name);
        window.fSetWidgetRect(name,
                              SWindowRect{mSideMargin, gui::kWindowMargin + (s + s / 2) * int(i), inner, s});
        window.fSetupTextLabel(name, gui::fTextColour(), gui::fFocusTextColour(), mFont, "", 255, style);
        window.fSetLabelText(name, lines[i]);
    }
    return true;
}

template class CCommonMessageWindow<EMessageWindowType::SINGLE>;
template class CCommonMessageWindow<EMessageWindowType::PAGED>;

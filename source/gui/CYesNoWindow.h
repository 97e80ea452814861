// A small confirmation: a highlighted question and the two choices "はい" and "いいえ" side by side. LEFT and
// RIGHT move between them, Z takes the focused one, X or Esc answer no.
#pragma once

#include "base/Translation.h"
#include "gui/CMainWindow.h"

#include <functional>
#include <memory>
#include <string>

class CYesNoWindow {
public:
    // The window's top-left at (x, y), at least `minWidth` wide; "yes" is focused. The callbacks may drop
    // the window that calls them.
    CYesNoWindow(int x, int y, int font, std::function<void()> onYes, std::function<void()> onNo,
                 const std::string& question = fTrMark("送信しますか？"), int minWidth = 0);
    virtual ~CYesNoWindow() = default;
    CYesNoWindow(const CYesNoWindow&) = delete;
    CYesNoWindow& operator=(const CYesNoWindow&) = delete;

    virtual void fInput();
    virtual void fUpdate();
    virtual void fDraw();

    CMainWindow& fGetWindow() { return *mWindow; }
    SWindowRect fGetRect() const { return mRect; }

private:
    std::unique_ptr<CMainWindow> mWindow;
    SWindowRect mRect;
    std::function<void()> mOnYes;
    std::function<void()> mOnNo;
};

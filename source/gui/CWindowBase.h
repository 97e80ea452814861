// Base of the windows that own a CMainWindow and take input of their own (message windows, the name
// entry): a shown flag, and the three steps of a frame. Hiding a window stops its update, input and drawing
// without losing what it shows.
#pragma once

#include "gui/CMainWindow.h"

#include <memory>

class CWindowBase {
public:
    CWindowBase();
    virtual ~CWindowBase();
    CWindowBase(const CWindowBase&) = delete;
    CWindowBase& operator=(const CWindowBase&) = delete;

    virtual CMainWindow& fGetWindow() { return *mWindow; }
    virtual void fSetShown(bool shown) { mShown = shown; }
    virtual bool fIsShown() const { return mShown; }
    // Moves the window: the four values go to its CMainWindow::fSetRect.
    virtual void fSetRect(int x, int y, int w, int h) { mWindow->fSetRect(x, y, w, h); }
    virtual void fUpdate() = 0;
    virtual void fInput() = 0;
    virtual void fDraw() = 0;

protected:
    // Replaces the window (a rebuilt one).
    void fSetWindow(std::unique_ptr<CMainWindow> window) { mWindow = std::move(window); }

private:
    std::unique_ptr<CMainWindow> mWindow;
    bool mShown = true;
};

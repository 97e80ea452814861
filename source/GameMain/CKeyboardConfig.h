// The keyboard section of the key configuration, a window of its own beside the gamepad's: the four
// directions, attack, swap, sort and pause, each with its key. Enter on a row waits for the next key pressed
// and puts it there (a key already used elsewhere swaps places with the row's old one); Esc stops waiting.
// Esc and F1 are never bound. The choice counts at once; the option menu saves it on leaving.
#pragma once

#include "gui/CMainWindow.h"

#include <memory>
#include <set>
#include <string>

class CKeyboardConfig {
public:
    enum class EAnswer { Stay, Back };

    CKeyboardConfig(int x, int y, int width);

    // Moves, starts or finishes waiting for a key. Back when LEFT asks for the gamepad's window.
    EAnswer fInput();
    void fDraw() const;
    // Every row's text again (its caption in the current language and its key).
    void fRefreshLabels();
    // Shows the focus while the section is the one in use.
    void fSetActive(bool active);
    bool fIsWaiting() const { return mWaiting; }

    CMainWindow& fGetWindow() { return *mWindow; }

private:
    std::unique_ptr<CMainWindow> mWindow;
    std::string mFocus = "KB_LEFT";
    bool mWaiting = false;
    bool mEnterDown = true; // a held Enter starts nothing until it has been let go
    std::set<int> mHeld;    // keys down when the waiting began: they count once let go and pressed again

    void fTakeKey();
};

// The key configuration and the volumes: whether a pad is attached, the six configurable game keys with the
// gamepad button each is on, then the music and effects volumes. The keyboard moves the focus (the pad is the
// thing being configured), a pressed pad button is assigned to the focused key at once, LEFT and RIGHT change
// the focused volume (heard at once) and the language (seen at once), and X or Z saves them and goes back to
// the start menu.
//
//   gScene = std::make_unique<COptionMenu>();   // from the start menu's "option" item
#pragma once

#include "GameMain/CKeyboardConfig.h"
#include "GameMain/CSceneHolder.h"
#include "gui/CMainWindow.h"
#include "input/CKeyRepeatManager.h"
#include "input/Enums.h"

#include <memory>
#include <string>

class COptionMenu : public CScene {
public:
    COptionMenu();
    ~COptionMenu() override;

    void fUpdate() override;
    void fInput() override;
    void fDraw() override;
    // Saves gOptionInfo to "dat/setting.dat", the volumes to "dat/volume.dat" and the language to
    // "dat/language.dat". A file that cannot be
    // written is logged: the assignment and the volumes still hold for this session.
    virtual void fSave();
    // Every row's text again: its caption and the name of the button its key is on.
    virtual void fRefreshLabels();

    // The game key a row configures; any name but a key row's is a programming error.
    static EGameKey fGameKeyOfRow(const std::string& name);

    CMainWindow& fGetWindow() { return *mWindow; }
    CKeyboardConfig& fGetKeyboard() { return *mKeyboard; }
    bool fIsOnKeyboard() const { return mOnKeyboard; }

private:
    std::unique_ptr<CMainWindow> mWindow;
    std::unique_ptr<CKeyboardConfig> mKeyboard; // the keyboard's keys, a window to the right
    bool mOnKeyboard = false;                   // RIGHT on a key row goes there, LEFT comes back
    CKeyRepeatManager mKeyRepeat;
    bool mPadAttached = false;
    bool mStartedMusic = false; // the music row's preview, stopped when the menu goes

    void fChangeVolume(const std::string& row, int step);
    // Auto, Japanese, English in a ring; the texts change at once.
    void fChangeLanguage(int step);
    // The keyboard's window while it is in use; true when the menu is to be left.
    bool fKeyboardInput();
    bool fLeaveKeysPushed();
    void fTracePadState() const;
};

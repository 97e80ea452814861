// The name typed before the high score is uploaded: a small window headed "名前入力" at the screen's
// top-left with a text field (the media layer's text input: single-byte characters, at most maxLength,
// Backspace edits) and a hint under it saying so. A character the field refuses (not single-byte, or one
// too many) flashes the field and the hint red with a sound. Enter cleans the name for a URL and asks
// "送信しますか？": yes hands the name to the owner, no (or X, or Esc) empties the field and typing resumes;
// Esc while typing cancels.
//
//   mNameEntry = std::make_unique<CNameEntryWindowEx>(gui::fStandardFont(), 12);
//   mNameEntry->fSetOnDecide([this](const std::string& name) { mNameEntry.reset(); upload(name); });
//   mNameEntry->fSetOnCancel([this] { mNameEntry.reset(); });
//   every frame: mNameEntry->fInput(); mNameEntry->fUpdate(); ... mNameEntry->fDraw();
#pragma once

#include "base/Translation.h"
#include "gui/CMainWindow.h"
#include "gui/CPadCharacterGrid.h"
#include "gui/CYesNoWindow.h"

#include <functional>
#include <memory>
#include <string>

// What the field takes, under it; %d is the longest name. Two lines, so the window stays beside the
// confirmation.
inline constexpr const char* kNameEntryHintFormat =
    fTrMark("半角の英数字と記号で%d文字まで\nEnter:決定  Esc:やめる");
// The same for a player on the pad's character grid.
inline constexpr const char* kNameEntryPadHintFormat =
    fTrMark("半角の英数字と記号で%d文字まで\nボタン1:追加 2:消す START:決定");

class CNameEntryWindowEx {
public:
    // How long a refused character makes the field flash.
    static constexpr int kRefusalFlashFrames = 24;

    CNameEntryWindowEx(int font, int maxLength);
    // Ends the text input if it is still open.
    virtual ~CNameEntryWindowEx();
    CNameEntryWindowEx(const CNameEntryWindowEx&) = delete;
    CNameEntryWindowEx& operator=(const CNameEntryWindowEx&) = delete;

    virtual void fUpdate();
    virtual void fInput();
    virtual void fDraw();
    // The cleaned name; empty until Enter, and again after "no".
    virtual std::string fGetName() const { return mName; }

    // Called with the name on "yes"; it may drop this window.
    void fSetOnDecide(std::function<void(const std::string&)> onDecide) { mOnDecide = std::move(onDecide); }
    // Called on Esc while typing; it may drop this window.
    void fSetOnCancel(std::function<void()> onCancel) { mOnCancel = std::move(onCancel); }

    // Frames left of the flash that answers a refused character (0: none).
    int fGetRefusalFlash() const { return mRefusalFlash; }
    // For a player on a gamepad: the text input gives way to a grid of the characters a name may hold. The
    // d-pad moves, button 1 adds the character (up to maxLength), button 2 takes the last one back, Start
    // asks for the confirmation as Enter does.
    virtual void fUsePad();
    CPadCharacterGrid* fGetGrid() { return mGrid.get(); }

    // The confirmation, while it is open.
    CYesNoWindow* fGetYesNo() { return mYesNo.get(); }
    CMainWindow& fGetWindow() { return *mWindow; }

    // The typed text made safe for a URL: cut at the first NUL, every "?" made "-", every space removed.
    static std::string fCleanName(const std::string& typed);

private:
    enum class EAnswer { NONE, YES, NO };

    void fStartInput();
    void fEndInput();
    void fNoticeRefusals();
    void fDrawHint(int x, int y) const;
    void fPadInput();
    void fConfirm(const std::string& typed);

    std::unique_ptr<CMainWindow> mWindow;
    std::unique_ptr<CYesNoWindow> mYesNo;
    std::unique_ptr<CPadCharacterGrid> mGrid; // only on a gamepad
    std::string mPadTyped;                    // what the grid has made so far
    bool mStartDown = true;                   // a Start still held from before counts once let go
    int mInputHandle = -1;
    std::string mBuffer;
    int mFont;
    int mFontSize;
    int mMaxLength;
    std::string mName;
    std::string mHint;
    std::string mPadHint; // shown in place of mHint while the grid is
    int mRefusedSeen = 0;
    int mRefusalFlash = 0;
    EAnswer mAnswer = EAnswer::NONE;
    std::function<void(const std::string&)> mOnDecide;
    std::function<void()> mOnCancel;
};

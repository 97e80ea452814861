// The ten tips: one is unlocked after every normal run (the two key hints first, then the others in random
// order), remembered in "dat/tips.dat", and shown in a message window at (20, 150), after the run over the
// result screen or from the start menu, where LEFT and RIGHT page through the unlocked ones.
//
// The stage, on the result screen of a normal run (not a replay):
//     gTipsManager->fUnlockTip();
//     gTipsManager->fOpen(CTipsManager::EScene::STAGE);
//     ... in its tips state: gTipsManager->fDraw();
// The start menu ("show tips" is offered while fCountUnlocked() > 0):
//     gTipsManager->fOpen(CTipsManager::EScene::START_MENU);   // on the first unlocked tip
//     gTipsManager->fSetShown(true);
//     every frame while fIsShown(): gTipsManager->fInput() (and no other input); in the draw step
//     gTipsManager->fDraw(). Z or X closes it (fIsShown() turns false).
#pragma once

#include "GameMain/CTipsFile.h"
#include "base/GameFolders.h"
#include "gui/CCommonMessageWindow.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// The tips by index.
enum class ETips : int {
    CHARGE_ATTACK = 0,
    CHANGE_CHARACTER = 1,
    MULTI_KILL = 2,
    DELIVERY_BONUS = 3,
    AREA_BORDERS = 4,
    CHICKEN_AREA = 5,
    WHEAT_AREA = 6,
    RICE_AND_SEAWEED_AREA = 7,
    MEAT_AREA = 8,
    RANK_UP = 9,
};

class CTipsManager {
public:
    static constexpr int kTipCount = 10;
    static constexpr int kWindowX = 20;
    static constexpr int kWindowY = 150;
    static constexpr int kWindowWidth = 600;
    static constexpr int kWindowHeight = 200;

    // Where the window was opened.
    enum class EScene : int { STAGE = 0, START_MENU = 1 };

    // Reads the unlocked tips from `path` (all locked when it is missing or damaged).
    explicit CTipsManager(std::string path = fUserPath(kTipsPath));
    virtual ~CTipsManager() = default;
    CTipsManager(const CTipsManager&) = delete;
    CTipsManager& operator=(const CTipsManager&) = delete;

    // Writes the flags; a failure is logged and play goes on (the tip stays unlocked for this session).
    virtual void fSave();
    virtual void fLoad();
    virtual void fSetTexts();
    // Unlocks tip 0, else tip 1, else a random locked one (one gRandom draw); each unlock is saved at once
    // and becomes the current tip. With every tip unlocked the current tip is drawn at random and nothing
    // is written.
    virtual void fUnlockTip();
    virtual int fCountUnlocked() const;
    // Builds the window on the current tip; from the start menu, on the first unlocked one.
    virtual void fOpen(EScene scene);
    virtual void fSetShown(bool shown) { mShown = shown; }
    virtual bool fIsShown() const { return mShown; }
    // Draws the window once it was opened.
    virtual void fDraw();
    // While shown: from the start menu RIGHT and LEFT go to the next and the previous unlocked tip; Z or X
    // closes the window.
    virtual void fInput();

    int fGetCurrent() const { return mCurrent; }
    bool fIsUnlocked(int index) const { return mUnlocked.at(std::size_t(index)); }
    const std::string& fGetText(int index) const { return mTexts.at(std::size_t(index)); }
    // The window, null until the first fOpen.
    CMessageWindow* fGetWindow() { return mWindow.get(); }
    // The first line of a tip's window: "【 Tips No (n/10) 】".
    static std::string fHeading(int index);

private:
    std::vector<int> fIndexes(bool unlocked) const;
    void fUnlock(int index);
    void fBuildWindow();

    std::string mPath;
    std::array<bool, kTipCount> mUnlocked{};
    std::array<std::string, kTipCount> mTexts;
    int mCurrent = 0;
    std::unique_ptr<CMessageWindow> mWindow;
    bool mShown = false;
    EScene mScene = EScene::STAGE;
};

extern std::unique_ptr<CTipsManager> gTipsManager;

// The scene the game starts in and comes back to after every run and from the key configuration: the title
// picture, the local high score and a prompt to press Z; after Z, a menu with a description box beside it.
// From it the player starts a run, watches the own replay, opens the online ranking, uploads the high score
// under a name, reads the tips, configures the gamepad or quits.
#pragma once

#include "GameMain/CSceneHolder.h"
#include "Stage/CHighScoreInfo.h"
#include "base/PlayerName.h"
#include "gui/CCommonMessageWindow.h"
#include "gui/CMainWindow.h"
#include "gui/CNameEntryWindowEx.h"
#include "gui/CShowRankingWindow.h"
#include "input/CKeyRepeatManager.h"

#include <memory>
#include <string>
#include <vector>

class CStartMenu : public CScene {
public:
    // Network work waiting to run. Each transfer runs in the second update after it was asked for, so the
    // notice that announces it is on the screen while the game waits for the server.
    enum class EConnectTask : int {
        RANKING_REQUESTED = 0,
        RANKING_READY = 1,
        UPLOAD_REQUESTED = 2,
        UPLOAD_READY = 3,
        NONE = 4,
    };

    struct SItem {
        const char* name;
        const char* caption;
        const char* description;
    };

    static constexpr int kNameLength = static_cast<int>(kMaxPlayerNameBytes);

    CStartMenu();
    ~CStartMenu() override;

    void fUpdate() override;
    void fInput() override;
    void fDraw() override;
    // Fetches the ranking and opens its window, or tells the player why not.
    virtual void fGetRankingList();

    // The items the menu shows now, in order (the menu need not be open).
    std::vector<SItem> fGetItems() const;
    bool fIsMenuOpen() const { return !mMenuWindow->fIsNull(); }
    CMainWindow& fGetMenuWindow() { return *mMenuWindow; }
    CMessageWindow* fGetDescriptionWindow() { return mDescriptionWindow.get(); }
    CPagedMessageWindow* fGetNoticeWindow() { return mNoticeWindow.get(); }
    CNameEntryWindowEx* fGetNameEntry() { return mNameEntry.get(); }
    CShowRankingWindow* fGetRankingWindow() { return mRankingWindow.get(); }
    EConnectTask fGetConnectTask() const { return mConnectTask; }
    const CHighScoreInfo& fGetHighScore() const { return mHighScore; }
    // A notice the player pages away with Z; it drops itself when done.
    void fShowNotice(const std::string& text);
    // What the notice says when the server refuses an upload for `refusal` (its reason, made safe).
    static std::string fRefusalNotice(const std::string& refusal);

private:
    void fOpenMenu();
    void fBackToTitle();
    void fShowDescription();
    void fMoveFocus(int direction);
    void fActOnFocusedItem();
    void fOnNameDecided(const std::string& name);
    void fUploadHighScore();
    void fStartStage(const std::string& replayPath);
    void fTraceHighScore() const;

    std::unique_ptr<CMainWindow> mMenuWindow;
    CKeyRepeatManager mKeyRepeat;
    std::unique_ptr<CMessageWindow> mDescriptionWindow;
    int mTitleImage = -1;
    CHighScoreInfo mHighScore;
    int mFrameCounter = 0;
    std::unique_ptr<CNameEntryWindowEx> mNameEntry;
    std::unique_ptr<CPagedMessageWindow> mNoticeWindow;
    std::unique_ptr<CShowRankingWindow> mRankingWindow;
    EConnectTask mConnectTask = EConnectTask::NONE;
    std::string mUploadName;
};

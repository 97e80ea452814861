#include "GameMain/CStartMenu.h"
#include "base/GameFolders.h"
#include "base/Translation.h"

#include "GameMain/CGameStageHost.h"
#include "GameMain/COptionMenu.h"
#include "GameMain/CReplayTheater.h"
#include "GameMain/CTipsManager.h"
#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "Stage/CStage.h"
#include "audio/CSoundManager.h"
#include "base/CException.h"
#include "base/Log.h"
#include "gui/GuiHelper.h"
#include "gui/GuiStyle.h"
#include "gui/TextFlow.h"
#include "input/CKeyManagerBase.h"
#include "input/KeyBindings.h"
#include "net/RankingClient.h"
#include "net/UploadRefusal.h"
#include "render/CImageManager.h"
#include "replay/ReplayFiles.h"

#include <algorithm>
#include <cstdio>
#include <dx/DxLib.h>
#include <filesystem>

namespace {

constexpr CStartMenu::SItem kStart{"start", fTrMark("スタート"), fTrMark("ゲームを開始します")};
constexpr CStartMenu::SItem kReplay{"replay", fTrMark("自分のリプレイ"),
                                    fTrMark("自分のリプレイを再生します")};
constexpr CStartMenu::SItem kShowRanking{
    "show ranking", fTrMark("ランキング表示"),
    fTrMark("ランキング一覧を表示します\nリプレイを再生できます\n(インターネットに接続します)")};
constexpr CStartMenu::SItem kSendHighScore{
    "send highscore", fTrMark("ハイスコア送信"),
    fTrMark("ハイスコアとリプレイを\nランキングサーバに送信します\n(インターネットに接続します)")};
constexpr CStartMenu::SItem kShowTips{"show tips", fTrMark("TIPSを表示"),
                                      fTrMark("取得したTIPSを表示します")};
constexpr CStartMenu::SItem kOption{"option", fTrMark("キーコンフィグ"),
                                    fTrMark("ゲームパッドの設定を変更します")};
constexpr CStartMenu::SItem kQuit{"quit", fTrMark("おわる"), fTrMark("ゲームを終了します")};

constexpr const char* kConnecting = fTrMark("ランキングサーバに接続中です...");
constexpr const char* kReplayUnplayable = fTrMark("リプレイを再生できませんでした");

constexpr int kMenuX = 10;
constexpr int kMenuBottom = 430;
// The description box reaches as far from the right edge as the menu is from the left (at least 380 wide):
// the longest description ends at the box's rim otherwise.
constexpr int kDescriptionMinWidth = 380;
} // namespace

CStartMenu::CStartMenu() : mMenuWindow(std::make_unique<CMainWindowNull>()) {
    gSoundManager->fStopAll();
    if (gImageManager->fHasImage("title.png")) {
        mTitleImage = gImageManager->fGetHandle("title.png");
    }
    mKeyRepeat.fAddKey(EGameKey::DOWN);
    mKeyRepeat.fAddKey(EGameKey::UP);
    mHighScore = fLoadHighScore();
    fTraceHighScore();
}

void CStartMenu::fTraceHighScore() const {
    if (gLaunchTraceMenu) {
        std::printf("menu high score %d%s\n", mHighScore.score, mHighScore.sent ? " sent" : "");
    }
}

CStartMenu::~CStartMenu() = default;

std::vector<CStartMenu::SItem> CStartMenu::fGetItems() const {
    std::vector<SItem> items{kStart};
    if (std::filesystem::exists(fUserPath(kPackedReplayPath))) {
        items.push_back(kReplay);
    }
    items.push_back(kShowRanking);
    if (mHighScore.score > 0 && !mHighScore.sent) {
        items.push_back(kSendHighScore);
    }
    if (gTipsManager && gTipsManager->fCountUnlocked() > 0) {
        items.push_back(kShowTips);
    }
    items.push_back(kOption);
    items.push_back(kQuit);
    return items;
}

void CStartMenu::fOpenMenu() {
    std::vector<std::pair<std::string, std::string>> labels;
    for (const SItem& item : fGetItems()) {
        labels.emplace_back(item.name, fTr(item.caption));
    }
    mMenuWindow = fCreateMenuList(kMenuX, 0, labels);
    const int w = mMenuWindow->fGetWidth();
    const int h = mMenuWindow->fGetHeight();
    mMenuWindow->fSetRect(kMenuX, kMenuBottom - h, w, h);
    fShowDescription();
}

void CStartMenu::fBackToTitle() {
    mMenuWindow = std::make_unique<CMainWindowNull>();
    mDescriptionWindow.reset();
}

void CStartMenu::fShowDescription() {
    const std::string focused = mMenuWindow->fGetFocusName();
    for (const SItem& item : fGetItems()) {
        if (focused != item.name) {
            continue;
        }
        CMessageInfo description;
        description.fAddMessage(fTr(item.description));
        const SWindowRect menu = mMenuWindow->fGetRect();
        const int h = mMenuWindow->fGetHeight();
        const int x = mMenuWindow->fGetWidth() + 20;
        const int w = std::max(kDescriptionMinWidth, 640 - kMenuX - x);
        mDescriptionWindow = std::make_unique<CMessageWindow>(std::move(description), w, h);
        mDescriptionWindow->fSetRect(x, menu.y, w, h);
        return;
    }
}

void CStartMenu::fMoveFocus(int direction) {
    mMenuWindow->fMoveFocus(direction);
    gSoundManager->fPlaySe(SE_CURSOR, false);
    fShowDescription();
}

void CStartMenu::fShowNotice(const std::string& text) {
    const std::string shown = fTr(text);
    if (gLaunchTraceMenu) {
        std::printf("menu notice: %s\n", shown.c_str());
    }
    CMessageInfo message;
    message.fAddMessage(shown);
    mNoticeWindow = std::make_unique<CPagedMessageWindow>(std::move(message));
    mNoticeWindow->fSetOnFinish([this] { mNoticeWindow.reset(); });
}

void CStartMenu::fStartStage(const std::string& replayPath) {
    if (replayPath.empty()) {
        // A new run that cannot be built (its map is missing, say) ends the game with the reason.
        gScene = fMakeGameStage("");
        return;
    }
    try {
        gScene = fMakeReplayTheater(replayPath, {STheaterTitle::EWhose::OWN, ""});
    } catch (const std::exception& e) {
        // A damaged replay is reported and the menu stays; nothing else is touched.
        fLogWarning(std::string("the replay cannot be played: ") + e.what());
        fShowNotice(kReplayUnplayable);
    }
}

void CStartMenu::fActOnFocusedItem() {
    const std::string item = mMenuWindow->fGetFocusName();
    gSoundManager->fPlaySe(SE_OK_A, false);
    if (item == kStart.name) {
        fStartStage("");
    } else if (item == kReplay.name) {
        fStartStage(fUserPath(kPackedReplayPath));
    } else if (item == kShowRanking.name) {
        mConnectTask = EConnectTask::RANKING_REQUESTED;
        fShowNotice(kConnecting);
    } else if (item == kSendHighScore.name) {
        mNameEntry = std::make_unique<CNameEntryWindowEx>(gui::fStandardFont(), kNameLength);
        if (gKeyManager->fLastInputFromPad()) {
            mNameEntry->fUsePad();
        }
        mNameEntry->fSetOnDecide([this](const std::string& name) { fOnNameDecided(name); });
        mNameEntry->fSetOnCancel([this] { mNameEntry.reset(); });
    } else if (item == kShowTips.name) {
        gTipsManager->fOpen(CTipsManager::EScene::START_MENU);
        gTipsManager->fSetShown(true);
    } else if (item == kOption.name) {
        gScene = std::make_unique<COptionMenu>();
    } else if (item == kQuit.name) {
        gQuitRequested = true;
    }
}

void CStartMenu::fOnNameDecided(const std::string& name) {
    mUploadName = name;
    mConnectTask = EConnectTask::UPLOAD_REQUESTED;
    fShowNotice(kConnecting);
}

void CStartMenu::fGetRankingList() {
    SRankingListResult list = fFetchRankingList();
    if (!list.ok) {
        fShowNotice(list.notice);
        return;
    }
    // The list takes the screen; the notice that announced the connection has done its work.
    mNoticeWindow.reset();
    if (gLaunchTraceMenu) {
        for (const SRankingData& entry : list.entries) {
            std::printf("menu ranking row: %s\n", CShowRankingWindow::fFormatRow(entry).c_str());
        }
    }
    mRankingWindow = std::make_unique<CShowRankingWindow>(std::move(list.entries));
    mRankingWindow->fSetOnClose([this] { mRankingWindow.reset(); });
    mRankingWindow->fSetOnPlay([this](const std::string& path) {
        const std::optional<std::size_t> entry = mRankingWindow->fFocusedEntry();
        const std::string name = entry ? mRankingWindow->fGetEntries()[*entry].name : std::string();
        gScene = fMakeReplayTheater(path, {STheaterTitle::EWhose::PLAYER, name});
    });
}

std::string CStartMenu::fRefusalNotice(const std::string& refusal) {
    const std::optional<std::string> known = fDescribeRefusal(refusal);
    // A reason the game does not know, on lines the notice can hold.
    const std::string why =
        known
            ? *known
            : fFitLines(refusal, CPagedMessageWindow::kDefaultWidth - 2 * CPagedMessageWindow::kDefaultMargin,
                        gui::fStandardFont());
    return std::string(fTr(kNoticeUploadRefused)) + "\n" + why;
}

void CStartMenu::fUploadHighScore() {
    const SUploadResult result = fUploadRanking(mHighScore.score, mUploadName);
    mNameEntry.reset();
    if (!result.ok) {
        fShowNotice(result.refusal.empty() ? std::string(kNoticeConnectionFailed)
                                           : fRefusalNotice(result.refusal));
        return;
    }
    try {
        // Written whole over the old record, so a failure leaves the old one.
        fSaveHighScore(CHighScoreInfo(mHighScore.score, true));
    } catch (const std::exception& e) {
        fLogWarning(std::string("the sent mark of the high score could not be stored: ") + e.what());
    }
    const CHighScoreInfo stored = fLoadHighScore();
    mHighScore = stored.score == mHighScore.score ? stored : CHighScoreInfo(mHighScore.score, true);
    fTraceHighScore();
    fBackToTitle();
    fOpenMenu();
    char text[160];
    // The rank goes into the translated text: its %d is checked against the Japanese one.
    std::snprintf(text, sizeof text, fTr("ランキングデータの送信に成功しました\nあなたの順位は%d位です"),
                  result.rank);
    fShowNotice(text);
}

void CStartMenu::fUpdate() {
    switch (mConnectTask) {
    case EConnectTask::RANKING_REQUESTED:
        mConnectTask = EConnectTask::RANKING_READY;
        break;
    case EConnectTask::RANKING_READY:
        mConnectTask = EConnectTask::NONE;
        fGetRankingList();
        break;
    case EConnectTask::UPLOAD_REQUESTED:
        mConnectTask = EConnectTask::UPLOAD_READY;
        break;
    case EConnectTask::UPLOAD_READY:
        mConnectTask = EConnectTask::NONE;
        fUploadHighScore();
        break;
    case EConnectTask::NONE:
        break;
    }
    mKeyRepeat.fUpdate(*gKeyManager);
    mMenuWindow->fUpdate();
    if (mRankingWindow) {
        mRankingWindow->fUpdate();
    }
    if (mNameEntry) {
        mNameEntry->fUpdate();
    }
    if (mNoticeWindow) {
        mNoticeWindow->fUpdate();
    }
    if (mDescriptionWindow) {
        mDescriptionWindow->fUpdate();
    }
    mFrameCounter = mFrameCounter == 2147483647 ? 0 : mFrameCounter + 1;
}

void CStartMenu::fInput() {
    if (mConnectTask != EConnectTask::NONE) {
        return;
    }
    if (mRankingWindow) {
        mRankingWindow->fInput();
        return;
    }
    if (mNoticeWindow) {
        mNoticeWindow->fInput();
        return;
    }
    if (mNameEntry) {
        mNameEntry->fInput();
        return;
    }
    if (gTipsManager && gTipsManager->fIsShown()) {
        gTipsManager->fInput();
        return;
    }
    CKeyManagerBase& keys = *gKeyManager;
    if (!fIsMenuOpen()) {
        if (keys.fIsPush(EGameKey::KEY_Z, true)) {
            gSoundManager->fPlaySe(SE_OK_A, false);
            fOpenMenu();
        } else if (keys.fIsPush(EGameKey::KEY_ESC, true)) {
            gQuitRequested = true;
        }
        return;
    }
    if (keys.fIsPush(EGameKey::DOWN, true) || mKeyRepeat.fIsRepeat(keys, EGameKey::DOWN)) {
        fMoveFocus(FOCUS_DOWN);
    } else if (keys.fIsPush(EGameKey::UP, true) || mKeyRepeat.fIsRepeat(keys, EGameKey::UP)) {
        fMoveFocus(FOCUS_UP);
    } else if (keys.fIsPush(EGameKey::KEY_Z, true)) {
        fActOnFocusedItem();
    } else if (keys.fIsPush(EGameKey::KEY_X, true) || keys.fIsPush(EGameKey::KEY_ESC, true)) {
        fBackToTitle();
    }
}

void CStartMenu::fDraw() {
    if (mTitleImage != -1) {
        dx_DrawGraph(0, 0, mTitleImage, 0);
    } else {
        dx_DrawBox(0, 0, 640, 480, dx_GetColor(40, 48, 80), 1);
    }
    mMenuWindow->fDraw();
    if (mDescriptionWindow) {
        mDescriptionWindow->fDraw();
    }
    if (mNameEntry) {
        mNameEntry->fDraw();
    }
    if (mHighScore.sent) {
        dx_DrawStringToHandle(10, 440, "★", dx_GetColor(150, 150, 255), gFont24);
    }
    const std::string score = "HIGH SCORE:" + std::to_string(mHighScore.score);
    dx_DrawStringToHandle(50, 440, score.c_str(), dx_GetColor(255, 255, 255), gFont24);
    if (mRankingWindow) {
        mRankingWindow->fDraw();
    }
    if (mNoticeWindow) {
        mNoticeWindow->fDraw();
    }
    if (gTipsManager && gTipsManager->fIsShown()) {
        gTipsManager->fDraw();
    }
    if (!fIsMenuOpen() && mFrameCounter % 80 < 40) {
        dx_DrawStringToHandle(360, 440, fNameBoundKey(fTr("Ｚキーを押す"), EBoundKey::ATTACK).c_str(),
                              dx_GetColor(255, 100, 100), gFont24);
    }
}

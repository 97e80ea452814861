// The online ranking on screen: the entries in pages of ten with their places by score, a hint under the list
// saying how it is sorted, blinking arrows where more pages lie, and a chosen entry's replay played back
// (downloaded into "downloaded_replay/" first unless it is already there).
//
// The start menu builds it from a fetched list and hands it the frame's three steps; X or Esc call onClose,
// which may drop the window.
//
//   mRanking = std::make_unique<CShowRankingWindow>(std::move(list.entries));
//   mRanking->fSetOnClose([this] { mRanking.reset(); });
//   mRanking->fSetOnPlay([](const std::string& path) { gScene = fMakeGameStage(path); });
//   every frame: mRanking->fInput(); mRanking->fUpdate(); ... mRanking->fDraw();
#pragma once

#include "base/Translation.h"
#include "gui/CCommonMessageWindow.h"
#include "gui/CWindowBase.h"
#include "input/CKeyRepeatManager.h"
#include "net/RankingList.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CShowRankingWindow : public CWindowBase {
public:
    enum class ESortBy : int { SCORE = 0, DATE = 1 };
    // A download is asked for in one frame, run in the next, so its notice is on screen while it blocks.
    enum class EConnectTask : int { DOWNLOAD_REQUESTED = 0, DOWNLOAD_READY = 1, NONE = 2 };

    static constexpr int kLeft = 10;
    static constexpr int kTop = 20;
    static constexpr int kBlinkPeriod = 60;
    static constexpr const char* kRightArrowImage = "ui_parts/cursor_right.png";
    static constexpr const char* kLeftArrowImage = "ui_parts/cursor_left.png";
    static constexpr const char* kHintByScore = fTrMark("スコア順でソート中(ボタン3で切り替え)");
    static constexpr const char* kHintByDate = fTrMark("登録日時順でソート中(ボタン3で切り替え)");
    static constexpr const char* kNoticeDownloading = fTrMark("リプレイファイルをダウンロード中です...");
    static constexpr const char* kNoticeCannotPlay = fTrMark("リプレイを再生できませんでした");

    // Sorts the entries by score and gives them their places; the first page is shown, its first row
    // focused.
    explicit CShowRankingWindow(std::vector<SRankingData> entries);

    virtual void fShowSortHint();
    virtual void fBuildRows();
    void fDraw() override;
    virtual void fDrawArrows();
    void fInput() override;
    void fUpdate() override;
    virtual void fDownloadAndPlay();
    virtual void fToggleSort();

    // Called by X or Esc; nothing of the window is touched after it returns.
    void fSetOnClose(std::function<void()> onClose) { mOnClose = std::move(onClose); }
    // Z on a row downloads that replay and hands its path to `onPlay`, which starts the playback in place
    // of the current scene; an exception from it means the replay cannot be played.
    void fSetOnPlay(std::function<void(const std::string& path)> onPlay) { mOnPlay = std::move(onPlay); }

    // One row: place, name, score and the registration date without its seconds.
    static std::string fFormatRow(const SRankingData& entry);

    // The sort hint, or a notice about a download in its place.
    CMessageWindow& fGetInfoWindow() { return *mInfoWindow; }
    const std::vector<SRankingData>& fGetEntries() const { return mEntries; }
    int fGetPage() const { return mPage; }
    int fGetLastPage() const { return mLastPage; }
    ESortBy fGetSortBy() const { return mSortBy; }
    EConnectTask fGetConnectTask() const { return mConnectTask; }
    int fGetFrameCount() const { return mFrameCount; }

    // The entry of the focused row; none when the page is empty.
    std::optional<std::size_t> fFocusedEntry();

private:
    void fShowNotice(const std::string& text);
    // Replaces the current scene by the playback of `path`; a replay the stage refuses gives a notice and
    // is removed, so it is fetched anew next time rather than refused again.
    void fPlay(const std::string& path);

    std::unique_ptr<CMessageWindow> mInfoWindow;
    CKeyRepeatManager mKeyRepeat;
    std::vector<SRankingData> mEntries;
    int mPage = 0;
    int mLastPage = 0;
    int mFrameCount = 0;
    int mRightArrow = -1;
    int mLeftArrow = -1;
    ESortBy mSortBy = ESortBy::SCORE;
    EConnectTask mConnectTask = EConnectTask::NONE;
    bool mPlaying = false; // the playback's stage has replaced the scene
    std::function<void()> mOnClose;
    std::function<void(const std::string&)> mOnPlay;
};

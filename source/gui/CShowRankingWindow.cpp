#include "gui/CShowRankingWindow.h"
#include "base/Translation.h"

#include "base/CException.h"
#include "base/Log.h"
#include "gui/GuiHelper.h"
#include "input/CKeyManagerBase.h"
#include "net/RankingClient.h"
#include "render/CImageManager.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <dx/DxLib.h>
#include <exception>
#include <filesystem>
#include <limits>
#include <system_error>

namespace {

constexpr int kInfoHeight = 60;
constexpr int kInfoGap = 10;
// The arrows' half height, to centre them on the list.
constexpr int kArrowHalf = 8;
constexpr int kArrowWidth = 16;

} // namespace

CShowRankingWindow::CShowRankingWindow(std::vector<SRankingData> entries)
    : mEntries(std::move(entries)), mRightArrow(gImageManager->fGetHandle(kRightArrowImage)),
      mLeftArrow(gImageManager->fGetHandle(kLeftArrowImage)) {
    fAssignCompetitionRanks(mEntries);
    mLastPage = fRankingLastPage(mEntries.size());
    fBuildRows();
    fShowSortHint();
    mKeyRepeat.fAddKey(EGameKey::DOWN);
    mKeyRepeat.fAddKey(EGameKey::UP);
}

std::string CShowRankingWindow::fFormatRow(const SRankingData& entry) {
    const std::string& date = entry.registeredAt;
    const std::string shown = date.size() > 3 ? date.substr(0, date.size() - 3) : std::string();
    // The name's column is right-aligned like the numbers (a space flag on a string would change nothing).
    const char* kFormat = fTr("% 3d位 %12s % 7d点 %s");
    const int length =
        std::snprintf(nullptr, 0, kFormat, entry.rank, entry.name.c_str(), entry.score, shown.c_str());
    if (length <= 0) {
        return {};
    }
    std::string row(std::size_t(length) + 1, '\0');
    std::snprintf(row.data(), row.size(), kFormat, entry.rank, entry.name.c_str(), entry.score,
                  shown.c_str());
    row.resize(std::size_t(length));
    return row;
}

void CShowRankingWindow::fBuildRows() {
    std::vector<std::pair<std::string, std::string>> labels;
    const std::size_t first = fRankingPageFirst(mPage);
    const std::size_t end = fRankingPageEnd(mEntries.size(), mPage);
    for (std::size_t i = first; i < end; ++i) {
        labels.emplace_back(std::to_string(i - first), fFormatRow(mEntries[i]));
    }
    fSetWindow(fCreateMenuList(kLeft, kTop, labels));
}

void CShowRankingWindow::fShowSortHint() {
    fShowNotice(mSortBy == ESortBy::SCORE ? kHintByScore : kHintByDate);
}

void CShowRankingWindow::fShowNotice(const std::string& text) {
    CMessageInfo message;
    message.fAddMessage(fTr(text));
    const SWindowRect list = fGetWindow().fGetRect();
    mInfoWindow = std::make_unique<CMessageWindow>(std::move(message), list.w, kInfoHeight);
    CMainWindow& info = mInfoWindow->fGetWindow();
    mInfoWindow->fSetRect(list.x, list.y + list.h + kInfoGap, info.fGetWidth(), info.fGetHeight());
}

std::optional<std::size_t> CShowRankingWindow::fFocusedEntry() {
    const std::string& name = fGetWindow().fGetFocusName();
    int row = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), row);
    if (error != std::errc() || end != name.data() + name.size() || row < 0) {
        return std::nullopt;
    }
    const std::size_t index = fRankingPageFirst(mPage) + std::size_t(row);
    if (index >= fRankingPageEnd(mEntries.size(), mPage)) {
        return std::nullopt;
    }
    return index;
}

void CShowRankingWindow::fInput() {
    if (mConnectTask != EConnectTask::NONE || mPlaying) {
        return;
    }
    CKeyManagerBase& keys = *gKeyManager;
    if (keys.fIsPush(EGameKey::DOWN, true) || mKeyRepeat.fIsRepeat(keys, EGameKey::DOWN)) {
        fGetWindow().fMoveFocus(FOCUS_DOWN);
        return;
    }
    if (keys.fIsPush(EGameKey::UP, true) || mKeyRepeat.fIsRepeat(keys, EGameKey::UP)) {
        fGetWindow().fMoveFocus(FOCUS_UP);
        return;
    }
    if (keys.fIsPush(EGameKey::RIGHT, true) && mPage < mLastPage) {
        ++mPage;
        fBuildRows();
        fShowSortHint();
    }
    if (keys.fIsPush(EGameKey::LEFT, true) && mPage > 0) {
        --mPage;
        fBuildRows();
        fShowSortHint();
    }
    if (keys.fIsPush(EGameKey::KEY_Z, true)) {
        const std::optional<std::size_t> index = fFocusedEntry();
        if (!index) {
            return;
        }
        const std::string& id = mEntries[*index].replayId;
        if (!fIsValidReplayId(id)) {
            // The id would name a file outside "downloaded_replay/".
            fLogWarning("the ranking entry's replay id \"" + id.substr(0, 80) + "\" is not a file name");
            fShowNotice(kNoticeDownloadFailed);
            return;
        }
        const std::string local = fDownloadedReplayPath(id);
        std::error_code error;
        if (std::filesystem::exists(local, error)) {
            fPlay(local);
            return;
        }
        mConnectTask = EConnectTask::DOWNLOAD_REQUESTED;
        fShowNotice(kNoticeDownloading);
    } else if (keys.fIsPush(EGameKey::KEY_X, true) || keys.fIsPush(EGameKey::KEY_ESC, true)) {
        // The callback may drop this window: run a copy and return at once.
        const std::function<void()> close = mOnClose;
        if (close) {
            close();
        }
        return;
    } else if (keys.fIsPush(EGameKey::KEY_C, true)) {
        fToggleSort();
    }
}

void CShowRankingWindow::fToggleSort() {
    mSortBy = mSortBy == ESortBy::SCORE ? ESortBy::DATE : ESortBy::SCORE;
    if (mSortBy == ESortBy::SCORE) {
        fSortByScore(mEntries);
    } else {
        fSortByDate(mEntries);
    }
    mPage = 0;
    fBuildRows();
    fShowSortHint();
}

void CShowRankingWindow::fUpdate() {
    if (mConnectTask == EConnectTask::DOWNLOAD_REQUESTED) {
        // The notice is drawn once before the download blocks the game.
        mConnectTask = EConnectTask::DOWNLOAD_READY;
    } else if (mConnectTask == EConnectTask::DOWNLOAD_READY) {
        mConnectTask = EConnectTask::NONE;
        fDownloadAndPlay();
        if (mPlaying) {
            return; // the keys now come from the replay, and the window is done
        }
    }
    mInfoWindow->fUpdate();
    fGetWindow().fUpdate();
    mKeyRepeat.fUpdate(*gKeyManager);
    mFrameCount = mFrameCount < std::numeric_limits<int>::max() - 1 ? mFrameCount + 1 : 0;
}

void CShowRankingWindow::fDownloadAndPlay() {
    const std::optional<std::size_t> index = fFocusedEntry();
    if (!index) {
        return;
    }
    const SDownloadResult download = fDownloadReplay(mEntries[*index].replayId);
    if (!download.ok) {
        // Nothing was kept; the list stays usable and Z may try again.
        fShowNotice(download.notice);
        return;
    }
    fPlay(download.path);
}

void CShowRankingWindow::fPlay(const std::string& path) {
    try {
        if (!mOnPlay) {
            throw CException("nothing here plays replays");
        }
        mOnPlay(path);
        mPlaying = true;
    } catch (const std::exception& e) {
        fLogWarning("the replay " + path + " cannot be played: " + e.what());
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        fShowNotice(kNoticeCannotPlay);
    }
}

void CShowRankingWindow::fDraw() {
    mInfoWindow->fDraw();
    fGetWindow().fDraw();
    fDrawArrows();
}

void CShowRankingWindow::fDrawArrows() {
    if (mFrameCount % kBlinkPeriod >= kBlinkPeriod / 2) {
        return;
    }
    const SWindowRect list = fGetWindow().fGetRect();
    const int y = list.y + list.h / 2 - kArrowHalf;
    if (mPage < mLastPage) {
        dx_DrawGraph(list.x + list.w - kArrowWidth, y, mRightArrow, 1);
    }
    if (mPage > 0) {
        dx_DrawGraph(list.x, y, mLeftArrow, 1);
    }
}

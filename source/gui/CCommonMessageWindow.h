// The text boxes of the menus: a framed window of at least three lines, at (10, 330) unless its owner moves
// it with fSetRect.
//  - CMessageWindow (type 0) shows one message and takes no input: item descriptions, tips.
//  - CPagedMessageWindow (type 1) shows a queue of messages page by page, goes to the next page on Z, shows
//    a bobbing arrow, and calls onFinish once when Z is pressed on the last page: notices.
//
//   CMessageInfo messages;
//   messages.fAddMessage("ランキングサーバに接続中です...");
//   mNotice = std::make_unique<CPagedMessageWindow>(std::move(messages));
//   mNotice->fSetOnFinish([this] { mNotice.reset(); });  // the owner may drop the window in its callback
//   every frame: mNotice->fInput(); mNotice->fUpdate(); ... mNotice->fDraw();
#pragma once

#include "gui/CMessageInfo.h"
#include "gui/CWindowBase.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class EMessageWindowType { SINGLE = 0, PAGED = 1 };

template <EMessageWindowType Type> class CCommonMessageWindow : public CWindowBase {
public:
    static constexpr int kDefaultWidth = 620;
    static constexpr int kDefaultMargin = 20;

    // Takes the queue and shows its first message at once. Width 620 unless given; the height fits three
    // lines (or more, for a longer first message) unless given. The lines start `sideMargin` pixels inside
    // the window's left edge (a narrower margin fits a longer line inside the frame).
    explicit CCommonMessageWindow(CMessageInfo messages, std::optional<int> width = std::nullopt,
                                  std::optional<int> height = std::nullopt, int sideMargin = kDefaultMargin);

    void fUpdate() override;
    void fInput() override;
    void fDraw() override;

    // Paged windows only.
    // Shows the next message in place of the current lines; false when the queue is empty.
    bool fShowNext() requires(Type == EMessageWindowType::PAGED);
    // Set by Z on the last page.
    bool fIsFinished() const requires(Type == EMessageWindowType::PAGED) { return mFinished; }
    // Called once, when finished is set. It may drop the window that calls it.
    void fSetOnFinish(std::function<void()> onFinish) requires(Type == EMessageWindowType::PAGED) {
        mOnFinish = std::move(onFinish);
    }

    // The messages not shown yet.
    CMessageInfo& fGetMessages() { return mMessages; }

    static std::vector<std::string> fSplitLines(const std::string& message);
    static std::string fLineName(int index) { return "line" + std::to_string(index); }

private:
    void fBuild(std::optional<int> width, std::optional<int> height);

    CMessageInfo mMessages;
    int mSideMargin;
    bool mFinished = false;
    int mFont = -1;
    int mFrameCount = 0;
    std::function<void()> mOnFinish;
};

using CMessageWindow = CCommonMessageWindow<EMessageWindowType::SINGLE>;
using CPagedMessageWindow = CCommonMessageWindow<EMessageWindowType::PAGED>;

extern template class CCommonMessageWindow<EMessageWindowType::SINGLE>;
extern template class CCommonMessageWindow<EMessageWindowType::PAGED>;

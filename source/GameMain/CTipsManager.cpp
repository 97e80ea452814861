#include "GameMain/CTipsManager.h"
#include "base/Translation.h"

#include "base/CException.h"
#include "base/CRandom.h"
#include "base/Log.h"
#include "gui/GuiStyle.h"
#include "gui/TextFlow.h"
#include "input/CKeyManagerBase.h"
#include "input/KeyBindings.h"

#include <algorithm>

std::unique_ptr<CTipsManager> gTipsManager;

namespace {
// The longest tip lines are 24 full-width letters: a narrower side margin keeps them inside the frame.
constexpr int kTextMargin = 12;
} // namespace

CTipsManager::CTipsManager(std::string path) : mPath(std::move(path)) {
    fLoad();
    fSetTexts();
}

void CTipsManager::fLoad() {
    const std::vector<bool> stored = fLoadTipsFlags(mPath, kTipCount);
    std::copy(stored.begin(), stored.end(), mUnlocked.begin());
}

void CTipsManager::fSave() {
    try {
        fWriteTipsFile(mPath, std::vector<bool>(mUnlocked.begin(), mUnlocked.end()));
    } catch (const CException& e) {
        fLogWarning(std::string("the unlocked tips were not saved: ") + e.what());
    }
}

void CTipsManager::fSetTexts() {
    mTexts = {
        fTrMark("Zキーを押しっぱなしにすると溜め攻撃が可能だ！"),
        fTrMark("Xキーを押すと操作キャラクターを変更することが\nできるぞ！状況によってうまく使い分けよう。"),
        fTrMark("敵をまとめて一度に倒すと1匹ずつ倒すより高得点\nを得ることができるぞ！"),
        fTrMark("材料を連続して渡すと追加されるタイムにボーナス\nがつくぞ！"),
        fTrMark("敵が出現するエリアは白い境界線で区切られている。\n境界線を出たり入ったりすれば敵が沢山出現す"
                "るぞ。"),
        fTrMark("マップ左下のエリアはニワトリが出現しやすい。  \nタマゴが欲しければGO！"),
        fTrMark("マップ左上のエリアは小麦が出現しやすい。      \n小麦粉が欲しければGO！"),
        fTrMark("マップ右下のエリアは米俵、海苔缶が出現しやすい。\n米や海苔が欲しければGO！"),
        fTrMark("マップ上のエリアはブタさん、ひつじさんが出現し\nやすい。豚肉や羊肉が欲しければGO！"),
        fTrMark(
            "料理を3つ作る毎にランクが上がるぞ。ランクが上が\nると敵が強くなったり料理の難易度があがるぞ。"),
    };
}

std::vector<int> CTipsManager::fIndexes(bool unlocked) const {
    std::vector<int> indexes;
    for (int i = 0; i < kTipCount; ++i) {
        if (mUnlocked[std::size_t(i)] == unlocked) {
            indexes.push_back(i);
        }
    }
    return indexes;
}

int CTipsManager::fCountUnlocked() const {
    return static_cast<int>(fIndexes(true).size());
}

void CTipsManager::fUnlock(int index) {
    mUnlocked[std::size_t(index)] = true;
    fSave();
    mCurrent = index;
}

void CTipsManager::fUnlockTip() {
    const std::vector<int> locked = fIndexes(false);
    if (locked.empty()) {
        mCurrent = gRandom->fGetRand(0, kTipCount - 1);
        return;
    }
    if (!mUnlocked[std::size_t(ETips::CHARGE_ATTACK)]) {
        fUnlock(int(ETips::CHARGE_ATTACK));
    } else if (!mUnlocked[std::size_t(ETips::CHANGE_CHARACTER)]) {
        fUnlock(int(ETips::CHANGE_CHARACTER));
    } else {
        const int r = gRandom->fGetRand(0, static_cast<int>(locked.size()) - 1);
        fUnlock(locked[std::size_t(r)]);
    }
}

std::string CTipsManager::fHeading(int index) {
    return "【 Tips No (" + std::to_string(index + 1) + "/" + std::to_string(kTipCount) + ") 】";
}

void CTipsManager::fOpen(EScene scene) {
    mScene = scene;
    if (scene == EScene::START_MENU) {
        const std::vector<int> unlocked = fIndexes(true);
        if (!unlocked.empty()) {
            mCurrent = unlocked.front();
        }
    }
    fBuildWindow();
}

void CTipsManager::fBuildWindow() {
    CMessageInfo messages;
    std::string text = fTr(mTexts[std::size_t(mCurrent)]);
    // The two tips on keys name the keys the player has bound.
    if (mCurrent == int(ETips::CHARGE_ATTACK)) {
        text = fNameBoundKey(text, EBoundKey::ATTACK);
    } else if (mCurrent == int(ETips::CHANGE_CHARACTER)) {
        text = fNameBoundKey(text, EBoundKey::SWAP);
    }
    // A longer key name may push a line past the window: the tip then flows again.
    messages.fAddMessage(fHeading(mCurrent) + "\n" +
                         fFitLines(text, kWindowWidth - 2 * kTextMargin, gui::fStandardFont()));
    mWindow = std::make_unique<CMessageWindow>(std::move(messages), kWindowWidth, kWindowHeight, kTextMargin);
    const SWindowRect size = mWindow->fGetWindow().fGetRect();
    mWindow->fSetRect(kWindowX, kWindowY, size.w, size.h);
}

void CTipsManager::fDraw() {
    if (mWindow) {
        mWindow->fDraw();
    }
}

void CTipsManager::fInput() {
    if (!mShown) {
        return;
    }
    if (mScene == EScene::START_MENU) {
        const std::vector<int> unlocked = fIndexes(true);
        if (gKeyManager->fIsPush(EGameKey::RIGHT, true)) {
            const auto next = std::upper_bound(unlocked.begin(), unlocked.end(), mCurrent);
            if (next != unlocked.end()) {
                mCurrent = *next;
            }
            fBuildWindow();
            return;
        }
        if (gKeyManager->fIsPush(EGameKey::LEFT, true)) {
            const auto at = std::lower_bound(unlocked.begin(), unlocked.end(), mCurrent);
            if (at != unlocked.begin()) {
                mCurrent = *std::prev(at);
            }
            fBuildWindow();
            return;
        }
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_Z, true) || gKeyManager->fIsPush(EGameKey::KEY_X, true)) {
        mShown = false;
    }
}

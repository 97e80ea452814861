#include "Stage/CStage.h"
#include "base/GameFolders.h"
#include "base/Translation.h"

#include "Stage/CVarno.h"
#include "Stage/Collision.h"
#include "Stage/HighScoreFile.h"
#include "StageData/CEnemyGenerator.h"
#include "Ziki/CZiki.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "base/CStateDigest.h"
#include "base/GameVersion.h"
#include "base/LaunchFlags.h"
#include "base/Log.h"
#include "base/TimeText.h"
#include "input/CKeyManager.h"
#include "input/CKeyManagerBase.h"
#include "render/GameFonts.h"
#include "render/ScreenGeometry.h"
#include "replay/CKeyPlayer.h"
#include "replay/ReplayFiles.h"

#include <algorithm>
#include <cstdio>
#include <dx/DxLib.h>

namespace {
// Updates the active objects first to last by index: an object that an update takes from the same pool is
// appended to the list and updated in this pass too.
template <typename T> void fUpdateAll(objectPool<T>& pool) {
    std::vector<T*>& active = pool.fGetActive();
    for (size_t i = 0; i < active.size(); ++i) {
        active[i]->fUpdate();
    }
}

constexpr int kEnemyBulletCapacity = 1000;
constexpr int kPlayerBulletCapacity = 200;
constexpr int kEnemyCapacity = 1000;
constexpr int kEffectCapacity = 1000;
constexpr int kItemCapacity = 100;
} // namespace

CStage::CIconManager::CIconManager(CStage& stage)
    : mLife(fMakeDrawDataFromName("ui_parts/life.png")),
      mLifeBg(fMakeDrawDataFromName("ui_parts/life_bg.png")), mStage(&stage) {}

void CStage::CIconManager::fDraw() {
    const CZiki* party = mStage->fGetParty();
    const int lives = party != nullptr ? party->fGetLife() : 0;
    for (int i = 0; i < 5; ++i) {
        (i < lives ? mLife : mLifeBg).fDrawAt({25.0 * i, 1.0});
    }
}

CStageHost& CStage::fNoHost() {
    static CStageHost none;
    return none;
}

CStage::CStage(const std::string& replayPath, bool start, CStageHost* host, SReplayInput input)
    : mHost(host != nullptr ? host : &fNoHost()), mRunSession(replayPath, std::move(input)) {
    gSoundManager->fStopAll();
    mEnemyBullets.fFill(kEnemyBulletCapacity, [] { return std::make_unique<CBullet>(); });
    mPlayerBullets.fFill(kPlayerBulletCapacity, [] { return std::make_unique<CBullet>(); });
    mEnemies.fFill(kEnemyCapacity, [] { return std::make_unique<CEnemy>(); });
    mEffects.fFill(kEffectCapacity, [] { return std::make_unique<CEffect>(); });
    mItems.fFill(kItemCapacity, [] { return std::make_unique<CItem>(); });
    mReplayPath = replayPath;
    mIsReplay = !replayPath.empty();
    mBestScore = fLoadHighScore().score;
    if (start) {
        fStartRun();
    }
    mIconManager = std::make_unique<CIconManager>(*this);
    mTerrain = std::make_unique<CGeographicalFeatures>(
        80, 80, fDataPath("dat/town3.csv"), fDataPath("dat/image/mapchip/chips2.png"), kScreenCentre, this);
    mEnemyGenerator = std::make_unique<CEnemyGenerator>(*this);
    mParty = std::make_unique<CZiki>(*this);
    fSetParty(mParty.get());
    mVarno = std::make_unique<CVarno>(*this);
    gSoundManager->fPlayBgm(BGM_STAGE);
}

// A stage dropped without ending its run (the window closed mid-run) has its session abandon the run.
CStage::~CStage() = default;

void CStage::fAddRank(int n) {
    mRank = std::clamp(mRank + n, 0, kMaxRank);
    mStats.bestRank = std::max(mStats.bestRank, mRank);
}

void CStage::fAddTime(int n) {
    mTimeLeft += n;
    if (mTimeLeft < 0) {
        mTimeLeft = 0;
    }
}

void CStage::fAddScore(int n) {
    mScore = std::max(0, mScore + n);
    mScoreThisStage = std::max(0, mScoreThisStage + n);
}

void CStage::fResetPools() {
    mFrameCounter = 0;
    mScoreThisStage = 0;
    mEnemies.fReleaseAll();
    mPlayerBullets.fReleaseAll();
    mEnemyBullets.fReleaseAll();
    mItems.fReleaseAll();
    mEffects.fReleaseAll();
    mSpecialState.reset();
    mEnemyGenerator.reset();
}

void CStage::fDispose() {
    mVarno.reset();
    mPartyRef = nullptr;
    mParty.reset();
    mEnemies.fDestroy();
    mPlayerBullets.fDestroy();
    mEnemyBullets.fDestroy();
    mItems.fDestroy();
    mEffects.fDestroy();
    mHost->fRestoreFramePacing();
}

void CStage::fAgeMarkers() {
    for (SMarker& m : mMarkers) {
        m.age += 1;
    }
    mMarkers.erase(
        std::remove_if(mMarkers.begin(), mMarkers.end(), [](const SMarker& m) { return m.age > 1; }),
        mMarkers.end());
}

bool CStage::fIsNearMarker(SPointD point) const {
    return std::any_of(mMarkers.begin(), mMarkers.end(),
                       [&](const SMarker& m) { return m.position.fGetDistance(point) < 120.0; });
}

void CStage::fAddMarker(SPointD point) {
    mMarkers.push_back({point, 0});
}

void CStage::fStartRun() {
    mRunSession.fStart(gLaunchSeed >= 0 ? gLaunchSeed : fMakeRunSeed());
}

void CStage::fEndRun() {
    if (mRunSession.fIsRunning()) {
        try {
            mRunSession.fEnd(mScore, mBestScore);
        } catch (const std::exception& e) {
            // The old high score and its replay are still together; the player goes on to the menu.
            fLogWarning(std::string("the new high score could not be stored: ") + e.what());
        }
    }
    if (gLaunchTraceStage) {
        std::printf("stage end: score %d\n", mScore);
    }
    mHost->fOnStageEnd(*this);
    fDispose();
}

void CStage::fSetSpecialState(ESpecialState kind) {
    mSpecialState = std::make_unique<CSpecialState>(kind);
    if (gLaunchTraceStage) {
        std::printf("stage state %d at play frame %d\n", static_cast<int>(kind), mFrameCounter);
    }
}

// Quitting after time up keeps the run as dismissing its tip would: the bonus (still to come during time
// up), the tip, and a new high score with its replay. The replay reaches that score, because its playback
// runs on through the closing states without input. Mid-run, quitting abandons the run as Esc does.
void CStage::fQuit() {
    if (mIsReplay || !mRunSession.fIsRunning() || !mSpecialState) {
        return;
    }
    if (gLaunchTraceStage) {
        std::printf("stage quit in state %d\n", static_cast<int>(mSpecialState->fGetKind()));
    }
    switch (mSpecialState->fGetKind()) {
    case ESpecialState::TIME_UP:
        mScore += mVarno->fGetBonus();
        mHost->fOpenTip();
        break;
    case ESpecialState::RESULT:
        mHost->fOpenTip();
        break;
    case ESpecialState::TIPS:
        break;
    }
    fEndRun();
}

void CStage::fLeaveToMenu() {
    mHost->fLeaveStage();
}

void CStage::fTrace() const {
    const SPointD world = mParty->fGetWorldPosition();
    const SPointD camera = mTerrain->fGetCamera();
    std::printf("stage frame %d: party %.1f,%.1f camera %.1f,%.1f time %d score %d\n", mFrameCounter, world.x,
                world.y, camera.x, camera.y, mTimeLeft, mScore);
}

std::vector<EFoodType> CStage::fGetWishList() const {
    if (!mVarno) {
        return {};
    }
    return mVarno->fGetOrders();
}

std::optional<EFoodType> CStage::fGetCurrentWish() const {
    const std::vector<EFoodType> wishes = fGetWishList();
    if (wishes.empty()) {
        return std::nullopt;
    }
    return wishes.front();
}

void CStage::fInput() {
    if (gKeyManager->fIsKeyboardPushed(EGameKey::KEY_ESC)) {
        // Leaving with Esc stores nothing.
        if (mRunSession.fIsRunning()) {
            mRunSession.fAbandon();
        }
        mHost->fOnStageEnd(*this);
        if (gLaunchTraceStage) {
            std::printf("stage left with Esc at play frame %d\n", mFrameCounter);
        }
        fDispose();
        fLeaveToMenu();
        return;
    }
    if (gKeyManager->fIsKeyboardPushed(EGameKey::KEY_F1) && mIsReplay) {
        mHost->fToggleFastForward();
    }
    if (mSpecialState) {
        if (mSpecialState->fGetKind() != ESpecialState::TIME_UP &&
            gKeyManager->fIsPush(EGameKey::KEY_Z, true)) {
            mSpecialState->fSetTimer(0);
        }
        return;
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_F12, true)) {
        mHost->fToggleProfiler();
    }
    CZiki& party = *mParty;
    const EDirectionTenkey dir = gKeyManager->fGetDirection();
    if (gKeyManager->fIsPush(EGameKey::KEY_Z, true) && party.fFeed()) {
        party.fGetWeapon().fSetCoolDown(20);
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_Z, false)) {
        party.fFire();
    } else {
        party.fFireRelease();
    }
    if (gKeyManager->fIsPush(EGameKey::KEY_X, true)) {
        party.fChangeLeader();
    }
    party.fMove(dir);
}

// A closing state shows for its frames, then leads to the next: time up, the result, the tip (a new run
// only), the title.
void CStage::fUpdateSpecialState() {
    if (!mSpecialState->fIsFinished()) {
        mSpecialState->fUpdate();
        return;
    }
    switch (mSpecialState->fGetKind()) {
    case ESpecialState::TIME_UP:
        fSetSpecialState(ESpecialState::RESULT);
        // The dishes' bonus goes straight onto the score, not through fAddScore: it is not this
        // stage's play.
        if (gLaunchTraceStage) {
            std::printf("stage bonus %d: score %d -> %d\n", mVarno->fGetBonus(), mScore,
                        mScore + mVarno->fGetBonus());
        }
        mScore += mVarno->fGetBonus();
        break;
    case ESpecialState::RESULT:
        if (mIsReplay) {
            fEndRun();
            fLeaveToMenu();
        } else {
            mHost->fOpenTip();
            fSetSpecialState(ESpecialState::TIPS);
        }
        break;
    case ESpecialState::TIPS:
        fEndRun();
        fLeaveToMenu();
        break;
    }
}

// The clock runs faster late in a long run.
void CStage::fCountDownTime() {
    if (mTimeLeft > 0) {
        mTimeLeft -= 1;
        if (mFrameCounter > 54000) {
            mTimeLeft -= 1;
        }
        if (mFrameCounter > 72000) {
            mTimeLeft -= 2;
        }
    }
}

void CStage::fMarkGroundsVisited() {
    if (mEnemyGenerator) {
        const SPointI feet = fToMapCell(mParty->fGetWorldPosition() + SPointD(0.0, 8.0));
        for (int i = 0; i < CEnemyGenerator::kAreaCount; ++i) {
            mStats.groundsVisited[static_cast<std::size_t>(i)] |=
                mEnemyGenerator->fGetArea(i).fIsInside(feet);
        }
    }
}

void CStage::fUpdate() {
    if (mSpecialState) {
        fUpdateSpecialState();
        return;
    }
    fCountDownTime();
    if (mTimeLeft <= 0) {
        fSetSpecialState(ESpecialState::TIME_UP);
        return;
    }
    mTerrain->fUpdateScroll();
    if (mEnemyGenerator) {
        mEnemyGenerator->fUpdate();
    }
    mIconManager->fUpdate();
    fUpdateAll(mEnemies);
    mVarno->fUpdate();
    mParty->fUpdate();
    fMarkGroundsVisited();
    fUpdateAll(mPlayerBullets);
    fUpdateAll(mEnemyBullets);
    fUpdateAll(mItems);
    fUpdateAll(mEffects);
    fAgeMarkers();
    mHost->fMeasureStart("col 01");
    fCheckCollision();
    mHost->fMeasureEnd("col 01");
    mEnemies.fCollectDead();
    mPlayerBullets.fCollectDead();
    mEnemyBullets.fCollectDead();
    mItems.fCollectDead();
    mEffects.fCollectDead();
    mFrameCounter += 1;
    if (gLaunchTraceStage && mFrameCounter % 60 == 0) {
        fTrace();
    }
    if (gLaunchDigestEvery > 0 && mFrameCounter % gLaunchDigestEvery == 0) {
        std::printf("digest %d %s\n", mFrameCounter, CStateDigest::fHex(fDigest()).c_str());
    }
}

void CStage::fDrawStageHud() {
    dx_DrawStringToHandle(150, -2, ("Rank:" + std::to_string(mRank)).c_str(), dx_GetColor(220, 220, 255),
                          gFont28, 0, 0);
    dx_DrawStringToHandle(300, -2, ("Score:" + std::to_string(mScore)).c_str(), dx_GetColor(220, 255, 220),
                          gFont28, 0, 0);
}

void CStage::fDraw() {
    if (mParty == nullptr) {
        return; // disposed: the next scene takes over this frame
    }
    if (mFrameCounter % 60 == 0) {
        char caption[160];
        std::snprintf(caption, sizeof caption, fTr("%s FPS:%.1f プレイ時間 %s"), fGameTitle().c_str(),
                      mHost->fGetFps(), fFramesToTimeText(mFrameCounter).c_str());
        dx_SetMainWindowText(caption);
    }
    mTerrain->fDrawLower();
    if (mEnemyGenerator) {
        mEnemyGenerator->fDraw();
    }
    for (CEnemy* e : mEnemies.fGetActive()) {
        e->fDraw();
    }
    mVarno->fDraw();
    for (CBullet* b : mPlayerBullets.fGetActive()) {
        b->fDraw();
    }
    for (CItem* i : mItems.fGetActive()) {
        i->fDraw();
    }
    mParty->fDraw();
    for (CBullet* b : mEnemyBullets.fGetActive()) {
        b->fDraw();
    }
    mDrawQueue.fFlush();
    mTerrain->fDrawUpper();
    for (CEffect* e : mEffects.fGetActive()) {
        e->fDraw();
    }
    mParty->fDrawHud();
    mVarno->fDrawBalloon();
    mIconManager->fDraw();
    fDrawStageHud();
    if (mSpecialState) {
        switch (mSpecialState->fGetKind()) {
        case ESpecialState::TIME_UP:
            dx_DrawStringToHandle(96, 192, fTr("たいむあっぷ"), dx_GetColor(255, 255, 255), gFont64, 0, 0);
            break;
        case ESpecialState::RESULT:
            mVarno->fDrawResult();
            break;
        case ESpecialState::TIPS:
            // The tip this run unlocked.
            mHost->fDrawTip();
            break;
        }
    }
}

std::uint64_t CStage::fDigest() const {
    CStateDigest digest;
    for (int value : {mFrameCounter, mTimeLeft, mScore, mScoreThisStage, mRank}) {
        digest.fAddInt(value);
    }
    digest.fAddInt(gRandom ? gRandom->fGetCount() : -1);
    digest.fAddInt(mSpecialState ? static_cast<int>(mSpecialState->fGetKind()) : -1);
    digest.fAddInt(mSpecialState ? mSpecialState->fGetTimer() : 0);
    fAddPointToDigest(digest, mTerrain->fGetScrollOffset());
    digest.fAddCount(mMarkers.size());
    for (const SMarker& marker : mMarkers) {
        fAddPointToDigest(digest, marker.position);
        digest.fAddInt(marker.age);
    }
    mFoodTables.fAddToDigest(digest);
    digest.fAddFlag(mEnemyGenerator != nullptr);
    if (mEnemyGenerator) {
        mEnemyGenerator->fAddToDigest(digest);
    }
    for (const CActor* single :
         {static_cast<const CActor*>(mParty.get()), static_cast<const CActor*>(mVarno.get())}) {
        digest.fAddFlag(single != nullptr);
        if (single != nullptr) {
            single->fAddToDigest(digest);
        }
    }
    // The pools' active lists in their update order; the order decides who is hit and drawn first.
    auto addPool = [&digest](const auto& pool) {
        digest.fAddCount(pool.fGetActive().size());
        for (const auto* actor : pool.fGetActive()) {
            actor->fAddToDigest(digest);
        }
    };
    addPool(mEnemies);
    addPool(mPlayerBullets);
    addPool(mEnemyBullets);
    addPool(mItems);
    addPool(mEffects);
    return digest.fValue();
}

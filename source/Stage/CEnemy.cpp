#include "Stage/CEnemy.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CKillCountManager.h"
#include "Stage/CStage.h"
#include "StageData/CEnemyBehaviours.h"
#include "Ziki/CZiki.h"
#include "audio/CSoundManager.h"
#include "base/CStateDigest.h"
#include "base/Check.h"
#include "render/ScreenGeometry.h"

#include <algorithm>
#include <cmath>
#include <dx/DxLib.h>

void CEnemy::fReset() {
    mKind = -1;
    mTouchAttack = 1;
    mLifetime = -1;
    mMaxLife = 0;
    mLife = 0;
    mScore = 10;
    mShotProof = false;
    mTouchSafe = false;
    mBurnt = false;
    mBurnFrames = 0;
    mCanBurn = false;
    mBehaviour = nullptr;
    mOnDeath = nullptr;
    mKnockVector = {};
    mNotYetOnScreen = true;
    mFlashTimer = 0;
    mLastKillCounter.reset();
    mKnockTimer = CFrameCountdown();
    mKnockTimer.fSetOnEnd([this] { mKnockVector = {}; });
}

void CEnemy::fInitShadow() {
    mShadow = fMakeDrawDataFromName("shadow.png");
    mShadow.fSetSizeAndCenter(24, 24);
    mShadow.fSetAlpha(80.0);
}

void CEnemy::fSetup(const SDrawData& drawData, SPointD position, CStage& stage, int lifetime,
                    double direction, double speed) {
    fReset();
    fInitInStage(stage, drawData, position, direction, speed);
    fInitShadow();
    mLayer = LAYER_CHARACTER;
    mLifetime = lifetime;
    mNotYetOnScreen = true;
    mDrawOffset = stage.fGetTerrain().fGetScrollOffset();
}

void CEnemy::fDamage(bool burns, const SKnockRecord& knock,
                     const std::shared_ptr<CKillCountManager>& killCounter, int attack) {
    // Enemies waiting outside the screen, and enemies still flashing from a hit, cannot be hurt.
    if (mNotYetOnScreen || fIsFlashing()) {
        return;
    }
    mStage->fAddMarker(mPosition);
    mLastKillCounter = killCounter;
    mKnockVector = SPointD(0.0, -knock.speed).fRotate(knock.direction);
    mKnockTimer.fStart(knock.frames);
    if (mKnockTimer.fIsEnded()) {
        // A knock of no frames would otherwise push the enemy for ever: its timer never runs out.
        mKnockVector = {};
    }
    gSoundManager->fPlaySe(SE_HIT, false);
    mLife -= attack;
    if (mLife <= 0 && burns && mCanBurn) {
        mDrawData.fSetAnimeWait(kBurntAnimeWait);
        mDrawData.fSetRed(0);
        mDrawData.fSetGreen(0);
        mDrawData.fSetBlue(0);
        mBurnt = true;
        mFlashTimer = kBurntFlashFrames;
    } else if (mLife <= 0) {
        mFlashTimer = kDeathFlashFrames;
    } else {
        mFlashTimer = kHitFlashFrames;
    }
}

bool CEnemy::fIsBlockedHere() {
    mPlacedRects.clear();
    for (const SRectD& r : mHitRects) {
        const SPointD c = SPointD(r.x, r.y).fRotate(mDirection) + mPosition;
        mPlacedRects.emplace_back(c.x, c.y, r.width, r.height);
    }
    return mStage->fGetTerrain().fIsBlocked(mPosition, mPlacedRects);
}

void CEnemy::fUpdate() {
    // A dead enemy waits for the pool's sweep; it must not die, score or drop a second time.
    if (!fIsAlive()) {
        return;
    }
    mDrawOffset = mStage->fGetTerrain().fGetScrollOffset();
    const SPointD screen = mPosition + mDrawOffset;
    if (mNotYetOnScreen && fIsOnScreen(screen)) {
        mNotYetOnScreen = false;
    }
    if (fIsFlashing()) {
        --mFlashTimer;
    }
    // Leaving the screen or outliving its time removes the enemy without score or drop.
    if (::fIsOffScreen(screen, kOffScreenMargin) || (mLifetime >= 0 && mCounter >= mLifetime)) {
        fKill();
        return;
    }
    if (mBurnt) {
        // The black silhouette fades once it has shown for a moment.
        ++mBurnFrames;
        if (mBurnFrames > 4) {
            mDrawData.fSetAlpha(mDrawData.fGetAlpha() - 10.0);
        }
    }

    if (fIsFlashing()) {
        // A flashing enemy neither acts nor moves by itself; only the knock-back moves it.
        const SPointD before = mPosition;
        fUpdateBase();
        fMoveByKnock(before);
    } else if (mLife <= 0) {
        fDie();
    } else {
        if (mBehaviour) {
            mBehaviour(*this);
        }
        const SPointD before = mPosition;
        CActor::fUpdate();
        fMoveByKnock(before);
    }

    fFaceHeading();
    mKnockTimer.fUpdate();
}

void CEnemy::fMoveByKnock(SPointD before) {
    mPosition = mPosition + mKnockVector;
    if (fIsBlockedHere()) {
        mPosition = before;
    }
}

void CEnemy::fDie() {
    fKill();
    int multiplier = 1;
    if (mLastKillCounter) {
        multiplier = mLastKillCounter->fCountKill();
    }
    if (multiplier > 1) {
        CEffectCreator::fCreate(mStage->fGetNewEffect(), *mStage, EFFECT_SCORE_RATE, mPosition, 0.0, 0.0,
                                std::make_shared<CEffectParam_SCORE_RATE>(multiplier));
    }
    mStage->fAddScore(fGetScore() * multiplier);
    SRunStats& stats = mStage->fGetStats();
    if (mKind >= 0 && mKind < SRunStats::kEnemyKinds) {
        ++stats.kills[static_cast<std::size_t>(mKind)];
    }
    const int killsOfThisAttack = mLastKillCounter ? mLastKillCounter->fGetCount() : 1;
    stats.bestMultiKill = std::max(stats.bestMultiKill, killsOfThisAttack);
    // Counted once per attack, when it reaches the mark.
    if (killsOfThisAttack == SRunStats::kBigMultiKill) {
        ++stats.bigMultiKills;
    }
    if (mOnDeath) {
        mOnDeath(*this);
    }
}

void CEnemy::fFaceHeading() {
    // The images look left, so they are mirrored while the enemy heads right (up to down).
    mDirection = std::fmod(mDirection, 360.0);
    if (mDirection < 0.0) {
        mDirection += 360.0;
    }
    if (mDirection >= 360.0) {
        mDirection = 0.0;
    }
    mDrawData.fSetTurn(mDirection < 180.0);
}

void CEnemy::fDrawShadow() {
    const SPointD p = mPosition + mDrawOffset;
    mStage->fGetDrawQueue().fPush(p + SPointD(0.0, 7.0), mShadow, static_cast<int>(p.y + mLayer * 1000) - 1);
}

void CEnemy::fDraw() {
    if (!mBurnt) {
        fDrawShadow();
    }
    if (!fIsFlashing() || mBurnt) {
        CActorInStage::fDraw();
        return;
    }
    const int phase = mCounter % 6;
    if (phase >= 3) {
        CActorInStage::fDraw();
    }
    // Drawn at once, so it lies under the queued sprites of this frame.
    fDrawLifeBar();
}

void CEnemy::fDrawLifeBar() {
    const SPointD p = mPosition + mDrawOffset;
    const int x = static_cast<int>(p.x);
    const int y = static_cast<int>(p.y);
    const double ratio = mMaxLife > 0 ? std::max(mLife, 0) / static_cast<double>(mMaxLife) : 0.0;
    dx_DrawBox(x - 12, y + 19, x + 12, y + 22, dx_GetColor(255, 0, 0), 1);
    dx_DrawBox(x - 12, y + 19, static_cast<int>(x - 12 + ratio * 24), y + 22, dx_GetColor(0, 255, 0), 1);
}

void CEnemy::fWarningBlink(int countdown) {
    if (countdown > 13 && countdown < 43) {
        if (countdown % 14 == 0) {
            fSetNormalColor();
        } else if (countdown % 14 == 7) {
            mDrawData.fSetRed(255);
            mDrawData.fSetGreen(60);
            mDrawData.fSetBlue(60);
        }
    }
}

void CEnemy::fSetNormalColor() {
    mDrawData.fSetRed(255);
    mDrawData.fSetGreen(255);
    mDrawData.fSetBlue(255);
}

SPointD CEnemy::fGetPartyPosition() const {
    const CZiki* party = mStage->fGetParty();
    TAVONI_CHECK(party != nullptr, "Stage", "enemy looking for a party that is not there");
    return party->fGetWorldPosition();
}

double CEnemy::fGetAngleToParty() const {
    return mPosition.fGetAngleTo(fGetPartyPosition());
}

double CEnemy::fGetDistanceToParty() const {
    return mPosition.fGetDistance(fGetPartyPosition());
}

void CEnemy::fAddToDigest(CStateDigest& digest) const {
    CActorInStage::fAddToDigest(digest);
    for (int value : {mKind, mTouchAttack, mLifetime, mMaxLife, mLife, mScore, mBurnFrames, mFlashTimer,
                      mKnockTimer.fGetRemaining()}) {
        digest.fAddInt(value);
    }
    for (bool flag : {mShotProof, mTouchSafe, mBurnt, mCanBurn, mNotYetOnScreen, mFlag, mFlag2}) {
        digest.fAddFlag(flag);
    }
    fAddPointToDigest(digest, mKnockVector);
    digest.fAddInt(mLastKillCounter ? mLastKillCounter->fGetCount() : -1);
    fAddBehaviourToDigest(mBehaviour, digest);
}

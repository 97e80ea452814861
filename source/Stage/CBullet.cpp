#include "Stage/CBullet.h"

#include "Stage/CKillCountManager.h"
#include "Stage/CStage.h"
#include "base/CStateDigest.h"

void CBullet::fReset() {
    mLifetime = -1;
    mOwner = nullptr;
    mWideMargin = false;
    mAttack = 0;
    mVanishesOnHit = true;
    mIgnoresTerrain = false;
    mBehaviour = nullptr;
    mOnHitCallback = nullptr;
    mDrift = {};
    mHarmless = false;
    mErasesEnemyBullets = false;
    mBurns = false;
    mKillCounter.reset();
    mKnock = {};
}

void CBullet::fSetup(CStage& stage, CEnemy* owner, int attack, const SDrawData& drawData, SPointD position,
                     double direction, double speed) {
    fReset();
    fInitInStage(stage, drawData, position, direction, speed);
    mLayer = LAYER_BULLET;
    mOwner = owner;
    mAttack = attack;
    mDrawOffset = stage.fGetTerrain().fGetScrollOffset();
}

void CBullet::fOnHit() {
    if (mOnHitCallback) {
        mOnHitCallback(*this);
    }
    fKill();
}

void CBullet::fUpdate() {
    mDrawOffset = mStage->fGetTerrain().fGetScrollOffset();
    const double margin = mWideMargin ? kWideMargin : kMargin;
    if (fIsOffScreen(margin) || (mLifetime >= 0 && mCounter >= mLifetime)) {
        fKill();
        return;
    }
    if (mBehaviour) {
        mBehaviour(*this);
    }
    CActor::fUpdate();
    mPosition = mPosition + mDrift;
}

void CBullet::fAddToDigest(CStateDigest& digest) const {
    CActorInStage::fAddToDigest(digest);
    digest.fAddInt(mLifetime);
    digest.fAddInt(mAttack);
    for (bool flag : {mOwner != nullptr, mWideMargin, mVanishesOnHit, mIgnoresTerrain, mHarmless,
                      mErasesEnemyBullets, mBurns, mFlag, mFlag2}) {
        digest.fAddFlag(flag);
    }
    fAddPointToDigest(digest, mDrift);
    digest.fAddInt(mKillCounter ? mKillCounter->fGetCount() : -1);
    digest.fAddInt(mKnock.frames);
    digest.fAddReal(mKnock.direction);
    digest.fAddReal(mKnock.speed);
}

#include "Ziki/CFireManagerBase.h"
#include "base/CStateDigest.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CKillCountManager.h"
#include "Stage/CStage.h"
#include "Ziki/CFireManagerFireBall.h"
#include "Ziki/CFireManagerSlash.h"
#include "Ziki/CZiki.h"
#include "base/Check.h"

#include <algorithm>
#include <dx/DxLib.h>

CFireManagerBase::CFireManagerBase(CZiki& owner, int maxBullets, int bulletsPerShot, int chargeFrames,
                                   int coolDownFrames)
    : mOwner(owner), mMaxBullets(maxBullets), mBulletsPerShot(bulletsPerShot), mChargeFrames(chargeFrames),
      mCoolDownFrames(coolDownFrames) {}

void CFireManagerBase::fRemoveDeadBullets() {
    std::erase_if(mBullets, [](const CBullet* b) { return !b->fIsAlive(); });
}

bool CFireManagerBase::fIsCoolingDown() const {
    return mCoolDown > 0;
}

void CFireManagerBase::fOnHold() {
    if (mHolding) {
        ++mChargeCount;
        if (mChargeCount == 1) {
            // Gathering starts: the aura lives for as long as fIsCharging answers true.
            CStage& stage = *mOwner.mStage;
            CEffectCreator::fCreate(stage.fGetNewEffect(), stage, EFFECT_MAGIC_AURA,
                                    mOwner.fGetWorldPosition() + SPointD(0.0, 5.0), 0.0, 0.0);
        }
        if (fGaugeRatio() > 1.0) {
            mChargeReady = true;
        }
        return;
    }
    const int inPlay = static_cast<int>(mBullets.size());
    if (mMaxBullets - inPlay >= mBulletsPerShot && !fIsCoolingDown()) {
        mHolding = true;
        mCoolDown = mCoolDownFrames;
        fShot();
    }
}

void CFireManagerBase::fUpdate() {
    if (fIsCoolingDown()) {
        // Whatever the key does meanwhile, the weapon counts as held until the cool-down is over: a push
        // that fed the hungry character and stays held charges instead of firing when it ends.
        mHolding = true;
        --mCoolDown;
    }
    fRemoveDeadBullets();
}

void CFireManagerBase::fOnRelease() {
    if (mChargeCount >= mChargeFrames) {
        mChargeReady = false;
        mCoolDown = mCoolDownFrames;
        fChargeShot();
    }
    mHolding = false;
    mChargeCount = 0;
}

double CFireManagerBase::fGaugeRatio() const {
    const int third = mChargeFrames / 3;
    return static_cast<double>(mChargeCount - third) / static_cast<double>(2 * mChargeFrames / 3);
}

void CFireManagerBase::fDraw() {
    if (mChargeCount < mChargeFrames / 3) {
        return;
    }
    const double ratio = std::min(fGaugeRatio(), 1.0);
    const SPointD p = mOwner.mPosition + mOwner.mDrawOffset;
    const int left = static_cast<int>(p.x - 12.0);
    const int right = static_cast<int>(p.x + 12.0);
    const int top = static_cast<int>(p.y + 19.0);
    const int bottom = static_cast<int>(p.y + 21.0);
    dx_DrawBox(left, top, right, bottom, dx_GetColor(255, 50, 50), 1);
    dx_DrawBox(left, top, static_cast<int>(p.x - 12.0 + 24.0 * ratio), bottom, dx_GetColor(50, 50, 255), 1);
    // A full gauge blinks.
    if (mChargeReady && mOwner.fGetCounter() % 10 < 5) {
        dx_DrawBox(left, top, right, bottom, dx_GetColor(255, 255, 255), 1);
    }
}

CBullet& CFireManagerBase::fFireBullet(EZikiShotKind kind, std::shared_ptr<CKillCountManager> killCounter,
                                       SPointD position, double angle, double speed) {
    CStage& stage = *mOwner.mStage;
    CBullet& b = stage.fGetNewPlayerBullet();
    CZikiBulletCreator::fCreate(b, mOwner, kind, stage, position, angle, speed);
    ++stage.fGetStats().shots[static_cast<std::size_t>(kind)];
    b.mKillCounter = std::move(killCounter);
    // A bullet that died last frame is back in its pool but still listed here until the next update; when
    // it comes back as this shot, keep it once, or it would count twice against the bullets in play.
    if (std::find(mBullets.begin(), mBullets.end(), &b) == mBullets.end()) {
        mBullets.push_back(&b);
    }
    return b;
}

std::unique_ptr<CFireManagerBase> fCreateWeapon(EWeaponType type, CZiki& owner) {
    switch (type) {
    case WEAPON_SLASH:
        return std::make_unique<CFireManagerSlash>(owner);
    case WEAPON_FIREBALL:
        return std::make_unique<CFireManagerFireBall>(owner);
    }
    TAVONI_UNREACHABLE("Ziki");
}

void CFireManagerBase::fAddToDigest(CStateDigest& digest) const {
    for (int value : {static_cast<int>(fGetWeaponType()), mCoolDown, mChargeCount}) {
        digest.fAddInt(value);
    }
    digest.fAddFlag(mHolding);
    digest.fAddFlag(mChargeReady);
    // The bullets themselves are digested with the stage's pool; here, where they stand in it.
    digest.fAddCount(mBullets.size());
    for (const CBullet* b : mBullets) {
        digest.fAddFlag(b->fIsAlive());
        digest.fAddInt(b->fGetCounter());
    }
}

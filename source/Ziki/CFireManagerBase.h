// The leader's weapon. A push of the attack key fires a normal shot and cools the weapon down for a while,
// during which the party is busy; keeping the key held afterwards charges it, and releasing it with a full
// charge fires the charged shot.
#pragma once

#include "Ziki/CZikiBulletCreator.h"

#include <memory>
#include <vector>

class CBullet;
class CKillCountManager;
class CStateDigest;
class CZiki;

enum EWeaponType : int {
    WEAPON_SLASH = 0,
    WEAPON_FIREBALL = 2,
};

class CFireManagerBase {
public:
    CFireManagerBase(CZiki& owner, int maxBullets, int bulletsPerShot, int chargeFrames, int coolDownFrames);
    virtual ~CFireManagerBase() = default;
    CFireManagerBase(const CFireManagerBase&) = delete;
    CFireManagerBase& operator=(const CFireManagerBase&) = delete;

    virtual void fRemoveDeadBullets();
    virtual bool fIsCoolingDown() const;
    // The attack key is held this frame (and the party is not busy).
    virtual void fOnHold();
    virtual void fShot() = 0;
    virtual void fChargeShot() = 0;
    virtual void fUpdate();
    // The attack key is up this frame.
    virtual void fOnRelease();
    // The charge gauge under the party.
    virtual void fDraw();
    virtual EWeaponType fGetWeaponType() const = 0;

    // The stage cools the weapon down when a push went to feeding the hungry character instead.
    void fSetCoolDown(int frames) { mCoolDown = frames; }
    // A hit makes the party start gathering the charge again.
    void fCancelCharge() {
        mChargeCount = 0;
        mChargeReady = false;
    }
    // Is the charge being gathered (the magic aura shows around the party meanwhile)?
    bool fIsCharging() const { return mHolding && mChargeCount > 0; }

    // The weapon's kind, cool-down, charge and which of the stage's bullets are its own.
    void fAddToDigest(CStateDigest& digest) const;
    int fGetCoolDown() const { return mCoolDown; }
    int fGetChargeCount() const { return mChargeCount; }
    int fGetChargeFrames() const { return mChargeFrames; }
    bool fIsHolding() const { return mHolding; }
    bool fIsChargeReady() const { return mChargeReady; }
    const std::vector<CBullet*>& fGetBullets() const { return mBullets; }

protected:
    // Takes a free player bullet, makes it a shot of the kind and counts it among this weapon's bullets.
    CBullet& fFireBullet(EZikiShotKind kind, std::shared_ptr<CKillCountManager> killCounter, SPointD position,
                         double angle, double speed);
    CZiki& fGetOwner() const { return mOwner; }

private:
    // How far the gauge is filled: 0 at a third of the charge, above 1 once the charge is full.
    double fGaugeRatio() const;

    CZiki& mOwner;
    int mMaxBullets;
    int mBulletsPerShot;
    int mChargeFrames;
    int mCoolDown = 0;
    int mCoolDownFrames;
    std::vector<CBullet*> mBullets;
    int mChargeCount = 0;
    bool mHolding = false;
    bool mChargeReady = false;
};

// Makes the leader's weapon; the party keeps it until the leader changes.
std::unique_ptr<CFireManagerBase> fCreateWeapon(EWeaponType type, CZiki& owner);

// The leader's weapon as the party sees it: told when the attack key is held or released, updated and
// drawn every frame, and able to report that an attack keeps the party busy.
#pragma once

#include <memory>

class CZiki;

enum EWeaponType : int {
    WEAPON_SLASH = 0,
    WEAPON_FIREBALL = 2,
};

class CFireManagerBase {
public:
    virtual ~CFireManagerBase() = default;
    virtual void fFire() = 0;
    virtual void fFireRelease() = 0;
    virtual void fUpdate() = 0;
    virtual void fDraw() = 0;
    virtual bool fIsBusy() const = 0;
    virtual void fCancelCharge() = 0;
    virtual void fSetCoolDown(int frames) = 0;
    // Is the weapon gathering a charge (the magic aura shows around the party meanwhile)?
    virtual bool fIsCharging() const { return false; }
};

// Makes the weapon of a kind for the party.
std::unique_ptr<CFireManagerBase> fCreateWeapon(EWeaponType type, CZiki& owner);

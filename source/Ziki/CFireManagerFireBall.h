// Tosca's magic: a fireball that bursts on impact; charged, a wall of three flames.
#pragma once

#include "Ziki/CFireManagerBase.h"

class CFireManagerFireBall : public CFireManagerBase {
public:
    explicit CFireManagerFireBall(CZiki& owner);

    void fShot() override;
    void fChargeShot() override;
    EWeaponType fGetWeaponType() const override { return WEAPON_FIREBALL; }
};

// Pelka's sword: one cut in front of her; charged, six cuts all around that move along with her.
#pragma once

#include "Ziki/CFireManagerBase.h"

class CFireManagerSlash : public CFireManagerBase {
public:
    explicit CFireManagerSlash(CZiki& owner);

    void fShot() override;
    void fChargeShot() override;
    EWeaponType fGetWeaponType() const override { return WEAPON_SLASH; }
};

#include "Ziki/CFireManagerBase.h"

namespace {
// Until the weapons are forged the leader carries nothing: attacks do nothing and never keep her busy.
class CUnarmed : public CFireManagerBase {
public:
    void fFire() override {}
    void fFireRelease() override {}
    void fUpdate() override {}
    void fDraw() override {}
    bool fIsBusy() const override { return false; }
    void fCancelCharge() override {}
    void fSetCoolDown(int /*frames*/) override {}
};
} // namespace

std::unique_ptr<CFireManagerBase> fCreateWeapon(EWeaponType /*type*/, CZiki& /*owner*/) {
    return std::make_unique<CUnarmed>();
}

#include "Ziki/CFireManagerSlash.h"

#include "Stage/CKillCountManager.h"
#include "Ziki/CZiki.h"

namespace {
constexpr double kSpeed = 0.0;
constexpr double kChargedSpeed = 0.6;
constexpr int kChargedCuts = 6;
constexpr int kFollowFrames = 20;

// Where a cut at this angle starts: 20 pixels out from just below the party's centre.
SPointD fCutOrigin(const CZiki& party, double angle) {
    return party.fGetWorldPosition() + SPointD(0.0, 5.0) + SPointD(0.0, -20.0).fRotate(angle);
}
} // namespace

CFireManagerSlash::CFireManagerSlash(CZiki& owner)
    : CFireManagerBase(owner, /*maxBullets=*/1, /*bulletsPerShot=*/1, /*chargeFrames=*/40,
                       /*coolDownFrames=*/20) {}

void CFireManagerSlash::fShot() {
    const double angle = fGetOwner().fGetFacingAngle();
    fFireBullet(ZIKI_SHOT_SLASH, std::make_shared<CKillCountManager>(), fCutOrigin(fGetOwner(), angle), angle,
                kSpeed);
}

void CFireManagerSlash::fChargeShot() {
    const auto killCounter = std::make_shared<CKillCountManager>();
    const double facing = fGetOwner().fGetFacingAngle();
    for (int k = 0; k < kChargedCuts; ++k) {
        const double angle = facing + 60.0 * k;
        fFireBullet(ZIKI_SHOT_CHARGED_SLASH, killCounter, fCutOrigin(fGetOwner(), angle), angle,
                    kChargedSpeed);
    }
    // She may walk while the cuts spin around her.
    fGetOwner().fGetMoveWhileBusyTimer().fStart(kFollowFrames);
}

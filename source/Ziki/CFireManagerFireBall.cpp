#include "Ziki/CFireManagerFireBall.h"

#include "Stage/CKillCountManager.h"
#include "Ziki/CZiki.h"

namespace {
constexpr double kSpeed = 6.0;
// The outer flames of a wall, beside and a little behind the middle one, before turning to the facing.
constexpr SPointD kWallSides[] = {{32.0, 8.0}, {-32.0, 8.0}};
} // namespace

CFireManagerFireBall::CFireManagerFireBall(CZiki& owner)
    : CFireManagerBase(owner, /*maxBullets=*/2, /*bulletsPerShot=*/1, /*chargeFrames=*/80,
                       /*coolDownFrames=*/20) {}

void CFireManagerFireBall::fShot() {
    // A single fireball kills one enemy at most, so it needs no kill counter.
    fFireBullet(ZIKI_SHOT_FIREBALL, nullptr, fGetOwner().fGetWorldPosition(), fGetOwner().fGetFacingAngle(),
                kSpeed);
}

void CFireManagerFireBall::fChargeShot() {
    const auto killCounter = std::make_shared<CKillCountManager>();
    const SPointD origin = fGetOwner().fGetWorldPosition();
    const double angle = fGetOwner().fGetFacingAngle();
    fFireBullet(ZIKI_SHOT_FLAME_WALL, killCounter, origin, angle, kSpeed);
    for (const SPointD& side : kWallSides) {
        fFireBullet(ZIKI_SHOT_FLAME_WALL, killCounter, origin + side.fRotate(angle), angle, kSpeed);
    }
}

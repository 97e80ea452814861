#include "Stage/CEnemyBulletCreator.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CStage.h"
#include "base/CRandom.h"
#include "base/Check.h"

namespace {
struct SEnemyBulletKind {
    const char* image;
    int width;
    int height;
    double rect;   // the square hit rectangle's side, against walls
    double radius; // the hit circle, against the party
    bool vanishesOnHit;
    bool harmless;
    bool spins;
};

// clang-format off
constexpr SEnemyBulletKind kKinds[] = {
    {"seep_shot.png",         48, 32, 32.0, 16.0, false, true,  false},
    {"middle_shot_green.png", 16, 16,  8.0,  6.0, false, false, false},
    {"rice_ball.png",         16, 16,  8.0,  6.0, true,  false, true},
    {"mini_sushi.png",        16, 16,  8.0,  6.0, true,  false, true},
};
// clang-format on

constexpr int kMiniSushiFadeFrame = 150;

void fSpin(CBullet& b) {
    b.mDrawData.fSetAngle(b.mDrawData.fGetAngle() + 5.0);
}

void fSpinAndFade(CBullet& b) {
    fSpin(b);
    if (b.fGetCounter() >= kMiniSushiFadeFrame) {
        b.mDrawData.fSetAlpha(b.mDrawData.fGetAlpha() - 8.0);
    }
}

// A mini sushi that hits something crumbles into rice grains and seaweed bits flying every way.
void fBurst(CBullet& b) {
    CStage& stage = *b.mStage;
    for (int i = 0; i < 6; ++i) {
        const int direction = gRandom->fGetRand(0, 359);
        const EEffectKind kind = i < 4 ? EFFECT_RICE_CRUMB : EFFECT_SEAWEED_CRUMB;
        CEffectCreator::fCreate(stage.fGetNewEffect(), stage, kind, b.mPosition, direction, 1.0);
    }
}
} // namespace

void CEnemyBulletCreator::fCreate(CBullet& bullet, CEnemy* owner, EEnemyBulletKind kind, CStage& stage,
                                  SPointD position, double direction, double speed) {
    TAVONI_CHECK(kind >= 0 && kind < static_cast<int>(std::size(kKinds)), "Stage",
                 "unknown enemy bullet kind");
    const SEnemyBulletKind& k = kKinds[kind];
    SDrawData d = fMakeDrawDataFromName(k.image);
    d.fSetSizeAndCenter(k.width, k.height);
    d.fSetSourceSize(k.width, k.height);
    d.fSetRotate(k.spins);
    bullet.fSetup(stage, owner, 1, d, position, direction, speed);
    bullet.mLifetime = -1;
    bullet.mTurnSpriteWithDirection = false;
    bullet.mHitRects.emplace_back(0.0, 0.0, k.rect, k.rect);
    bullet.mHitCircles.emplace_back(0.0, 0.0, k.radius);
    bullet.mVanishesOnHit = k.vanishesOnHit;
    bullet.mHarmless = k.harmless;
    switch (kind) {
    case ENEMY_BULLET_SEEP_SHOT:
    case ENEMY_BULLET_GREEN:
        break;
    case ENEMY_BULLET_RICE_BALL:
        bullet.mBehaviour = fSpin;
        break;
    case ENEMY_BULLET_MINI_SUSHI:
        bullet.mBehaviour = fSpinAndFade;
        bullet.mOnHitCallback = fBurst;
        break;
    default:
        TAVONI_UNREACHABLE("Stage");
    }
}

#include "StageData/CEnemyBehaviours.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CEnemyBulletCreator.h"
#include "Stage/CStage.h"
#include "base/CRandom.h"
#include "base/CStateDigest.h"
#include "render/CImageManager.h"

#include <algorithm>
#include <cmath>

namespace {
void fShoot(CEnemy& enemy, EEnemyBulletKind kind, double direction, double speed) {
    CStage& stage = *enemy.mStage;
    CEnemyBulletCreator::fCreate(stage.fGetNewEnemyBullet(), &enemy, kind, stage, enemy.mPosition, direction,
                                 speed);
}

void fShowAlert(CEnemy& enemy) {
    CStage& stage = *enemy.mStage;
    CEffectCreator::fCreate(stage.fGetNewEffect(), stage, EFFECT_ALERT,
                            enemy.mPosition + SPointD(30.0, -14.0), 0.0, 0.0);
}

int fRank(const CEnemy& enemy) {
    return enemy.mStage->fGetRank();
}
} // namespace

// ---- wheat ----------------------------------------------------------------------------------------------

int CFunc_KOMUGI::fGetInterval(int level) {
    return level == 19 ? 30 : 150 - 5 * level;
}

CFunc_KOMUGI::CFunc_KOMUGI(int level)
    : mCountdown(fGetInterval(level) / 2), mInterval(fGetInterval(level)), mLevel(level) {}

void CFunc_KOMUGI::operator()(CEnemy& enemy) {
    if (mMode == NORMAL) {
        fNormal(enemy);
    } else {
        fBurrow(enemy);
    }
}

void CFunc_KOMUGI::fNormal(CEnemy& enemy) {
    if (enemy.fGetDistanceToParty() <= kAlertDistance) {
        enemy.fSetNormalColor();
        if (!mAlerted) {
            fShowAlert(enemy);
            mAlerted = true;
            if (fRank(enemy) > kBurrowRank) {
                // Burrowing starts next frame at its frame 0.
                mMode = BURROW;
                mModeTimer = 0;
                return;
            }
        }
    } else if (mAlerted) {
        mAlerted = false;
        mCountdown = mInterval / 2;
    }
    if (!mAlerted) {
        mCountdown = std::max(0, mCountdown - 1);
        enemy.fWarningBlink(mCountdown);
        if (mCountdown == 0) {
            const double angle = enemy.fGetAngleToParty();
            fShoot(enemy, ENEMY_BULLET_GREEN, angle, 1.2);
            if (mLevel > 16) {
                const int spread1 = gRandom->fGetRand(0, 10);
                const int speed1 = gRandom->fGetRand(0, 10);
                fShoot(enemy, ENEMY_BULLET_GREEN, angle + spread1, speed1 * 0.12 + 0.6);
                const int spread2 = gRandom->fGetRand(0, 10);
                const int speed2 = gRandom->fGetRand(0, 10);
                fShoot(enemy, ENEMY_BULLET_GREEN, angle - spread2, speed2 * 0.12 + 0.6);
            }
            mCountdown = mInterval;
        }
    }
    ++mModeTimer;
}

void CFunc_KOMUGI::fBurrow(CEnemy& enemy) {
    const int t = mModeTimer;
    SDrawData& d = enemy.mDrawData;
    d.clip = true;
    if (t == 0) {
        // Underground it can neither be shot nor touched.
        enemy.mShotProof = true;
        enemy.mTouchSafe = true;
        d.clipRect = SRectD(0.0, 0.0, 32.0, 32.0);
    }
    if (t < 50) {
        d.offsetY += 1.0;
    }
    if (t == 50) {
        enemy.mSpeed = 2.2;
        enemy.mDirection = enemy.fGetAngleToParty();
    }
    if (t == 129) {
        enemy.mSpeed = 0.0;
    }
    if (t >= 130 && t < 180) {
        d.offsetY -= 1.0;
    }
    if (t == 180) {
        enemy.mShotProof = false;
        enemy.mTouchSafe = false;
        d.clip = false;
        mMode = NORMAL;
    }
    ++mModeTimer;
}

// ---- sheep ----------------------------------------------------------------------------------------------

void CFunc_SEEP::fPickWalk(CEnemy& enemy) {
    const int walks = gRandom->fGetRand(2, 3);
    mCountdown = mInterval * walks;
    enemy.mSpeed = 0.8;
    const int quarter = gRandom->fGetRand(0, 3);
    enemy.mDirection = quarter * 90.0;
}

void CFunc_SEEP::fFire(CEnemy& enemy) {
    const int rank = fRank(enemy);
    const double a = enemy.fGetAngleToParty();
    if (rank >= 10) {
        fShoot(enemy, ENEMY_BULLET_SEEP_SHOT, a + 10.0, 1.0);
    }
    fShoot(enemy, ENEMY_BULLET_SEEP_SHOT, a, 1.5);
    if (rank >= 15) {
        fShoot(enemy, ENEMY_BULLET_SEEP_SHOT, a - 10.0, 2.0);
    }
}

void CFunc_SEEP::operator()(CEnemy& enemy) {
    if (enemy.fGetCounter() == 0) {
        mInterval = 100 - 4 * fRank(enemy);
        fPickWalk(enemy);
    }
    enemy.fWarningBlink(mCountdown);
    if (mCountdown == 0) {
        fFire(enemy);
        fPickWalk(enemy);
    } else {
        --mCountdown;
    }
}

// ---- pig ------------------------------------------------------------------------------------------------

int CFunc_PIG::fGetChargeSpeed(int rank) {
    return static_cast<int>(rank * 0.25 + 2.0);
}

void CFunc_PIG::operator()(CEnemy& enemy) {
    if (mCooldown > 0) {
        // Still charging: keep running the same way.
        --mCooldown;
        return;
    }
    const SPointD party = enemy.fGetPartyPosition();
    if (std::abs(party.y - enemy.mPosition.y) <= 10.0) {
        enemy.mTouchAttack = 2;
        mWalkTimer = 0;
        enemy.mSpeed = fGetChargeSpeed(fRank(enemy));
        mCooldown = kChargeCooldown;
        enemy.mDirection = party.x <= enemy.mPosition.x ? 270.0 : 90.0;
    }
    if (mWalkTimer == 0 && mCooldown == 0) {
        enemy.mTouchAttack = 1;
        const int seconds = gRandom->fGetRand(1, 3);
        mWalkTimer = seconds * 60;
        enemy.mSpeed = 1.0;
        const int quarter = gRandom->fGetRand(0, 3);
        enemy.mDirection = quarter * 90.0;
    } else if (mWalkTimer > 0) {
        --mWalkTimer;
    }
}

// ---- rice bale ------------------------------------------------------------------------------------------

CFunc_KOMEDAWARA::CFunc_KOMEDAWARA(int level)
    : mCountdown((150 - 4 * level) / 2), mInterval(150 - 4 * level) {}

int CFunc_KOMEDAWARA::fGetFanCount(int rank) {
    return static_cast<int>(rank * 0.15) + 2;
}

int CFunc_KOMEDAWARA::fGetFanOffset(int rank, int i) {
    const int n = fGetFanCount(rank);
    const int step = 20 - static_cast<int>(rank * 0.3);
    // Integer division: the half of a negative spread rounds toward zero.
    return ((1 - n) * step) / 2 + i * step;
}

void CFunc_KOMEDAWARA::operator()(CEnemy& enemy) {
    const double distance = enemy.fGetDistanceToParty();
    if (distance <= 100.0) {
        enemy.fSetNormalColor();
        if (!mAlerted) {
            fShowAlert(enemy);
            mAlerted = true;
        }
        if (fRank(enemy) > 4) {
            enemy.mSpeed = 0.5;
            enemy.mDirection = enemy.fGetAngleToParty() + 180.0;
        }
    } else {
        if (mAlerted) {
            mAlerted = false;
            mCountdown = mInterval / 2;
            enemy.fSetNormalColor();
        }
        if (enemy.mSpeed > 0.0) {
            enemy.mSpeed = 0.0;
        }
    }
    if (!mAlerted && distance < 300.0) {
        mCountdown = std::max(0, mCountdown - 1);
        enemy.fWarningBlink(mCountdown);
        if (mCountdown == 0) {
            const int rank = fRank(enemy);
            const double a = enemy.fGetAngleToParty();
            const double speed = rank * 0.03 + 0.8;
            for (int i = 0; i < fGetFanCount(rank); ++i) {
                fShoot(enemy, ENEMY_BULLET_MINI_SUSHI, a + fGetFanOffset(rank, i), speed);
            }
            mCountdown = mInterval;
        }
    }
}

// ---- chicken --------------------------------------------------------------------------------------------

void CFunc_NIWATORI::fSetImage(CEnemy& enemy, bool flying) {
    SDrawData& d = enemy.mDrawData;
    d.fClearCels();
    d.fAddCel(gImageManager->fGetHandle(flying ? "enemy/niwatori_fly1.png" : "enemy/niwatori1.png"));
    d.fAddCel(gImageManager->fGetHandle(flying ? "enemy/niwatori_fly2.png" : "enemy/niwatori2.png"));
    d.fSetAnimeWait(flying ? 5 : 10);
    d.fSetSizeAndCenter(32, 32);
}

void CFunc_NIWATORI::operator()(CEnemy& enemy) {
    const double walkSpeed = fRank(enemy) * 0.1 + 1.2;
    if (mMode == WALK) {
        if (enemy.fGetCounter() % 60 == 0 && enemy.fGetDistanceToParty() < 300.0) {
            enemy.mSpeed = walkSpeed;
            enemy.mDirection = enemy.fGetAngleToParty();
        }
        if (mLevel > 10 && enemy.mStage->fIsNearMarker(enemy.mPosition)) {
            // Something was hit close by: flutter away from the party.
            fSetImage(enemy, true);
            mMode = FLY;
            mModeTimer = 0;
            enemy.mDirection = enemy.fGetAngleToParty() + 180.0;
            enemy.mSpeed = walkSpeed + 1.0;
        }
    } else {
        if (mModeTimer < 40) {
            enemy.mDrawData.offsetY -= 0.5;
        } else {
            enemy.mDrawData.offsetY += 1.0;
        }
        if (mModeTimer == 60) {
            fSetImage(enemy, false);
            mMode = WALK;
            mModeTimer = 0;
            enemy.mSpeed = walkSpeed;
            enemy.mDrawData.offsetY = 0.0;
        }
    }
    ++mModeTimer;
}

// ---- the state digest ------------------------------------------------------------------------------------

void CFunc_KOMUGI::fAddToDigest(CStateDigest& digest) const {
    digest.fAddFlag(mAlerted);
    for (int value : {mCountdown, mInterval, mLevel, static_cast<int>(mMode), mModeTimer}) {
        digest.fAddInt(value);
    }
}

void CFunc_SEEP::fAddToDigest(CStateDigest& digest) const {
    digest.fAddInt(mCountdown);
    digest.fAddInt(mInterval);
}

void CFunc_PIG::fAddToDigest(CStateDigest& digest) const {
    digest.fAddInt(mWalkTimer);
    digest.fAddInt(mCooldown);
}

void CFunc_KOMEDAWARA::fAddToDigest(CStateDigest& digest) const {
    digest.fAddFlag(mAlerted);
    digest.fAddInt(mCountdown);
    digest.fAddInt(mInterval);
}

void CFunc_NIWATORI::fAddToDigest(CStateDigest& digest) const {
    digest.fAddInt(static_cast<int>(mMode));
    digest.fAddInt(mModeTimer);
    digest.fAddInt(mLevel);
}

namespace {
template <typename Behaviour>
bool fAddIfRuns(const CEnemy::Callback& behaviour, int tag, CStateDigest& digest) {
    const Behaviour* b = behaviour.target<Behaviour>();
    if (b == nullptr) {
        return false;
    }
    digest.fAddInt(tag);
    b->fAddToDigest(digest);
    return true;
}
} // namespace

void fAddBehaviourToDigest(const CEnemy::Callback& behaviour, CStateDigest& digest) {
    if (fAddIfRuns<CFunc_KOMUGI>(behaviour, 1, digest) || fAddIfRuns<CFunc_SEEP>(behaviour, 2, digest) ||
        fAddIfRuns<CFunc_PIG>(behaviour, 3, digest) || fAddIfRuns<CFunc_KOMEDAWARA>(behaviour, 4, digest) ||
        fAddIfRuns<CFunc_NIWATORI>(behaviour, 5, digest)) {
        return;
    }
    // A plain function (the seaweed can's) keeps no state; none at all is the enemy not set up.
    digest.fAddInt(behaviour ? 6 : 0);
}

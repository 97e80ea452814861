// A food-themed enemy. The stage's collision pass reads these flags; the kinds and their behaviours are
// set up by the enemy creator.
#pragma once

#include "Stage/CActorInStage.h"
#include "Stage/CBullet.h"

#include <memory>

class CEnemy : public CActorInStage {
public:
    // A player bullet's hit: whether it burns, its knock-back, its attack's kill counter and its attack.
    virtual void fDamage(bool burns, const SKnockRecord& knock,
                         const std::shared_ptr<CKillCountManager>& killCounter, int attack);

    int mLife = 0;
    bool mShotProof = false;
    bool mTouchSafe = false;
    int mTouchAttack = 1;
};

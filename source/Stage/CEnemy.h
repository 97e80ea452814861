// A food-themed enemy. The stage's collision pass reads these flags; the kinds and their behaviours are
// set up by the enemy creator.
#pragma once

#include "Stage/CActorInStage.h"
#include "Stage/CBullet.h"

class CEnemy : public CActorInStage {
public:
    // A player bullet's hit: attack value, the shot's kill counter, its knock-back and whether it burns.
    virtual void fDamage(int attack, CKillCountManager* killCounter, const SKnockRecord& knock, bool burns);

    int mLife = 0;
    bool mShotProof = false;
    bool mTouchSafe = false;
    int mTouchAttack = 1;
};

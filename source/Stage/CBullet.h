// The one bullet class of both sides; the stage keeps a pool for the party's shots and one for enemy shots.
#pragma once

#include "Stage/CActorInStage.h"

#include <functional>
#include <memory>

class CEnemy;
class CKillCountManager;

// The knock-back a hit gives an enemy.
struct SKnockRecord {
    int frames = 0;
    double direction = 0.0;
    double speed = 0.0;
};

class CBullet : public CActorInStage {
public:
    // Removal margins beyond the screen's edges; wide for shots that start or turn outside the screen.
    static constexpr double kMargin = 32.0;
    static constexpr double kWideMargin = 128.0;

    void fUpdate() override;
    void fAddToDigest(CStateDigest& digest) const override;

    virtual void fReset();
    virtual void fSetup(CStage& stage, CEnemy* owner, int attack, const SDrawData& drawData, SPointD position,
                        double direction, double speed);
    virtual void fOnHit();

    int mLifetime = -1;
    CEnemy* mOwner = nullptr;
    bool mWideMargin = false;
    int mAttack = 0;
    bool mVanishesOnHit = true;
    bool mIgnoresTerrain = false;
    std::function<void(CBullet&)> mBehaviour;
    std::function<void(CBullet&)> mOnHitCallback;
    SPointD mDrift;
    bool mHarmless = false;
    bool mErasesEnemyBullets = false;
    bool mBurns = false;
    // Shared by the bullets of one attack and the enemies they hurt.
    std::shared_ptr<CKillCountManager> mKillCounter;
    SKnockRecord mKnock;
};

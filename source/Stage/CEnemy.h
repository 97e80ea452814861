// A food-themed enemy: what every kind shares. Life with a hit flash that makes it briefly invulnerable,
// knock-back, the burnt death, the death step (score with the multi-kill multiplier, then the ingredient
// drop), removal once it leaves the screen, and its shadow and life bar. The kinds are set up by
// CEnemyCreator, which binds each kind's behaviour and drop as callbacks.
#pragma once

#include "Stage/CActorInStage.h"
#include "Stage/CBullet.h"
#include "Stage/CFrameCountdown.h"

#include <functional>
#include <memory>
#include <vector>

class CKillCountManager;

class CEnemy : public CActorInStage {
public:
    using Callback = std::function<void(CEnemy&)>;

    static constexpr int kHitFlashFrames = 30;
    static constexpr int kDeathFlashFrames = 20;
    static constexpr int kBurntFlashFrames = 30;
    // Enemies further than this outside the screen are removed (no score, no drop).
    static constexpr double kOffScreenMargin = 50.0;
    static constexpr int kBurntAnimeWait = 1024;

    void fUpdate() override;
    void fDraw() override;
    // Also the behaviour's own timers and mode.
    void fAddToDigest(CStateDigest& digest) const override;

    virtual void fDrawShadow();
    virtual void fInitShadow();
    virtual void fReset();
    virtual void fSetup(const SDrawData& drawData, SPointD position, CStage& stage, int lifetime,
                        double direction, double speed);
    virtual bool fIsFlashing() const { return mFlashTimer > 0; }
    // A player bullet's hit: whether it burns, its knock-back, its attack's kill counter and its attack.
    virtual void fDamage(bool burns, const SKnockRecord& knock,
                         const std::shared_ptr<CKillCountManager>& killCounter, int attack);
    virtual void fDrawLifeBar();
    virtual int fGetScore() const { return mScore * fGetScoreRate(); }
    virtual int fGetScoreRate() const { return 1; }

    // Shared by the behaviours.
    // The body blinks red twice while a shot countdown runs out.
    void fWarningBlink(int countdown);
    void fSetNormalColor();
    // The party's map position, and the direction and distance to it from this enemy.
    SPointD fGetPartyPosition() const;
    double fGetAngleToParty() const;
    double fGetDistanceToParty() const;

    int mKind = -1; // EEnemyKind, set by CEnemyCreator
    int mTouchAttack = 1;
    int mLifetime = -1;
    int mMaxLife = 0;
    int mLife = 0;
    int mScore = 10;
    bool mShotProof = false;
    bool mTouchSafe = false;
    bool mBurnt = false;
    int mBurnFrames = 0;
    bool mCanBurn = false;
    Callback mBehaviour;
    Callback mOnDeath;
    SPointD mKnockVector;
    SDrawData mShadow;
    bool mNotYetOnScreen = true;
    int mFlashTimer = 0;
    std::shared_ptr<CKillCountManager> mLastKillCounter;
    CFrameCountdown mKnockTimer;

private:
    // Does the town block the enemy where it stands now?
    bool fIsBlockedHere();
    // The knock-back moves the enemy on from where its own step left it, unless the town is in the way:
    // then it goes back to `before`.
    void fMoveByKnock(SPointD before);
    // The death step: score with the multi-kill multiplier, the run's statistics, then the drop.
    void fDie();
    // Facing follows the heading, kept in [0, 360).
    void fFaceHeading();

    // The hit rectangles placed at the position, kept so that the per-frame wall test allocates nothing.
    std::vector<SRectD> mPlacedRects;
};

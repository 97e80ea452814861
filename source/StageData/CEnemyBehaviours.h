// The per-frame behaviours of the enemy kinds. Each is a small object bound to its enemy as a callback and
// called every frame while the enemy is alive and not flashing. Random numbers are drawn one per statement,
// in a fixed order: replays depend on it.
#pragma once

#include "Stage/CEnemy.h"

class CStateDigest;

// Wheat: shoots seeds at the party from afar; above rank 10 it burrows when the party comes close and
// crawls toward it unseen.
class CFunc_KOMUGI {
public:
    enum EMode : int { NORMAL, BURROW };
    static constexpr double kAlertDistance = 100.0;
    static constexpr int kBurrowRank = 10;

    explicit CFunc_KOMUGI(int level);
    void operator()(CEnemy& enemy);
    void fAddToDigest(CStateDigest& digest) const;

    static int fGetInterval(int level);

private:
    void fNormal(CEnemy& enemy);
    void fBurrow(CEnemy& enemy);

    bool mAlerted = false;
    int mCountdown;
    int mInterval;
    int mLevel;
    EMode mMode = NORMAL;
    int mModeTimer = 0;
};

// Sheep: walks about in straight lines and puffs sleepy clouds at the party, more of them at higher ranks.
class CFunc_SEEP {
public:
    void operator()(CEnemy& enemy);
    void fAddToDigest(CStateDigest& digest) const;

private:
    void fPickWalk(CEnemy& enemy);
    void fFire(CEnemy& enemy);

    int mCountdown = 0;
    int mInterval = 0;
};

// Pig: wanders, and charges along the row when the party is level with it.
class CFunc_PIG {
public:
    static constexpr int kChargeCooldown = 120;
    void operator()(CEnemy& enemy);
    void fAddToDigest(CStateDigest& digest) const;

    static int fGetChargeSpeed(int rank);

private:
    int mWalkTimer = 0;
    int mCooldown = 0;
};

// Rice bale: fires fans of mini sushi; above rank 4 it backs away from a party that comes close.
class CFunc_KOMEDAWARA {
public:
    explicit CFunc_KOMEDAWARA(int level);
    void operator()(CEnemy& enemy);
    void fAddToDigest(CStateDigest& digest) const;

    // The direction of bullet i of a fan at a rank, relative to the direction of the party.
    static int fGetFanCount(int rank);
    static int fGetFanOffset(int rank, int i);

private:
    bool mAlerted = false;
    int mCountdown;
    int mInterval;
};

// Chicken: runs at the party; above level 10 it flutters away when an enemy is hit nearby.
class CFunc_NIWATORI {
public:
    enum EMode : int { WALK, FLY };
    explicit CFunc_NIWATORI(int level) : mLevel(level) {}
    void operator()(CEnemy& enemy);
    void fAddToDigest(CStateDigest& digest) const;
    // Switches between the walking and the flying images.
    static void fSetImage(CEnemy& enemy, bool flying);

private:
    EMode mMode = WALK;
    int mModeTimer = 0;
    int mLevel;
};

// Which kind's behaviour an enemy runs and the behaviour's own state (timers, mode), for the state digest.
void fAddBehaviourToDigest(const CEnemy::Callback& behaviour, CStateDigest& digest);

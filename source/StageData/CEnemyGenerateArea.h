// The four hunting grounds of the town. While the party stands inside one, it sends a wave of enemies
// whenever its timer has run out: first a fixed group, then one or two of any kind. Every enemy is announced
// by a blinking marker that creates it 90 frames later.
#pragma once

#include "StageData/CEnemyCreator.h"
#include "geometry/CPoint.h"

#include <span>

class CStage;

class CEnemyGenerateAreaBase {
public:
    // Bounds in map cells of 16 pixels, inclusive.
    CEnemyGenerateAreaBase(int left, int right, int top, int bottom);
    virtual ~CEnemyGenerateAreaBase() = default;

    // One frame of the wave timer.
    virtual void fTick();
    // Starts a wave when the timer has run out.
    virtual void fGenerate(CStage& stage) = 0;

    // Strictly inside: a cell of the outer rows and columns does not count.
    bool fIsInside(SPointI cell) const;
    // The party has left: the next visit starts a wave at once.
    void fMakeReady() { mWaveTimer = 0; }
    int fGetWaveTimer() const { return mWaveTimer; }
    int fGetLeft() const { return mLeft; }
    int fGetRight() const { return mRight; }
    int fGetTop() const { return mTop; }
    int fGetBottom() const { return mBottom; }

protected:
    // The wave of one area: the next one is due after `base` frames, longer for every three enemies out.
    void fStartWave(CStage& stage, int base, std::span<const EEnemyKind> fixedPart);

private:
    // A marker at a random point at least 8 pixels inside the area. The point is drawn before the kind of a
    // random enemy; replays rely on that order.
    SPointD fDrawSpawnPoint() const;
    static void fAnnounce(CStage& stage, SPointD position, EEnemyKind kind);

    int mLeft;
    int mRight;
    int mTop;
    int mBottom;
    int mWaveTimer = 0;
};

// North-west: wheat.
class CEnemyGenerateArea1 : public CEnemyGenerateAreaBase {
public:
    CEnemyGenerateArea1() : CEnemyGenerateAreaBase(2, 26, 3, 25) {}
    void fGenerate(CStage& stage) override;
};

// North-east: pigs and a sheep.
class CEnemyGenerateArea2 : public CEnemyGenerateAreaBase {
public:
    CEnemyGenerateArea2() : CEnemyGenerateAreaBase(37, 61, 5, 27) {}
    void fGenerate(CStage& stage) override;
};

// South-west: chickens.
class CEnemyGenerateArea3 : public CEnemyGenerateAreaBase {
public:
    CEnemyGenerateArea3() : CEnemyGenerateAreaBase(2, 24, 43, 71) {}
    void fGenerate(CStage& stage) override;
};

// East: rice bales and a seaweed can, a little slower.
class CEnemyGenerateArea4 : public CEnemyGenerateAreaBase {
public:
    CEnemyGenerateArea4() : CEnemyGenerateAreaBase(57, 77, 36, 61) {}
    void fGenerate(CStage& stage) override;
};

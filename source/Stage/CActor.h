// Everything that moves or is drawn in the stage is an actor: a sprite with a position, a direction and a
// speed, hit shapes relative to its centre, an alive flag and a frame counter.
#pragma once

#include "geometry/CPoint.h"
#include "render/CDrawData.h"

#include <memory>

class CStateDigest;
#include <vector>

// A point's two coordinates, for the digests of the actors that hold points.
void fAddPointToDigest(CStateDigest& digest, SPointD point);

class CActor {
public:
    CActor() = default;
    CActor(const SDrawData& drawData, SPointD position);
    CActor(const SDrawData& drawData, SPointD position, double direction, double speed);
    virtual ~CActor() = default;

    virtual void fCopyTo(CActor& other) const;
    virtual std::unique_ptr<CActor> fClone() const;
    virtual void fInit(const SDrawData& drawData, SPointD position);
    virtual void fInitMove(const SDrawData& drawData, SPointD position, double direction, double speed);
    virtual void fUpdateBase();
    virtual void fUpdate();
    virtual std::vector<SRectD> fGetHitRects() const;
    virtual std::vector<SCircleD> fGetHitCircles() const;
    // One of this actor's hit circles turned by its direction and placed at its position.
    SCircleD fPlaceCircle(const SCircleD& relative) const;
    virtual void fDraw();
    virtual void fKill() { mAlive = false; }
    virtual bool fIsAlive() const { return mAlive; }
    virtual void fSetAlive(bool alive) { mAlive = alive; }
    virtual int fGetCounter() const { return mCounter; }
    // Adds what of this actor decides the rest of a run (not how it looks) to a state digest.
    virtual void fAddToDigest(CStateDigest& digest) const;

    // Fields are used directly by the owning subsystems, as plain data.
    SDrawData mDrawData;
    SPointD mPosition;
    SPointD mDrawOffset;
    std::vector<SRectD> mHitRects;
    std::vector<SCircleD> mHitCircles;
    double mDirection = 0.0;
    double mSpeed = 0.0;
    bool mAlive = false;
    int mCounter = 0;
    bool mTurnSpriteWithDirection = true;
    // Walkers keep their feet below them whichever way they walk; shots and enemies turn their shapes.
    bool mTurnShapesWithDirection = true;
};

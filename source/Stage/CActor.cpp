#include "Stage/CActor.h"

#include "base/CStateDigest.h"

CActor::CActor(const SDrawData& drawData, SPointD position) {
    fInit(drawData, position);
    mDrawData.fSetSizeAndCenterFromImage();
}

CActor::CActor(const SDrawData& drawData, SPointD position, double direction, double speed) {
    fInitMove(drawData, position, direction, speed);
    mDrawData.fSetSizeAndCenterFromImage();
}

void CActor::fCopyTo(CActor& other) const {
    other.mDrawData = mDrawData;
    other.mPosition = mPosition;
    other.mDirection = mDirection;
    other.mSpeed = mSpeed;
    other.mAlive = mAlive;
    other.mHitRects.insert(other.mHitRects.end(), mHitRects.begin(), mHitRects.end());
    other.mHitCircles.insert(other.mHitCircles.end(), mHitCircles.begin(), mHitCircles.end());
}

std::unique_ptr<CActor> CActor::fClone() const {
    auto c = std::make_unique<CActor>();
    fCopyTo(*c);
    return c;
}

void CActor::fInit(const SDrawData& drawData, SPointD position) {
    mHitRects.clear();
    mHitCircles.clear();
    mCounter = 0;
    mSpeed = 0.0;
    mDirection = 0.0;
    mPosition = position;
    mDrawData = drawData;
    mAlive = true;
    mTurnSpriteWithDirection = true;
    mTurnShapesWithDirection = true;
}

void CActor::fInitMove(const SDrawData& drawData, SPointD position, double direction, double speed) {
    fInit(drawData, position);
    mDirection = direction;
    mSpeed = speed;
}

void CActor::fUpdateBase() {
    ++mCounter;
    mDrawData.fUpdateAnime();
    if (mTurnSpriteWithDirection) {
        mDrawData.fSetAngle(mDirection);
    }
}

void CActor::fUpdate() {
    fUpdateBase();
    mPosition = mPosition + SPointD(0, -mSpeed).fRotate(mDirection);
}

std::vector<SRectD> CActor::fGetHitRects() const {
    std::vector<SRectD> out;
    out.reserve(mHitRects.size());
    for (const SRectD& r : mHitRects) {
        const SPointD offset(r.x, r.y);
        const SPointD c = (mTurnShapesWithDirection ? offset.fRotate(mDirection) : offset) + mPosition;
        out.emplace_back(c.x, c.y, r.width, r.height);
    }
    return out;
}

std::vector<SCircleD> CActor::fGetHitCircles() const {
    std::vector<SCircleD> out;
    out.reserve(mHitCircles.size());
    for (const SCircleD& k : mHitCircles) {
        out.push_back(fPlaceCircle(k));
    }
    return out;
}

SCircleD CActor::fPlaceCircle(const SCircleD& relative) const {
    const SPointD offset(relative.x, relative.y);
    const SPointD c = (mTurnShapesWithDirection ? offset.fRotate(mDirection) : offset) + mPosition;
    return {c.x, c.y, relative.radius};
}

void CActor::fDraw() {
    mDrawData.fDrawAt(mPosition + mDrawOffset);
}

void fAddPointToDigest(CStateDigest& digest, SPointD point) {
    digest.fAddReal(point.x);
    digest.fAddReal(point.y);
}

void CActor::fAddToDigest(CStateDigest& digest) const {
    fAddPointToDigest(digest, mPosition);
    fAddPointToDigest(digest, mDrawOffset);
    digest.fAddReal(mDirection);
    digest.fAddReal(mSpeed);
    digest.fAddFlag(mAlive);
    digest.fAddInt(mCounter);
    digest.fAddCount(mHitRects.size());
    for (const SRectD& r : mHitRects) {
        digest.fAddReal(r.x);
        digest.fAddReal(r.y);
        digest.fAddReal(r.width);
        digest.fAddReal(r.height);
    }
    digest.fAddCount(mHitCircles.size());
    for (const SCircleD& c : mHitCircles) {
        digest.fAddReal(c.x);
        digest.fAddReal(c.y);
        digest.fAddReal(c.radius);
    }
}

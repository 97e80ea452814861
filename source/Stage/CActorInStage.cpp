#include "Stage/CActorInStage.h"

#include "Stage/CStage.h"
#include "base/Check.h"
#include "render/ScreenGeometry.h"

void CActorInStage::fDraw() {
    TAVONI_CHECK(mStage != nullptr, "Stage", "actor drawn without a stage");
    const SPointD p = mPosition + mDrawOffset;
    // Layers are a thousand pixels apart: bullets above characters above items, lower on screen in front.
    mStage->fGetDrawQueue().fPush(p, mDrawData, static_cast<int>(p.y + mLayer * 1000));
}

void CActorInStage::fInitInStage(CStage& stage, const SDrawData& drawData, SPointD position, double direction,
                                 double speed) {
    mStage = &stage;
    mFlag = false;
    mFlag2 = false;
    fInitMove(drawData, position, direction, speed);
}

SPointD CActorInStage::fGetScreenPos() const {
    TAVONI_CHECK(mStage != nullptr, "Stage", "actor without a stage");
    return mStage->fGetTerrain().fToScreen(mPosition);
}

bool CActorInStage::fIsOffScreen(double margin) const {
    return ::fIsOffScreen(fGetScreenPos(), margin);
}

double CActorInStage::fToMapX(double x) const {
    TAVONI_CHECK(mStage != nullptr, "Stage", "actor without a stage");
    return x - mStage->fGetTerrain().fGetScrollX();
}

double CActorInStage::fToMapY(double y) const {
    TAVONI_CHECK(mStage != nullptr, "Stage", "actor without a stage");
    return y - mStage->fGetTerrain().fGetScrollY();
}

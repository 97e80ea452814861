#include "Stage/CItem.h"

#include "Stage/CStage.h"
#include "base/CStateDigest.h"

void CItem::fSetup(int kind, CStage& stage, SPointD position, const SDrawData& drawData, double direction,
                   double speed) {
    fInitInStage(stage, drawData, position, direction, speed);
    mKind = kind;
    mBounceCount = 0;
    mLayer = LAYER_ITEM;
}

void CItem::fUpdate() {
    mDrawOffset = mStage->fGetTerrain().fGetScrollOffset();
    if (fIsOffScreen(kOffScreenMargin)) {
        fKill();
        return;
    }
    CActor::fUpdate();
}

void CItem::fAddToDigest(CStateDigest& digest) const {
    CActorInStage::fAddToDigest(digest);
    digest.fAddInt(mKind);
    digest.fAddInt(mBounceCount);
}

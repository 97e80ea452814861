#include "Stage/CItem.h"

#include "Stage/CStage.h"
#include "Ziki/CFoodTables.h"
#include "util/Check.h"

void CItem::fSetup(int kind, CStage& stage, SPointD position, const SDrawData& drawData, double direction,
                   double speed) {
    fInitInStage(stage, drawData, position, direction, speed);
    mKind = kind;
    mBounceCount = 0;
    mLayer = LAYER_ITEM;
}

void CItem::fUpdate() {
    mDrawOffset = mStage->fGetTerrain().fGetScrollOffset();
    if (fIsOffScreen(100.0)) {
        fKill();
        return;
    }
    CActor::fUpdate();
}

void fCreateItem(CStage& stage, CItem& item, int kind, SPointD position) {
    TAVONI_CHECK(kind >= 0 && kind < 6, "Stage", "item kind out of range");
    SDrawData d = fMakeDrawDataFromName(fGetItemImageName(static_cast<EItemType>(kind)));
    d.fSetSizeAndCenter(32, 32);
    item.fSetup(kind, stage, position, d, 0.0, 0.0);
    item.mTurnSpriteWithDirection = false;
    item.mHitCircles.emplace_back(0.0, 0.0, 12.0);
}

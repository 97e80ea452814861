#include "Stage/CItemCreator.h"

#include "base/Check.h"

void CItemCreator::fCreate(CStage& stage, CItem& item, EItemType kind, SPointD position, double direction,
                           double speed) {
    TAVONI_CHECK(kind >= 0 && kind < ITEM_TYPE_COUNT, "Stage", "unknown item kind");
    SDrawData d = fMakeDrawDataFromName(fGetItemImageName(kind));
    d.fSetSizeAndCenter(32, 32);
    item.fSetup(kind, stage, position, d, direction, speed);
    item.mTurnSpriteWithDirection = false;
    item.mHitCircles.emplace_back(0.0, 0.0, 12.0);
}

// Turns a free item into an ingredient lying where it fell.
#pragma once

#include "Stage/CItem.h"
#include "Ziki/CFoodTables.h"

class CItemCreator {
public:
    static void fCreate(CStage& stage, CItem& item, EItemType kind, SPointD position, double direction = 0.0,
                        double speed = 0.0);
};

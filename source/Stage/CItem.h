// An ingredient lying on the ground, picked up when the party touches it.
#pragma once

#include "Stage/CActorInStage.h"

class CItem : public CActorInStage {
public:
    void fUpdate() override;
    virtual void fSetup(int kind, CStage& stage, SPointD position, const SDrawData& drawData,
                        double direction, double speed);

    int mKind = 0;
    int mBounceCount = 0;
};

// Sets up a free item of an ingredient kind (0..5) where it fell.
void fCreateItem(CStage& stage, CItem& item, int kind, SPointD position);

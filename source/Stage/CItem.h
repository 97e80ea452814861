// An ingredient lying on the ground, picked up when the party touches it.
#pragma once

#include "Stage/CActorInStage.h"

class CItem : public CActorInStage {
public:
    // Items further than this outside the screen are removed.
    static constexpr double kOffScreenMargin = 100.0;

    void fUpdate() override;
    void fAddToDigest(CStateDigest& digest) const override;
    virtual void fSetup(int kind, CStage& stage, SPointD position, const SDrawData& drawData,
                        double direction, double speed);

    int mKind = 0;
    int mBounceCount = 0;
};

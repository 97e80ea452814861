// An actor that lives in a stage: it knows its stage and a drawing layer, keeps map coordinates, and draws
// by pushing into the stage's draw queue so that layers and depth sort correctly.
#pragma once

#include "Stage/CActor.h"

class CStage;

enum EActorLayer : int {
    LAYER_ITEM = 0,
    LAYER_CHARACTER = 1,
    LAYER_BULLET = 2,
};

class CActorInStage : public CActor {
public:
    CActorInStage() = default;
    CActorInStage(const SDrawData& drawData, SPointD position) : CActor(drawData, position) {}

    void fDraw() override;

    virtual void fInitInStage(CStage& stage, const SDrawData& drawData, SPointD position, double direction,
                              double speed);
    virtual SPointD fGetScreenPos() const;
    virtual double fToMapX(double x) const;
    virtual double fToMapY(double y) const;
    // Is the actor's screen position more than `margin` pixels outside the screen?
    bool fIsOffScreen(double margin) const;

    int mLayer = 0;
    bool mFlag = false;
    CStage* mStage = nullptr;
    bool mFlag2 = false;
};

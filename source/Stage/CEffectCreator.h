// Turns a free effect of the stage's pool into one of the nine decorations.
#pragma once

#include "Stage/CEffect.h"
#include "Stage/CEffectParam.h"

#include <memory>

enum EEffectKind : int {
    EFFECT_EXPLOSION = 0,
    EFFECT_SCORE_RATE = 1,       // multi-kill badge "x2" .. "x8"
    EFFECT_SHOT_HIT = 2,         // spark where a shot hit
    EFFECT_ENEMY_APPEARANCE = 3, // blinking marker; creates its enemy on its last frame
    EFFECT_ALERT = 4,            // an enemy noticed the party
    EFFECT_RICE_CRUMB = 5,
    EFFECT_SEAWEED_CRUMB = 6,
    EFFECT_RANK_UP = 7,
    EFFECT_MAGIC_AURA = 8, // around the party while a weapon charges
};

// The appearance marker's per-frame callback: on the marker's last frame it creates the enemy it announced,
// where it blinked.
class CEffectFunc_ENEMY_APPEARANCE {
public:
    explicit CEffectFunc_ENEMY_APPEARANCE(std::shared_ptr<const CEffectParam_ENEMY_APPEARANCE> parameter)
        : mParameter(std::move(parameter)) {}
    void operator()(CEffect& effect) const;

private:
    std::shared_ptr<const CEffectParam_ENEMY_APPEARANCE> mParameter;
};

class CEffectCreator {
public:
    // The badge needs a CEffectParam_SCORE_RATE and the appearance marker a CEffectParam_ENEMY_APPEARANCE;
    // the other kinds take no parameter.
    static void fCreate(CEffect& effect, CStage& stage, EEffectKind kind, SPointD position, double direction,
                        double speed, std::shared_ptr<CEffectParam> parameter = nullptr);
};

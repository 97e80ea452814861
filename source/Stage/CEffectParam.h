// Small parameter objects handed to an effect by whoever creates it.
#pragma once

class CEffectParam {
public:
    explicit CEffectParam(int value = 0) : mValue(value) {}
    virtual ~CEffectParam() = default;

    int mValue;
};

// The kind of the enemy an appearance marker announces; the marker's colour tells the kind.
class CEffectParam_ENEMY_APPEARANCE : public CEffectParam {
public:
    using CEffectParam::CEffectParam;
    const char* fGetColorName() const;
};

// The score multiplier a badge shows (2..8).
class CEffectParam_SCORE_RATE : public CEffectParam {
public:
    using CEffectParam::CEffectParam;
};

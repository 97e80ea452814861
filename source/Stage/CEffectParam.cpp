#include "Stage/CEffectParam.h"

#include "base/Check.h"

const char* CEffectParam_ENEMY_APPEARANCE::fGetColorName() const {
    static const char* const kNames[] = {"_yellow", "_light_blue", "_red", "_green", "_purple", "_white"};
    TAVONI_CHECK(mValue >= 0 && mValue < 6, "Stage", "appearance marker for an unknown enemy kind");
    return kNames[mValue];
}

#include "Stage/CEffect.h"

#include "Stage/CStage.h"
#include "base/CStateDigest.h"
#include "base/Check.h"
#include "render/ScreenGeometry.h"

CEffect::CEffect() {
    mCallbacks.reserve(4);
}

void CEffect::fClearCallbacks() {
    mCallbacks.clear();
}

void CEffect::fSetup(int lifetime, SPointD position, const SDrawData& drawData, double direction,
                     double speed, CStage& stage, std::shared_ptr<CEffectParam> parameter) {
    fClearCallbacks();
    fInitMove(drawData, position, direction, speed);
    mStage = &stage;
    mLifetime = lifetime;
    mParameter = std::move(parameter);
    mDrawOffset = stage.fGetTerrain().fGetScrollOffset();
}

void CEffect::fSetCallback(int key, Callback callback) {
    for (auto& entry : mCallbacks) {
        if (entry.first == key) {
            entry.second = std::move(callback);
            return;
        }
    }
    mCallbacks.emplace_back(key, std::move(callback));
}

void CEffect::fRunCallback(int key) {
    for (auto& entry : mCallbacks) {
        if (entry.first == key) {
            if (entry.second) {
                entry.second(*this);
            }
            return;
        }
    }
}

void CEffect::fUpdate() {
    TAVONI_CHECK(mStage != nullptr, "Stage", "effect updated without a stage");
    mDrawOffset = mStage->fGetTerrain().fGetScrollOffset();
    if (fIsOffScreen(mPosition + mDrawOffset, kOffScreenMargin) ||
        (mLifetime >= 0 && mCounter >= mLifetime)) {
        fKill();
        return;
    }
    fRunCallback(kEveryFrame);
    fRunCallback(mCounter);
    CActor::fUpdate();
}

void CEffect::fAddToDigest(CStateDigest& digest) const {
    CActor::fAddToDigest(digest);
    digest.fAddInt(mLifetime);
    digest.fAddInt(mParameter ? mParameter->mValue : -1);
    digest.fAddCount(mCallbacks.size());
    for (const auto& [key, callback] : mCallbacks) {
        digest.fAddInt(key);
    }
}

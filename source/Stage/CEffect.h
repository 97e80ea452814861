// Short-lived decorations (explosions, sparks, badges, markers, crumbs, banners, the magic aura): plain
// actors that draw at once, above the world, and never collide. Their special behaviour is a table of
// callbacks keyed by frame number.
#pragma once

#include "Stage/CActor.h"
#include "Stage/CEffectParam.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class CStage;

class CEffect : public CActor {
public:
    using Callback = std::function<void(CEffect&)>;
    // The key of a callback run on every frame; any other key n >= 0 runs on frame n only.
    static constexpr int kEveryFrame = -1;
    // Effects further than this outside the screen are removed.
    static constexpr double kOffScreenMargin = 100.0;

    CEffect();

    void fUpdate() override;
    // Also its parameter (an appearing enemy's kind) and the frames its callbacks wait for.
    void fAddToDigest(CStateDigest& digest) const override;

    virtual void fClearCallbacks();
    virtual void fSetup(int lifetime, SPointD position, const SDrawData& drawData, double direction,
                        double speed, CStage& stage, std::shared_ptr<CEffectParam> parameter);
    // Sets the callback of a key, replacing the one it had.
    void fSetCallback(int key, Callback callback);

    CStage* mStage = nullptr;
    int mLifetime = -1;
    std::shared_ptr<CEffectParam> mParameter;

private:
    void fRunCallback(int key);

    // Few keys per effect, so a small vector; cleared, never shrunk, when the effect is reused.
    std::vector<std::pair<int, Callback>> mCallbacks;
};

#include "Stage/CEffectCreator.h"

#include "Stage/CStage.h"
#include "StageData/CEnemyCreator.h"
#include "Ziki/CZiki.h"
#include "base/Check.h"
#include "render/CImageManager.h"

#include <cstdio>
#include <string>

namespace {
// A cel that draws nothing: badges and markers blink by showing it between their images.
constexpr int kEmptyCel = -1;

SDrawData fMakeCels(std::initializer_list<std::string> names) {
    SDrawData d;
    for (const std::string& name : names) {
        d.fAddCel(gImageManager->fGetHandle(name));
    }
    return d;
}

// Sets the drawn size and the rotation centre and keeps the position at the sprite's middle.
void fSetSize(SDrawData& d, int width, int height) {
    d.fSetSizeAndCenter(width, height);
    d.fSetSourceSize(width, height);
}

// The cels "<prefix>01.png" .. "<prefix><count>.png", shown one frame each and centred on the spot, so a
// blast sits where it happens rather than beside it.
SDrawData fNumberedCels(const char* prefix, int count) {
    SDrawData d;
    for (int i = 1; i <= count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%02d.png", prefix, i);
        d.fAddCel(gImageManager->fGetHandle(name));
    }
    d.fSetAnimeWait(1);
    d.fSetSizeAndCenterFromImage();
    return d;
}

void fFadeCrumb(CEffect& e) {
    e.mDrawData.fSetAlpha(e.mDrawData.fGetAlpha() - 8.0);
}

void fGrowRankUp(CEffect& e) {
    e.mDrawData.fSetAlpha(e.mDrawData.fGetAlpha() - 10.0);
    e.mDrawData.fSetScale(e.mDrawData.fGetScale() + 0.07);
    e.mDirection += 1.0;
}

// The aura stays around the party for as long as its weapon gathers a charge.
void fFollowCharge(CEffect& e) {
    CZiki* party = e.mStage->fGetParty();
    if (party == nullptr || !party->fGetWeapon().fIsCharging()) {
        e.fKill();
        return;
    }
    if (e.mDrawData.fGetScale() <= 1.0) {
        e.mDrawData.fSetScale(e.mDrawData.fGetScale() + 0.05);
    }
    e.mPosition = party->fGetWorldPosition() + SPointD(0.0, 5.0);
    e.mDirection += 1.0;
}

// What an effect is set up with: its look, its lifetime (-1: until something ends it) and what it does
// every frame (nothing if empty).
struct SEffectSetup {
    SDrawData drawData;
    int lifetime = -1;
    CEffect::Callback everyFrame;
};

// Images shown one after the other with an empty cel, so the effect blinks.
SDrawData fBlinkingCels(std::initializer_list<std::string> names, int animeWait) {
    SDrawData d = fMakeCels(names);
    d.fAddCel(kEmptyCel);
    d.fSetAnimeWait(animeWait);
    return d;
}

SEffectSetup fScoreBadge(const std::shared_ptr<CEffectParam>& parameter) {
    const auto* rate = dynamic_cast<const CEffectParam_SCORE_RATE*>(parameter.get());
    TAVONI_CHECK(rate != nullptr, "Stage", "score badge without its multiplier");
    SDrawData d = fBlinkingCels({"ui_parts/x" + std::to_string(rate->mValue) + ".png"}, 10);
    fSetSize(d, 16, 16);
    d.fSetAlpha(255.0);
    return {std::move(d), 60, nullptr};
}

SEffectSetup fAppearanceMarker(const std::shared_ptr<CEffectParam>& parameter) {
    auto appearance = std::dynamic_pointer_cast<const CEffectParam_ENEMY_APPEARANCE>(parameter);
    TAVONI_CHECK(appearance != nullptr, "Stage", "appearance marker without its enemy kind");
    SDrawData d = fBlinkingCels({std::string("effect2") + appearance->fGetColorName() + ".png"}, 2);
    fSetSize(d, 32, 32);
    d.fSetAlpha(180.0);
    return {std::move(d), 90, CEffectFunc_ENEMY_APPEARANCE(std::move(appearance))};
}

enum class ECels {
    STILL,    // the one image
    NUMBERED, // the numbered cels of the prefix, one frame each, in the image's own size
    BLINKING, // the images and an empty cel in turn
};

// The kinds that differ only in data. The fields left out keep what the cels come with.
struct SEffectLook {
    EEffectKind kind;
    ECels cels = ECels::STILL;
    const char* images[2] = {}; // for NUMBERED, the prefix
    int count = 0;              // NUMBERED only
    int animeWait = 0;          // BLINKING only
    bool loop = true;
    int width = 0; // 0: the size the cels come with
    int height = 0;
    double alpha = 255.0;
    double scale = 1.0;
    bool rotate = false;
    int lifetime = -1;
    void (*everyFrame)(CEffect&) = nullptr;
};

constexpr SEffectLook kLooks[] = {
    {.kind = EFFECT_EXPLOSION,
     .cels = ECels::NUMBERED,
     .images = {"Explosion"},
     .count = 16,
     .loop = false,
     .lifetime = 16},
    {.kind = EFFECT_SHOT_HIT,
     .cels = ECels::NUMBERED,
     .images = {"shot_hit"},
     .count = 8,
     .alpha = 180.0,
     .lifetime = 8},
    {.kind = EFFECT_ALERT,
     .cels = ECels::BLINKING,
     .images = {"embarrassed_effect1.png", "embarrassed_effect2.png"},
     .animeWait = 4,
     .width = 32,
     .height = 32,
     .lifetime = 24},
    {.kind = EFFECT_RICE_CRUMB,
     .images = {"mini_rice.png"},
     .width = 16,
     .height = 16,
     .lifetime = 24,
     .everyFrame = fFadeCrumb},
    {.kind = EFFECT_SEAWEED_CRUMB,
     .images = {"mini_seawood.png"},
     .width = 16,
     .height = 16,
     .lifetime = 24,
     .everyFrame = fFadeCrumb},
    {.kind = EFFECT_RANK_UP,
     .images = {"effect_rankup.png"},
     .width = 128,
     .height = 48,
     .alpha = 220.0,
     .scale = 0.7,
     .lifetime = 120,
     .everyFrame = fGrowRankUp},
    {.kind = EFFECT_MAGIC_AURA,
     .images = {"magic_effect_blue.png"},
     .width = 96,
     .height = 96,
     .scale = 0.1,
     .rotate = true,
     .lifetime = -1,
     .everyFrame = fFollowCharge},
};

SDrawData fMakeLook(const SEffectLook& look) {
    SDrawData d;
    switch (look.cels) {
    case ECels::STILL:
        d = fMakeDrawDataFromName(look.images[0]);
        break;
    case ECels::NUMBERED:
        d = fNumberedCels(look.images[0], look.count);
        break;
    case ECels::BLINKING:
        for (const char* name : look.images) {
            if (name != nullptr) {
                d.fAddCel(gImageManager->fGetHandle(name));
            }
        }
        d.fAddCel(kEmptyCel);
        d.fSetAnimeWait(look.animeWait);
        break;
    }
    d.fSetLoop(look.loop);
    if (look.width > 0) {
        fSetSize(d, look.width, look.height);
    }
    d.fSetAlpha(look.alpha);
    d.fSetScale(look.scale);
    d.fSetRotate(look.rotate);
    return d;
}

SEffectSetup fFromTable(EEffectKind kind) {
    for (const SEffectLook& look : kLooks) {
        if (look.kind == kind) {
            return {fMakeLook(look), look.lifetime, look.everyFrame};
        }
    }
    TAVONI_UNREACHABLE("Stage");
}
} // namespace

void CEffectFunc_ENEMY_APPEARANCE::operator()(CEffect& effect) const {
    if (effect.fGetCounter() != effect.mLifetime - 1) {
        return;
    }
    CEnemyCreator::fCreate(effect.mStage->fGetNewEnemy(), static_cast<EEnemyKind>(mParameter->mValue),
                           *effect.mStage, effect.mPosition, SPointD(0.0, 0.0), -1);
}

void CEffectCreator::fCreate(CEffect& effect, CStage& stage, EEffectKind kind, SPointD position,
                             double direction, double speed, std::shared_ptr<CEffectParam> parameter) {
    SEffectSetup setup;
    switch (kind) {
    case EFFECT_SCORE_RATE:
        setup = fScoreBadge(parameter);
        break;
    case EFFECT_ENEMY_APPEARANCE:
        setup = fAppearanceMarker(parameter);
        break;
    default:
        setup = fFromTable(kind);
        break;
    }
    effect.fSetup(setup.lifetime, position, setup.drawData, direction, speed, stage, std::move(parameter));
    if (setup.everyFrame) {
        effect.fSetCallback(CEffect::kEveryFrame, std::move(setup.everyFrame));
    }
}

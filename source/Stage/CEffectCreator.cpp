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
    SDrawData d;
    int lifetime = -1;
    std::shared_ptr<const CEffectParam_ENEMY_APPEARANCE> appearance;
    switch (kind) {
    case EFFECT_EXPLOSION:
        d = fNumberedCels("Explosion", 16);
        d.fSetLoop(false);
        lifetime = 16;
        break;
    case EFFECT_SCORE_RATE: {
        const auto* rate = dynamic_cast<const CEffectParam_SCORE_RATE*>(parameter.get());
        TAVONI_CHECK(rate != nullptr, "Stage", "score badge without its multiplier");
        d = fMakeCels({"ui_parts/x" + std::to_string(rate->mValue) + ".png"});
        d.fAddCel(kEmptyCel);
        d.fSetAnimeWait(10);
        fSetSize(d, 16, 16);
        d.fSetAlpha(255.0);
        lifetime = 60;
        break;
    }
    case EFFECT_SHOT_HIT:
        d = fNumberedCels("shot_hit", 8);
        d.fSetAlpha(180.0);
        lifetime = 8;
        break;
    case EFFECT_ENEMY_APPEARANCE:
        appearance = std::dynamic_pointer_cast<const CEffectParam_ENEMY_APPEARANCE>(parameter);
        TAVONI_CHECK(appearance != nullptr, "Stage", "appearance marker without its enemy kind");
        d = fMakeCels({std::string("effect2") + appearance->fGetColorName() + ".png"});
        d.fAddCel(kEmptyCel);
        d.fSetAnimeWait(2);
        fSetSize(d, 32, 32);
        d.fSetAlpha(180.0);
        lifetime = 90;
        break;
    case EFFECT_ALERT:
        d = fMakeCels({"embarrassed_effect1.png", "embarrassed_effect2.png"});
        d.fAddCel(kEmptyCel);
        d.fSetLoop(true);
        d.fSetAnimeWait(4);
        fSetSize(d, 32, 32);
        lifetime = 24;
        break;
    case EFFECT_RICE_CRUMB:
    case EFFECT_SEAWEED_CRUMB:
        d = fMakeDrawDataFromName(kind == EFFECT_RICE_CRUMB ? "mini_rice.png" : "mini_seawood.png");
        fSetSize(d, 16, 16);
        d.fSetAlpha(255.0);
        lifetime = 24;
        break;
    case EFFECT_RANK_UP:
        d = fMakeDrawDataFromName("effect_rankup.png");
        fSetSize(d, 128, 48);
        d.fSetAlpha(220.0);
        d.fSetScale(0.7);
        lifetime = 120;
        break;
    case EFFECT_MAGIC_AURA:
        d = fMakeDrawDataFromName("magic_effect_blue.png");
        d.fSetRotate(true);
        fSetSize(d, 96, 96);
        d.fSetScale(0.1);
        lifetime = -1;
        break;
    default:
        TAVONI_UNREACHABLE("Stage");
    }

    effect.fSetup(lifetime, position, d, direction, speed, stage, std::move(parameter));
    switch (kind) {
    case EFFECT_ENEMY_APPEARANCE:
        effect.fSetCallback(CEffect::kEveryFrame, CEffectFunc_ENEMY_APPEARANCE(std::move(appearance)));
        break;
    case EFFECT_RICE_CRUMB:
    case EFFECT_SEAWEED_CRUMB:
        effect.fSetCallback(CEffect::kEveryFrame, fFadeCrumb);
        break;
    case EFFECT_RANK_UP:
        effect.fSetCallback(CEffect::kEveryFrame, fGrowRankUp);
        break;
    case EFFECT_MAGIC_AURA:
        effect.fSetCallback(CEffect::kEveryFrame, fFollowCharge);
        break;
    default:
        break;
    }
}

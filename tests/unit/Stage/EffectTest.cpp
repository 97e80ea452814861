#include "Stage/CEffectCreator.h"
#include "Stage/CombatTestEnv.h"
#include "render/CImageManager.h"

#include <gtest/gtest.h>

namespace {

class EffectTest : public CombatTest {
protected:
    CEffect& fCreate(EEffectKind kind, SPointD screen, std::shared_ptr<CEffectParam> param = nullptr) {
        CEffect& e = stage().fGetNewEffect();
        CEffectCreator::fCreate(e, stage(), kind, fToMap(screen), 0.0, 0.0, std::move(param));
        return e;
    }
    static void fUpdate(CEffect& e, int frames) {
        for (int i = 0; i < frames; ++i) {
            e.fUpdate();
        }
    }
};

TEST_F(EffectTest, TheAppearanceMarkerCreatesItsEnemyOnFrame89) {
    CEffect& marker =
        fCreate(EFFECT_ENEMY_APPEARANCE, {400.0, 300.0}, std::make_shared<CEffectParam_ENEMY_APPEARANCE>(2));
    EXPECT_EQ(marker.mDrawData.cels[0].handle, gImageManager->fGetHandle("effect2_red.png"));
    fUpdate(marker, 89);
    EXPECT_TRUE(stage().fGetEnemies().empty());
    fUpdate(marker, 1);
    ASSERT_EQ(stage().fGetEnemies().size(), 1u);
    const CEnemy& pig = *stage().fGetEnemies().front();
    EXPECT_EQ(pig.mPosition, marker.mPosition);
    EXPECT_EQ(pig.mDrawData.cels[0].handle, gImageManager->fGetHandle("enemy/pig1.png"));
    EXPECT_TRUE(marker.fIsAlive());
    fUpdate(marker, 1);
    EXPECT_FALSE(marker.fIsAlive());
    EXPECT_EQ(stage().fGetEnemies().size(), 1u);
}

TEST_F(EffectTest, AnAppearanceMarkerScrolledFarOffScreenCreatesNothing) {
    CEffect& marker =
        fCreate(EFFECT_ENEMY_APPEARANCE, {600.0, 300.0}, std::make_shared<CEffectParam_ENEMY_APPEARANCE>(0));
    fUpdate(marker, 50);
    terrain().fSetCamera(terrain().fGetCamera() + SPointD(-200.0, 0.0)); // the marker is now at 800
    fUpdate(marker, 50);
    EXPECT_FALSE(marker.fIsAlive());
    EXPECT_TRUE(stage().fGetEnemies().empty());
}

TEST_F(EffectTest, EffectsAreRemovedMoreThanAHundredPixelsOffScreen) {
    CEffect& in = fCreate(EFFECT_RANK_UP, {-100.0, 240.0});
    CEffect& out = fCreate(EFFECT_RANK_UP, {-101.0, 240.0});
    in.fUpdate();
    out.fUpdate();
    EXPECT_TRUE(in.fIsAlive());
    EXPECT_FALSE(out.fIsAlive());
}

TEST_F(EffectTest, TheBadgeForEightShowsX8ThenNothing) {
    CEffect& badge = fCreate(EFFECT_SCORE_RATE, {300.0, 200.0}, std::make_shared<CEffectParam_SCORE_RATE>(8));
    ASSERT_EQ(badge.mDrawData.cels.size(), 2u);
    EXPECT_EQ(badge.mDrawData.cels[0].handle, gImageManager->fGetHandle("ui_parts/x8.png"));
    EXPECT_EQ(badge.mDrawData.cels[1].handle, -1);
    fUpdate(badge, 60);
    EXPECT_TRUE(badge.fIsAlive());
    fUpdate(badge, 1);
    EXPECT_FALSE(badge.fIsAlive());
}

TEST_F(EffectTest, TheRankUpBannerLives120FramesWhateverItsAlpha) {
    CEffect& banner = fCreate(EFFECT_RANK_UP, {200.0, 12.0});
    EXPECT_DOUBLE_EQ(banner.mDrawData.fGetScale(), 0.7);
    fUpdate(banner, 120);
    EXPECT_TRUE(banner.fIsAlive());
    EXPECT_EQ(banner.mDrawData.fGetAlpha(), 0.0);
    EXPECT_NEAR(banner.mDrawData.fGetScale(), 0.7 + 120 * 0.07, 1e-9);
    fUpdate(banner, 1);
    EXPECT_FALSE(banner.fIsAlive());
}

TEST_F(EffectTest, TheAuraGoesAwayWhenTheWeaponIsNotCharging) {
    CEffect& aura = fCreate(EFFECT_MAGIC_AURA, {320.0, 240.0});
    EXPECT_EQ(aura.mLifetime, -1);
    aura.fUpdate();
    EXPECT_FALSE(aura.fIsAlive());
}

TEST_F(EffectTest, CallbacksRunEveryFrameOrOnTheirOwnFrame) {
    CEffect& e = fCreate(EFFECT_EXPLOSION, {300.0, 200.0});
    int every = 0;
    int third = -1;
    e.fSetCallback(CEffect::kEveryFrame, [&every](CEffect&) { ++every; });
    e.fSetCallback(3, [&third](CEffect& self) { third = self.fGetCounter(); });
    fUpdate(e, 10);
    EXPECT_EQ(every, 10);
    EXPECT_EQ(third, 3);
    // A reused effect starts with no callbacks.
    CEffectCreator::fCreate(e, stage(), EFFECT_EXPLOSION, e.mPosition, 0.0, 0.0);
    fUpdate(e, 5);
    EXPECT_EQ(every, 10);
}

TEST(EffectParamTest, AppearanceColoursFollowTheEnemyKinds) {
    const char* const names[] = {"_yellow", "_light_blue", "_red", "_green", "_purple", "_white"};
    for (int kind = 0; kind < 6; ++kind) {
        EXPECT_STREQ(CEffectParam_ENEMY_APPEARANCE(kind).fGetColorName(), names[kind]);
    }
}

TEST(EffectParamDeathTest, AnUnknownEnemyKindHasNoColour) {
    EXPECT_DEATH(CEffectParam_ENEMY_APPEARANCE(6).fGetColorName(), "Stage");
}

} // namespace

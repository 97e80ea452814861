#include "Ziki/CZikiBulletCreator.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CStage.h"
#include "Ziki/CZiki.h"
#include "base/Check.h"
#include "render/CImageManager.h"

#include <array>
#include <iterator>

namespace {
struct SShotKind {
    std::array<const char*, 3> images; // unused places are null
    int frameInterval;                 // frames each image is shown; 0 for a still image
    bool loops;
    int width;
    int height;
    int attack;
    int circleCount;
    std::array<SCircleD, 2> circles; // in the shot's own frame: they turn with its angle
    double rect;                     // the square against walls
    bool vanishesOnHit;
    bool ignoresTerrain;
    bool erasesEnemyBullets;
    bool burns;
    int knockFrames; // 0: the hit does not push the enemy
    int removedAfter;
    int fadeFrom; // -1: never fades
    double fadeStep;
    bool sparkOnHit;
};

constexpr double kKnockSpeed = 7.0;

// clang-format off
constexpr SShotKind kKinds[] = {
    // slash: a short cut that sweeps through everything in front of Pelka and wipes enemy shots away
    {{"ziki/slash_effect1.png", "ziki/slash_effect2.png", "ziki/slash_effect3.png"}, 6, false, 32, 32, 60,
     2, {{{-8.0, -4.0, 12.0}, {8.0, -4.0, 12.0}}}, 8.0, false, true, true, false, 1, 18, -1, 0.0, false},
    // charged slash
    {{"ziki/slash_effect1.png", "ziki/slash_effect2.png", "ziki/slash_effect3.png"}, 8, false, 32, 32, 100,
     2, {{{-8.0, -4.0, 12.0}, {8.0, -4.0, 12.0}}}, 8.0, false, true, true, false, 3, 24, -1, 0.0, false},
    // fireball: flies until it meets an enemy or a wall, and burns what it kills
    {{"ziki/fireball_effect.png", nullptr, nullptr}, 0, false, 32, 32, 45,
     1, {{{0.0, 0.0, 12.0}, {}}}, 16.0, true, false, false, true, 0, 48, 33, 35.0, true},
    // flame wall: goes through enemies, stops at walls
    {{"ziki/firewall1.png", "ziki/firewall2.png", nullptr}, 6, true, 32, 64, 65,
     1, {{{0.0, 0.0, 16.0}, {}}}, 16.0, false, false, false, true, 5, 58, 51, 30.0, true},
};
// clang-format on

// Removal and fading of a shot, counted in its own frames.
class CShotLife {
public:
    explicit CShotLife(const SShotKind* kind) : mKind(kind) {}
    void operator()(CBullet& b) const {
        if (b.fGetCounter() > mKind->removedAfter) {
            b.fKill();
            return;
        }
        if (mKind->fadeFrom >= 0 && b.fGetCounter() >= mKind->fadeFrom) {
            b.mDrawData.fSetAlpha(b.mDrawData.fGetAlpha() - mKind->fadeStep);
        }
    }

private:
    const SShotKind* mKind;
};

void fSpark(CBullet& b) {
    CStage& stage = *b.mStage;
    CEffectCreator::fCreate(stage.fGetNewEffect(), stage, EFFECT_SHOT_HIT, b.mPosition, 0.0, 0.0);
}

SDrawData fMakeShotDrawData(const SShotKind& k, double angle) {
    SDrawData d;
    for (const char* image : k.images) {
        if (image != nullptr) {
            d.fAddCel(gImageManager->fGetHandle(image));
        }
    }
    d.fSetAnimeWait(k.frameInterval > 0 ? k.frameInterval - 1 : -1);
    d.fSetLoop(k.loops);
    d.fSetSizeAndCenter(k.width, k.height);
    d.fSetSourceSize(k.width, k.height);
    // The pictures point up; the shot turns them to its angle.
    d.fSetRotate(true);
    d.fSetAngle(angle);
    return d;
}
} // namespace

void CZikiBulletCreator::fCreate(CBullet& bullet, CZiki& owner, EZikiShotKind kind, CStage& stage,
                                 SPointD position, double angle, double speed) {
    // The charged cuts move by the party's last step every frame, so they stay around her while she walks.
    // The step is taken on the frame of removal too: that frame's collision pass still sees the cut.
    class CFunc_SLASH_2 {
    public:
        explicit CFunc_SLASH_2(CZiki& party) : mParty(&party) {}
        void operator()(CBullet& b) const {
            if (b.fGetCounter() > kKinds[ZIKI_SHOT_CHARGED_SLASH].removedAfter) {
                b.fKill();
            }
            const std::vector<SPointD>& history = mParty->mAxisHistory;
            if (history.size() >= 2) {
                b.mPosition = b.mPosition + (history.back() - history[history.size() - 2]);
            }
        }

    private:
        CZiki* mParty;
    };

    TAVONI_CHECK(kind >= 0 && kind < static_cast<int>(std::size(kKinds)), "Ziki", "unknown shot kind");
    const SShotKind& k = kKinds[kind];
    bullet.fSetup(stage, nullptr, k.attack, fMakeShotDrawData(k, angle), position, angle, speed);
    bullet.mHitRects.emplace_back(0.0, 0.0, k.rect, k.rect);
    for (int i = 0; i < k.circleCount; ++i) {
        bullet.mHitCircles.push_back(k.circles[static_cast<size_t>(i)]);
    }
    bullet.mVanishesOnHit = k.vanishesOnHit;
    bullet.mIgnoresTerrain = k.ignoresTerrain;
    bullet.mErasesEnemyBullets = k.erasesEnemyBullets;
    bullet.mBurns = k.burns;
    if (k.knockFrames > 0) {
        bullet.mKnock = {k.knockFrames, angle, kKnockSpeed};
    }
    if (k.sparkOnHit) {
        bullet.mOnHitCallback = fSpark;
    }
    switch (kind) {
    case ZIKI_SHOT_SLASH:
    case ZIKI_SHOT_FIREBALL:
    case ZIKI_SHOT_FLAME_WALL:
        bullet.mBehaviour = CShotLife(&k);
        break;
    case ZIKI_SHOT_CHARGED_SLASH:
        bullet.mBehaviour = CFunc_SLASH_2(owner);
        break;
    default:
        TAVONI_UNREACHABLE("Ziki");
    }
}

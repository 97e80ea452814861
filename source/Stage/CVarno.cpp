#include "Stage/CVarno.h"
#include "base/CStateDigest.h"
#include "base/Translation.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CStage.h"
#include "Ziki/CZiki.h"
#include "Ziki/CZikiSprites.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "base/LaunchFlags.h"
#include "geometry/Define.h"
#include "render/GameFonts.h"

#include <cstdio>
#include <dx/DxLib.h>
#include <numeric>
#include <string>

namespace {
constexpr double kFeetOffsetY = 8.0;
constexpr double kWalkSpeed = 0.5;
constexpr int kRankUpSoundDelay = 12;
constexpr int kEatSoundFrequency = 22050;
// The rank-up banner sits at a fixed place of the screen.
constexpr SPointD kRankUpBannerScreen{200.0, 12.0};
constexpr double kRankUpBannerSpeed = -10.0;
constexpr int kResultIconsPerRow = 12;
constexpr int kResultRowHeight = 34;

constexpr int kDishScores[FOOD_TYPE_COUNT] = {100, 200, 200, 1000, 1000, 1000, 400, 400, 400, 200};

SDrawData fMakeSprite(const std::string& name, int w, int h) {
    SDrawData d = fMakeDrawDataFromName(name);
    d.fSetSizeAndCenter(w, h);
    return d;
}
} // namespace

CVarno::CVarno(CStage& stage) {
    SDrawData body = fMakeDrawData(fGetZikiSprite(varno, 3 * static_cast<int>(EDirectionTenkey::DOWN) + 1));
    body.fSetSizeAndCenter(24, 32);
    // Only the walk animations are shown; the actor's own sprite is a stand-in.
    body.fSetVisible(false);
    fInitInStage(stage, body, kStartPosition, 0.0, 0.0);
    mLayer = LAYER_CHARACTER;
    mTurnSpriteWithDirection = false;
    mTurnShapesWithDirection = false;
    mWalkAnim = fMakeWalkAnimations(varno, 12);
    mHitCircles.emplace_back(0.0, kFeetOffsetY, 6.0);
    mHitRects.emplace_back(0.0, kFeetOffsetY, 8.0, 8.0);
    fInitShadow();

    mBalloons = {fMakeSprite("ui_parts/fukidasi1.png", 64, 64), fMakeSprite("ui_parts/fukidasi2.png", 64, 64),
                 fMakeSprite("ui_parts/fukidasi3.png", 64, 64)};
    mHeart = fMakeSprite("ui_parts/life.png", 24, 24);
    mHeartSmall = fMakeSprite("ui_parts/life_small.png", 24, 24);
    mResultBackground = fMakeDrawDataFromName("ui_parts/result_bg.png");
    mResultBackground.fSetSizeFromImage();
    for (int dish = 0; dish < FOOD_TYPE_COUNT; ++dish) {
        SDrawData icon = fMakeDrawDataFromName(fGetFoodImageName(static_cast<EFoodType>(dish)));
        icon.fSetSizeFromImage();
        mDishIcons[static_cast<size_t>(dish)] = icon;
        icon.fSetSizeAndCenter(32, 32);
        mBalloonIcons[static_cast<size_t>(dish)] = icon;
    }
    fNextOrder();
}

void CVarno::fInitShadow() {
    mShadow = fMakeSprite("shadow.png", 24, 24);
    mShadow.fSetAlpha(80.0);
}

void CVarno::fUpdate() {
    mDrawOffset = mStage->fGetTerrain().fGetScrollOffset();
    if (fIsEating()) {
        --mEatTimer;
    }
    fWander();
    const SPointD before = mPosition;
    CActor::fUpdate();
    for (SDrawData& anim : mWalkAnim) {
        anim.fUpdateAnime();
    }
    if (mStage->fGetTerrain().fIsBlocked(mPosition, fGetHitRects())) {
        mPosition = before;
    }
    mDelayedSound.fUpdate();
    fTickCombo();
}

void CVarno::fWander() {
    if (mMoveTimer == 0 && mWaitTimer == 0) {
        mMoveTimer = gRandom->fGetRand(1, 2) * 32;
        mSpeed = kWalkSpeed;
        // Back towards the middle when at an edge of the pen, otherwise anywhere.
        int step = 0;
        if (mPosition.x <= mPen.left) {
            step = 2;
        } else if (mPosition.x >= mPen.right) {
            step = 0;
        } else if (mPosition.y <= mPen.top) {
            step = 3;
        } else if (mPosition.y >= mPen.bottom) {
            step = 1;
        } else {
            step = gRandom->fGetRand(0, 3);
        }
        mDirection = step * 90.0 - 90.0;
        mFacing = fDirection4ToTenkey(fAngleToDirection4(mDirection));
    }
    if (mMoveTimer > 0) {
        --mMoveTimer;
        if (mMoveTimer == 0) {
            mSpeed = 0.0;
            const int pause = gRandom->fGetRand(0, 4);
            mWaitTimer = pause * 30 + 60;
        }
    }
    if (mWaitTimer > 0) {
        --mWaitTimer;
    }
}

void CVarno::fReceive() {
    CZiki& party = *mStage->fGetParty();
    mFacing = fAngleToTenkey(mPosition.fGetAngleTo(party.fGetWorldPosition()));
    mSpeed = 0.0;
    const int pause = gRandom->fGetRand(0, 4);
    mWaitTimer = pause * 60 + 180;
    const EFoodType dish = mOrders.front();
    if (!fCanCook(dish, party.fGetIngredients())) {
        return;
    }
    mEaten.push_back(dish);
    party.fTakeIngredients(fGetRecipe(dish));
    fEat(dish);
}

void CVarno::fEat(EFoodType dish) {
    gSoundManager->fPlaySe(SE_EAT, false);
    mEatTimer = kEatFrames;
    CZiki& party = *mStage->fGetParty();
    party.fAddLife(fGetFoodLife(dish));
    const int bonusSeconds = fGetFoodBonusSeconds(dish);
    const int timeBefore = mStage->fGetTimeLeft();
    // Dishes in quick succession add a second more each: the combo before this dish counts.
    mStage->fAddTime((bonusSeconds + mCombo) * 60);
    if (gLaunchTraceStage) {
        std::printf("stage fed dish %d: time %d -> %d\n", static_cast<int>(dish), timeBefore,
                    mStage->fGetTimeLeft());
    }
    party.fSetBonusTimeShow(mCombo * 60, bonusSeconds * 60);
    fAddCombo();
    SRunStats& stats = mStage->fGetStats();
    ++stats.dishes;
    stats.eaten.push_back(static_cast<int>(dish));
    stats.bestCombo = std::max(stats.bestCombo, mCombo);
    if (mEaten.size() % kDishesPerRankUp == 0) {
        mDelayedSound.fStart(kRankUpSoundDelay);
        mDelayedSound.fSetOnEnd([] { gSoundManager->fPlaySe(SE_RANK_UP, false); });
        CEffectCreator::fCreate(mStage->fGetNewEffect(), *mStage, EFFECT_RANK_UP,
                                mStage->fGetTerrain().fToMap(kRankUpBannerScreen), 0.0, kRankUpBannerSpeed);
        mStage->fAddRank(1);
    }
    fNextOrder();
}

void CVarno::fAddCombo() {
    mCombo += 1;
    mComboTimer = kComboFrames;
}

void CVarno::fTickCombo() {
    if (mCombo > 0 && mComboTimer > 0) {
        --mComboTimer;
        if (mComboTimer < 1) {
            mCombo = 0;
            gSoundManager->fSetFrequency(SE_EAT, kEatSoundFrequency);
        }
    }
}

void CVarno::fNextOrder() {
    const int rank = mStage->fGetRank();
    if (static_cast<int>(mOrders.size()) < mOrderLength) {
        while (static_cast<int>(mOrders.size()) < mOrderLength) {
            mOrders.push_back(mStage->fGetFoodTables().fDrawFood(rank));
        }
        return;
    }
    mOrders.erase(mOrders.begin());
    mOrders.push_back(mStage->fGetFoodTables().fDrawFood(rank));
}

int CVarno::fGetDishScore(EFoodType dish) {
    return kDishScores[static_cast<size_t>(dish)];
}

int CVarno::fGetBonus() const {
    return std::accumulate(mEaten.begin(), mEaten.end(), 0,
                           [](int sum, EFoodType dish) { return sum + fGetDishScore(dish); });
}

void CVarno::fDrawShadow() {
    const SPointD p = mPosition + mDrawOffset;
    mStage->fGetDrawQueue().fPush(p + SPointD(0.0, 7.0), mShadow, static_cast<int>(p.y + mLayer * 1000) - 1);
}

void CVarno::fDraw() {
    fDrawShadow();
    const SPointD p = mPosition + mDrawOffset;
    mStage->fGetDrawQueue().fPush(p, mWalkAnim[static_cast<size_t>(mFacing)],
                                  static_cast<int>(p.y + mLayer * 1000));
}

void CVarno::fDrawBalloon() {
    const SPointD p = mPosition + mDrawOffset;
    const SPointD balloonAt = p + SPointD(-10.0, -45.0);
    const SPointD iconAt = p + SPointD(-10.0, -54.0);
    if (fIsEating()) {
        mBalloons[2].fDrawAt(balloonAt);
        (mCounter % 14 < 7 ? mHeart : mHeartSmall).fDrawAt(iconAt);
        return;
    }
    const int phase = mCounter % 120;
    if (phase <= 30) {
        return;
    }
    if (phase <= 60) {
        mBalloons[0].fDrawAt(balloonAt);
    } else if (phase <= 90) {
        mBalloons[1].fDrawAt(balloonAt);
    } else {
        mBalloons[2].fDrawAt(balloonAt);
        mBalloonIcons[static_cast<size_t>(mOrders.front())].fDrawAt(iconAt);
    }
}

void CVarno::fDrawResult() {
    const unsigned int white = dx_GetColor(255, 255, 255);
    mResultBackground.fDrawAt({70.0, 50.0});
    dx_DrawStringToHandle(100, 70, fTr("いままで食べた料理"), white, gFont24Bold, 0, 0);
    for (size_t i = 0; i < mEaten.size(); ++i) {
        const int column = static_cast<int>(i) % kResultIconsPerRow;
        const int row = static_cast<int>(i) / kResultIconsPerRow;
        mDishIcons[static_cast<size_t>(mEaten[i])].fDrawAt(
            {100.0 + column * kResultRowHeight, 100.0 + row * kResultRowHeight});
    }
    const int rowsBelow = static_cast<int>(mEaten.size()) / kResultIconsPerRow * kResultRowHeight;
    char line[128];
    std::snprintf(line, sizeof line, fTr("ぼーなす：%dてん"), fGetBonus());
    dx_DrawStringToHandle(100, rowsBelow + 140, line, white, gFont24Bold, 0, 0);
    std::snprintf(line, sizeof line, fTr("ごうけい：%dてん"), mStage->fGetScore());
    dx_DrawStringToHandle(100, rowsBelow + 170, line, white, gFont24Bold, 0, 0);
}

void CVarno::fAddToDigest(CStateDigest& digest) const {
    CActorInStage::fAddToDigest(digest);
    for (const std::vector<EFoodType>* dishes : {&mOrders, &mEaten}) {
        digest.fAddCount(dishes->size());
        for (EFoodType dish : *dishes) {
            digest.fAddInt(static_cast<int>(dish));
        }
    }
    for (int value : {static_cast<int>(mFacing), mOrderLength, mEatTimer, mDelayedSound.fGetRemaining(),
                      mCombo, mComboTimer, mMoveTimer, mWaitTimer}) {
        digest.fAddInt(value);
    }
}

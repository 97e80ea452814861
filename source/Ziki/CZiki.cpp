#include "Ziki/CZiki.h"
#include "base/CStateDigest.h"

#include "Stage/CStage.h"
#include "Stage/CVarno.h"
#include "audio/CSoundManager.h"
#include "base/Check.h"
#include "geometry/Define.h"
#include "render/CImageManager.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double kPartyRectOffsetY = 8.0;
// How close the party must stand to hand a dish over.
constexpr double kFeedReach = 32.0;

// Step vectors of the keypad directions (screen axes, y down); diagonals are not normalised.
constexpr SPointD kStep[9] = {{-1, 1}, {0, 1}, {1, 1}, {-1, 0}, {0, 0}, {1, 0}, {-1, -1}, {0, -1}, {1, -1}};

SPointD fStepOf(EDirectionTenkey dir) {
    return kStep[static_cast<int>(dir)];
}
} // namespace

CZiki::CZiki(CStage& stage) {
    SDrawData d = fMakeDrawData(fGetZikiSprite(pelka, 3 * static_cast<int>(EDirectionTenkey::DOWN) + 1));
    d.fSetSizeAndCenter(24, 32);
    d.fSetVisible(false);
    fInitInStage(stage, d, kStartPosition, 0.0, 0.0);
    mDrawOffset = {};
    mLife = kMaxLife;
    mSpecialState.reset();
    mLayer = LAYER_CHARACTER;
    mTurnSpriteWithDirection = false;
    mTurnShapesWithDirection = false;
    mShadow = fMakeDrawDataFromName("shadow.png");
    mShadow.fSetSizeAndCenterFromImage();
    mSleepIcon = fMakeDrawDataFromName("ui_parts/sleep_icon.png");
    mSleepIcon.fSetSizeAndCenter(32, 32);
    fReset();
    mFacingAngle = 180.0;
    mHitRects.emplace_back(0.0, kPartyRectOffsetY, 8.0, 8.0);
    mHitCircles.emplace_back(0.0, kPartyRectOffsetY, 6.0);
}

CZiki::~CZiki() = default;

SPointD CZiki::fGetWorldPosition() const {
    return mStage->fGetTerrain().fToMap(mPosition);
}

bool CZiki::fOverlapsTerrain() const {
    const SPointD scroll = mStage->fGetTerrain().fGetScrollOffset();
    std::vector<SRectD> rects = fGetHitRects();
    for (SRectD& r : rects) {
        r.x -= scroll.x;
        r.y -= scroll.y;
    }
    return mStage->fGetTerrain().fIsBlocked(mPosition - scroll, rects);
}

void CZiki::fSetupCharactor() {
    const int base = static_cast<int>(mLeader);
    mWalkAnim = fMakeWalkAnimations(base, 11); // each image for 12 frames
    switch (mLeader) {
    case pelka:
        mFireManager = fCreateWeapon(WEAPON_SLASH, *this);
        break;
    case tosca:
        mFireManager = fCreateWeapon(WEAPON_FIREBALL, *this);
        break;
    default:
        TAVONI_UNREACHABLE("Ziki");
    }
}

void CZiki::fReset() {
    mIngredients.fill(0);
    mPosition = kStartPosition;
    mStage->fGetTerrain().fSetCamera({320.0, 240.0});
    mLife = kMaxLife;
    fSetupCharactor();
}

void CZiki::fChangeLeader() {
    if (mLeader == pelka) {
        mLeader = tosca;
        mSpeedClass = 0;
    } else {
        mLeader = pelka;
        mSpeedClass = 1;
    }
    fSetupCharactor();
    ++mStage->fGetStats().leaderSwaps;
}

void CZiki::fAddIngredient(int kind) {
    TAVONI_CHECK(kind >= 0 && kind < ITEM_TYPE_COUNT, "Ziki", "ingredient kind out of range");
    gSoundManager->fPlaySe(SE_GET, false);
    const std::optional<EFoodType> wish = mStage->fGetCurrentWish();
    const bool before = wish && fCanCook(*wish, mIngredients);
    mIngredients[static_cast<size_t>(kind)] += 1;
    const bool after = wish && fCanCook(*wish, mIngredients);
    if (!before && after) {
        gSoundManager->fPlaySe(SE_LOAD_FULL, false);
    }
}

bool CZiki::fIsIngredientFull(int kind) const {
    TAVONI_CHECK(kind >= 0 && kind < ITEM_TYPE_COUNT, "Ziki", "ingredient kind out of range");
    return mIngredients[static_cast<size_t>(kind)] > 9;
}

void CZiki::fAddLife(int n) {
    mLife += n;
    if (mLife > kMaxLife) {
        mLife = kMaxLife;
    }
}

void CZiki::fSetBonusTimeShow(int bonusTime, int bonusTime2) {
    std::printf("fSetBonusTimeShow(%d,%d)\n", bonusTime, bonusTime2);
    mBonusTimeShowTimer.fStart(90);
    mBonusTime = bonusTime;
    mBonusTime2 = bonusTime2;
}

bool CZiki::fIsBusy() const {
    if (fIsState(CSpecialState::FAINTED) || fIsState(CSpecialState::ASLEEP)) {
        return true;
    }
    if (fIsState(CSpecialState::INVINCIBLE) &&
        mSpecialState->fGetRemaining() >= mSpecialState->fGetTotal() - 15) {
        return true;
    }
    if (mFireManager && mFireManager->fIsCoolingDown()) {
        return true;
    }
    return !mKnockbackTimer.fIsEnded();
}

void CZiki::fMove(EDirectionTenkey dir) {
    if (fIsBusy() && mMoveWhileBusyTimer.fIsEnded()) {
        return;
    }
    if (dir != EDirectionTenkey::NEUTRAL) {
        mFacing = dir;
        mFacingAngle = fTenkeyToAngle(dir);
    }
    const double speed = mSpeedClass == 1 ? 2.4 : 2.1;
    const SPointD old = mPosition;
    mPosition = old + fStepOf(dir) * speed;
    if (fOverlapsTerrain()) {
        mPosition = old;
        if (fIsTenkeyDiagonal(dir)) {
            // Slide along the wall: the clockwise neighbour first, then the anticlockwise one.
            const auto [clockwise, anticlockwise] = fGetTenkeyNeighbours(dir);
            for (EDirectionTenkey n : {clockwise, anticlockwise}) {
                mPosition = old + fStepOf(n) * speed;
                if (!fOverlapsTerrain()) {
                    break;
                }
                mPosition = old;
            }
        }
    }
    mPosition.x = std::clamp(mPosition.x, 0.0, 640.0);
    mPosition.y = std::clamp(mPosition.y, 0.0, 480.0);
}

void CZiki::fUpdate() {
    if (mSpecialState) {
        mSpecialState->fUpdate();
        if (mSpecialState->fIsEnd()) {
            if (mSpecialState->fGetType() == CSpecialState::FAINTED) {
                mPosition = kStartPosition;
                mStage->fGetTerrain().fSetCamera({320.0, 240.0});
                mLife = kMaxLife;
                fSetupCharactor();
                mStage->fAddTime(-1800);
                if (mStage->fGetTimeLeft() <= 0) {
                    mStage->fSetTimeLeft(2);
                }
                fSetBonusTimeShow(-1800, 0);
                mSpecialState.emplace(CSpecialState::INVINCIBLE, 120);
            } else {
                mSpecialState.reset();
            }
        }
    }
    const SPointD old = mPosition;
    CActor::fUpdate();
    mPosition = mPosition + mKnockback;
    if (fOverlapsTerrain()) {
        mPosition = old;
    }
    fAddHistory(fGetWorldPosition());
    if (!fIsState(CSpecialState::ASLEEP)) {
        for (SDrawData& a : mWalkAnim) {
            a.fUpdateAnime();
        }
    }
    mFireManager->fUpdate();
    mMoveWhileBusyTimer.fUpdate();
    mBonusTimeShowTimer.fUpdate();
    mKnockbackTimer.fUpdate();
    ++mFrameCount;
}

void CZiki::fFire() {
    if (!fIsBusy()) {
        mFireManager->fOnHold();
    }
}

bool CZiki::fFeed() {
    CVarno* varno = mStage->fGetVarno();
    if (varno == nullptr || fGetWorldPosition().fGetDistance(varno->mPosition) >= kFeedReach) {
        return false;
    }
    varno->fReceive();
    return true;
}

void CZiki::fTakeIngredients(const SIngredients& recipe) {
    for (size_t i = 0; i < mIngredients.size(); ++i) {
        TAVONI_CHECK(mIngredients[i] >= recipe[i], "Ziki", "cooking with ingredients not carried");
        mIngredients[i] -= recipe[i];
    }
}

void CZiki::fFireRelease() {
    mFireManager->fOnRelease();
}

void CZiki::fOnScrollEdge(int /*edge*/) {}

void CZiki::fSleep() {
    if (mSpecialState) {
        return; // fainted, invincible or already asleep
    }
    mSpecialState.emplace(CSpecialState::ASLEEP, 180);
}

void CZiki::fDamage(int damage, double angle) {
    if (fIsState(CSpecialState::INVINCIBLE) || fIsState(CSpecialState::FAINTED)) {
        return;
    }
    mLife -= damage;
    if (mLife >= 0) {
        mSpecialState.emplace(CSpecialState::INVINCIBLE, 80);
    } else {
        mSpecialState.emplace(CSpecialState::FAINTED, 120);
        ++mStage->fGetStats().faints;
    }
    mFireManager->fCancelCharge();
    mKnockback = SPointD(0.0, -6.0).fRotate(angle);
    mKnockbackTimer.fStart(4);
    mKnockbackTimer.fSetOnEnd([this] { mKnockback = {}; });
}

void CZiki::fDraw() {
    const SPointD p = mPosition + mDrawOffset;
    const int base = static_cast<int>(p.y + mLayer * 1000);
    mStage->fGetDrawQueue().fPush(p + SPointD(0.0, 7.0), mShadow, base - 1);
    const bool blinkHidden = fIsState(CSpecialState::INVINCIBLE) && mCounter % 6 < 3;
    if (!blinkHidden) {
        mStage->fGetDrawQueue().fPush(p, mWalkAnim[static_cast<size_t>(mFacing)], base);
    }
    // The actor's own sprite is only a stand-in for the walking animation and stays invisible.
    CActorInStage::fDraw();
    mFireManager->fDraw();
    if (fIsState(CSpecialState::ASLEEP)) {
        mStage->fGetDrawQueue().fPush(p + SPointD(0.0, -28.0), mSleepIcon, base + 1);
    }
}

void CZiki::fAddToDigest(CStateDigest& digest) const {
    CActorInStage::fAddToDigest(digest);
    digest.fAddCount(mAxisHistory.size());
    for (SPointD p : mAxisHistory) {
        fAddPointToDigest(digest, p);
    }
    fAddPointToDigest(digest, mKnockback);
    digest.fAddCount(mIngredients.size());
    for (int n : mIngredients) {
        digest.fAddInt(n);
    }
    for (int value :
         {static_cast<int>(mLeader), mLife, static_cast<int>(mFacing), mKnockbackTimer.fGetRemaining(),
          mMoveWhileBusyTimer.fGetRemaining(), mBonusTimeShowTimer.fGetRemaining(), mBonusTime, mBonusTime2,
          mSpeedClass, mFrameCount}) {
        digest.fAddInt(value);
    }
    digest.fAddReal(mFacingAngle);
    digest.fAddInt(mSpecialState ? static_cast<int>(mSpecialState->fGetType()) : -1);
    digest.fAddInt(mSpecialState ? mSpecialState->fGetRemaining() : 0);
    mFireManager->fAddToDigest(digest);
}

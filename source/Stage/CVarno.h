// Varno, the hungry character: wanders in a small pen, wishes for one dish after another from a queue of
// three, and eats a dish when the party brings its ingredients. Eating extends the clock, heals the party,
// builds a short combo and raises the rank on every third dish; the dishes eaten make the result screen.
#pragma once

#include "Stage/CActorInStage.h"
#include "Stage/CFrameCountdown.h"
#include "Ziki/CFoodTables.h"
#include "input/Enums.h"

#include <array>
#include <vector>

class CVarno : public CActorInStage {
public:
    // The area it wanders in, in map pixels.
    struct SPen {
        int left = 672;
        int right = 752;
        int top = 768;
        int bottom = 848;
    };

    static constexpr SPointD kStartPosition{704.0, 784.0};
    static constexpr int kOrderLength = 3;
    static constexpr int kEatFrames = 60;
    static constexpr int kComboFrames = 60;
    // Every this many dishes the rank goes up.
    static constexpr int kDishesPerRankUp = 3;

    explicit CVarno(CStage& stage);

    void fUpdate() override;
    void fDraw() override;
    // Also the wishes, the dishes eaten, the combo and the wandering timers.
    void fAddToDigest(CStateDigest& digest) const override;

    virtual void fDrawShadow();
    virtual void fInitShadow();
    virtual void fTickCombo();
    virtual void fAddCombo();
    virtual bool fIsEating() const { return mEatTimer > 0; }
    virtual void fEat(EFoodType dish);
    // The party pushed the attack key next to it.
    virtual void fReceive();
    virtual void fNextOrder();
    virtual void fDrawBalloon();
    virtual int fGetBonus() const;
    virtual void fDrawResult();
    virtual void fWander();

    static int fGetDishScore(EFoodType dish);

    const std::vector<EFoodType>& fGetOrders() const { return mOrders; }
    const std::vector<EFoodType>& fGetEaten() const { return mEaten; }
    EDirectionTenkey fGetFacing() const { return mFacing; }
    int fGetEatTimer() const { return mEatTimer; }
    int fGetCombo() const { return mCombo; }
    int fGetComboTimer() const { return mComboTimer; }
    int fGetMoveTimer() const { return mMoveTimer; }
    int fGetWaitTimer() const { return mWaitTimer; }
    const SPen& fGetPen() const { return mPen; }

protected:
    SDrawData mShadow;
    std::array<SDrawData, 9> mWalkAnim;
    EDirectionTenkey mFacing = EDirectionTenkey::DOWN;
    std::vector<EFoodType> mOrders;
    int mOrderLength = kOrderLength;
    std::vector<EFoodType> mEaten;
    int mEatTimer = 0;
    CFrameCountdown mDelayedSound;
    int mCombo = 0;
    int mComboTimer = 0;
    int mMoveTimer = 0;
    int mWaitTimer = 180;
    SPen mPen;

private:
    std::array<SDrawData, 3> mBalloons;
    SDrawData mHeart;
    SDrawData mHeartSmall;
    SDrawData mResultBackground;
    // Top-left anchored for the result rows, centred for the balloon.
    std::array<SDrawData, FOOD_TYPE_COUNT> mDishIcons;
    std::array<SDrawData, FOOD_TYPE_COUNT> mBalloonIcons;
};

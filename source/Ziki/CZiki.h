// The party: two heroines of which one, the leader, walks the town at a time. It slides along walls, is
// knocked back and made invincible when hit, faints and comes back at the start after a time penalty, can
// be put to sleep, carries ingredients and feeds the hungry character.
#pragma once

#include "Stage/CFrameCountdown.h"
#include "Ziki/CFireManagerBase.h"
#include "Ziki/CFoodTables.h"
#include "Ziki/CObjectWithAxisHistory.h"
#include "Ziki/CZikiSprites.h"
#include "input/Enums.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

class CZiki : public CObjectWithAxisHistory {
public:
    class CSpecialState {
    public:
        enum EType : int {
            FAINTED = 0,
            INVINCIBLE = 2,
            ASLEEP = 3,
        };
        CSpecialState(EType type, int frames) : mType(type), mRemaining(frames), mTotal(frames) {}
        virtual ~CSpecialState() = default;
        virtual void fUpdate() { --mRemaining; }
        virtual bool fIsEnd() const { return mRemaining <= 0; }
        virtual EType fGetType() const { return mType; }
        int fGetRemaining() const { return mRemaining; }
        int fGetTotal() const { return mTotal; }

    private:
        EType mType;
        int mRemaining;
        int mTotal;
    };

    static constexpr SPointD kStartPosition{752.0, 784.0};
    static constexpr int kMaxLife = 5;

    explicit CZiki(CStage& stage);
    ~CZiki() override;

    void fUpdate() override;
    void fDraw() override;
    // Also the step history, the weapon and the party's timers.
    void fAddToDigest(CStateDigest& digest) const override;

    virtual void fChangeLeader();
    virtual SPointD fGetWorldPosition() const;
    virtual void fAddIngredient(int kind);
    virtual bool fIsIngredientFull(int kind) const;
    // Hands over what a dish is cooked from; the caller has checked that enough is carried.
    void fTakeIngredients(const SIngredients& recipe);
    virtual void fAddLife(int n);
    virtual void fSetupCharactor();
    virtual void fSetBonusTimeShow(int bonusTime, int bonusTime2);
    virtual void fDrawHud();
    virtual bool fIsBusy() const;
    virtual void fMove(EDirectionTenkey dir);
    virtual void fReset();
    virtual void fFire();
    virtual bool fFeed();
    virtual void fFireRelease();
    virtual void fOnScrollEdge(int edge);
    virtual void fSleep();
    virtual void fDamage(int damage, double angle);

    ECharactor fGetLeader() const { return mLeader; }
    int fGetLife() const { return mLife; }
    const SIngredients& fGetIngredients() const { return mIngredients; }
    const CSpecialState* fGetSpecialState() const { return mSpecialState ? &*mSpecialState : nullptr; }
    CFireManagerBase& fGetWeapon() { return *mFireManager; }
    EDirectionTenkey fGetFacing() const { return mFacing; }
    double fGetFacingAngle() const { return mFacingAngle; }
    const CFrameCountdown& fGetBonusTimeShowTimer() const { return mBonusTimeShowTimer; }
    int fGetBonusTime() const { return mBonusTime; }
    int fGetBonusTime2() const { return mBonusTime2; }
    CFrameCountdown& fGetMoveWhileBusyTimer() { return mMoveWhileBusyTimer; }

    // The image of one character of a time text; yellow selects the second colour set.
    static std::string fGetTimeCharImage(char c, bool yellow = false);

private:
    bool fOverlapsTerrain() const;
    bool fIsState(CSpecialState::EType type) const {
        return mSpecialState && mSpecialState->fGetType() == type;
    }
    void fDrawImage(const std::string& name, double x, double y, double zoom = 1.0, int r = 255, int g = 255,
                    int b = 255) const;

    ECharactor mLeader = pelka;
    SPointD mKnockback;
    SIngredients mIngredients{};
    int mLife = kMaxLife;
    std::optional<CSpecialState> mSpecialState;
    EDirectionTenkey mFacing = EDirectionTenkey::DOWN;
    double mFacingAngle = 180.0;
    std::array<SDrawData, 9> mWalkAnim;
    std::unique_ptr<CFireManagerBase> mFireManager;
    CFrameCountdown mKnockbackTimer;
    CFrameCountdown mMoveWhileBusyTimer;
    CFrameCountdown mBonusTimeShowTimer;
    int mBonusTime = 0;
    int mBonusTime2 = 0;
    int mSpeedClass = 1;
    int mFrameCount = 0;
    SDrawData mShadow;
    SDrawData mSleepIcon;
};

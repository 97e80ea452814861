// The scene in which the game is played: one run through the town against a two-minute countdown. It owns
// every stage object, runs them one frame at a time in a fixed order (replays depend on it), keeps score,
// rank and time, runs the closing states (time up, result, tips) and hands back to the title.
#pragma once

#include "Stage/CBullet.h"
#include "Stage/CEffect.h"
#include "Stage/CEnemy.h"
#include "Stage/CGeographicalFeatures.h"
#include "Stage/CItem.h"
#include "Stage/CObjectPool.h"
#include "Stage/CRunSession.h"
#include "Stage/CStageHost.h"
#include "Stage/SRunStats.h"
#include "Ziki/CFoodTables.h"
#include "base/CScene.h"
#include "render/CDrawDataQueue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CEnemyGenerator;
class CVarno;
class CZiki;

class CStage : public CScene {
public:
    // The closing sequence of a run, each shown for 240 frames (a new run shows the tip, a replay does not).
    enum class ESpecialState : int {
        TIME_UP = 1,
        RESULT = 2,
        TIPS = 3,
    };

    class CSpecialState {
    public:
        explicit CSpecialState(ESpecialState kind) : mKind(kind) {}
        virtual ~CSpecialState() = default;
        virtual void fUpdate() { --mTimer; }
        virtual bool fIsFinished() const { return mTimer <= 0; }
        virtual ESpecialState fGetKind() const { return mKind; }
        void fSetTimer(int t) { mTimer = t; }
        int fGetTimer() const { return mTimer; }

    private:
        ESpecialState mKind;
        int mTimer = kSpecialStateFrames;
    };

    class CIconManager {
    public:
        explicit CIconManager(CStage& stage);
        virtual ~CIconManager() = default;
        virtual void fDraw();
        virtual void fUpdate() {}

    private:
        SDrawData mLife;
        SDrawData mLifeBg;
        CStage* mStage;
    };

    struct SMarker {
        SPointD position;
        int age = 0;
    };

    static constexpr int kStartTime = 7200;
    static constexpr int kSpecialStateFrames = 240;
    static constexpr int kMaxRank = 19;

    // `host` hears of the stage's end and gives what lies above the world; null: a host that does nothing.
    // With `input`, a playback of that replay read beforehand (named by `replayPath`), unpacking nothing.
    CStage(const std::string& replayPath, bool start, CStageHost* host = nullptr, SReplayInput input = {});
    ~CStage() override;

    void fUpdate() override;
    void fInput() override;
    void fDraw() override;

    virtual void fAddRank(int n);
    virtual void fAddTime(int n);
    virtual int fGetScore() const { return mScore; }
    virtual void fAddScore(int n);
    virtual CEffect& fGetNewEffect() { return mEffects.fGetNew(); }
    virtual void fSetParty(CZiki* party) { mPartyRef = party; }
    virtual CEnemy& fGetNewEnemy() { return mEnemies.fGetNew(); }
    virtual CBullet& fGetNewPlayerBullet() { return mPlayerBullets.fGetNew(); }
    virtual CBullet& fGetNewEnemyBullet() { return mEnemyBullets.fGetNew(); }
    virtual CItem& fGetNewItem() { return mItems.fGetNew(); }
    virtual void fResetPools();
    virtual void fDispose();
    virtual std::vector<CEnemy*>& fGetEnemies() { return mEnemies.fGetActive(); }
    virtual int fGetRankLevel() const { return mRank / 3 + 2; }
    virtual std::vector<CItem*>& fGetItems() { return mItems.fGetActive(); }
    virtual int fGetItemTotal() const { return static_cast<int>(mItems.fGetTotal()); }
    virtual void fAgeMarkers();
    virtual bool fIsNearMarker(SPointD point) const;
    virtual void fAddMarker(SPointD point);
    virtual void fStartRun();
    virtual void fEndRun();
    void fQuit() override;
    virtual void fDrawStageHud();
    virtual void fSetSpecialState(ESpecialState kind);

    // Accessors for the stage's objects.
    CDrawDataQueue& fGetDrawQueue() { return mDrawQueue; }
    CGeographicalFeatures& fGetTerrain() { return *mTerrain; }
    const CGeographicalFeatures& fGetTerrain() const { return *mTerrain; }
    CZiki* fGetParty() { return mPartyRef; }
    // Null once fResetPools has dropped it.
    CEnemyGenerator* fGetEnemyGenerator() { return mEnemyGenerator.get(); }
    CFoodTables& fGetFoodTables() { return mFoodTables; }
    int fGetRank() const { return mRank; }
    int fGetTimeLeft() const { return mTimeLeft; }
    void fSetTimeLeft(int frames) { mTimeLeft = frames; }
    int fGetScoreThisStage() const { return mScoreThisStage; }
    int fGetBestScore() const { return mBestScore; }
    int fGetFrameCounter() const { return mFrameCounter; }
    SRunStats& fGetStats() { return mStats; }
    const SRunStats& fGetStats() const { return mStats; }
    bool fIsReplay() const { return mIsReplay; }
    // In play: built, not yet disposed and in none of the closing states; what a pause may stop.
    bool fIsInPlay() const { return mVarno != nullptr && mSpecialState == nullptr; }
    const CSpecialState* fGetSpecialState() const { return mSpecialState.get(); }
    std::vector<CBullet*>& fGetPlayerBullets() { return mPlayerBullets.fGetActive(); }
    std::vector<CBullet*>& fGetEnemyBullets() { return mEnemyBullets.fGetActive(); }
    std::vector<CEffect*>& fGetEffects() { return mEffects.fGetActive(); }

    // Null once the stage is disposed.
    CVarno* fGetVarno() { return mVarno.get(); }
    // Varno's wishes, the current one first; empty once the stage is disposed.
    std::vector<EFoodType> fGetWishList() const;
    std::optional<EFoodType> fGetCurrentWish() const;

    // The collision pass of one frame.
    void fCheckCollision();

    // A digest of everything that decides the rest of the run: the party, Varno, every live enemy, bullet,
    // item and effect, score, time, rank, the dish bags, the generator's timers and gRandom's draw count.
    // Reads only; computing it changes nothing.
    std::uint64_t fDigest() const;

private:
    // The hit circles of a pool's active objects, placed once per collision pass: the circles of object i
    // are fOf(i). The storage is kept between frames, so the pass allocates nothing once it has grown.
    class CPlacedCircles {
    public:
        template <typename T> void fPlace(const std::vector<T*>& actors);
        std::span<const SCircleD> fOf(size_t i) const {
            return {mCircles.data() + mStart[i], mCircles.data() + mStart[i + 1]};
        }

    private:
        std::vector<SCircleD> mCircles;
        std::vector<size_t> mStart;
    };

    // The steps of fUpdate that are not the world's own updates.
    void fUpdateSpecialState();
    void fCountDownTime();
    // The hunting grounds the party's feet stand in count as visited.
    void fMarkGroundsVisited();

    // The steps of the collision pass, in its order.
    void fCheckBulletAgainstTerrain(CBullet& bullet);
    void fCheckPlayerBulletAgainstEnemies(CBullet& bullet, const std::vector<SCircleD>& bulletCircles);
    void fEraseEnemyBulletsTouching(const std::vector<SCircleD>& bulletCircles);
    // The party against items, enemy bullets and enemies, one of its circles at a time.
    void fCheckParty();
    void fPickUpItemsTouching(const SCircleD& partyCircle);
    void fCheckEnemyBulletsAgainstParty(const SCircleD& partyCircle);
    void fCheckEnemiesAgainstParty(const SCircleD& partyCircle);

    void fTrace() const;
    // Every way out of the stage goes to the scene its host chooses.
    void fLeaveToMenu();
    static CStageHost& fNoHost();

    CStageHost* mHost;
    CDrawDataQueue mDrawQueue;
    CFoodTables mFoodTables;
    int mRank = 0;
    std::string mReplayPath;
    bool mIsReplay = false;
    std::unique_ptr<CGeographicalFeatures> mTerrain;
    int mTimeLeft = kStartTime;
    int mScore = 0;
    int mScoreThisStage = 0;
    int mBestScore = 0;
    int mFrameCounter = 0;
    SRunStats mStats;
    std::unique_ptr<CEnemyGenerator> mEnemyGenerator;
    std::unique_ptr<CIconManager> mIconManager;
    std::unique_ptr<CZiki> mParty;
    CZiki* mPartyRef = nullptr;
    std::unique_ptr<CVarno> mVarno;
    std::vector<SMarker> mMarkers;
    objectPool<CEffect> mEffects;
    objectPool<CEnemy> mEnemies;
    objectPool<CBullet> mPlayerBullets;
    objectPool<CBullet> mEnemyBullets;
    objectPool<CItem> mItems;
    std::unique_ptr<CSpecialState> mSpecialState;
    CPlacedCircles mEnemyCircles;
    CPlacedCircles mEnemyBulletCircles;
    // Declared last: if building the stage fails after the run started, destroying the members
    // abandons the run and gives the live keyboard back.
    CRunSession mRunSession;
};

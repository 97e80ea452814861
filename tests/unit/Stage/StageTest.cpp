#include "Stage/StageTestEnv.h"

#include <gtest/gtest.h>
#include <string>

TEST_F(StageTest, NewStageStartsWithTwoMinutesAndNothingScored) {
    EXPECT_EQ(stage().fGetTimeLeft(), 7200);
    EXPECT_EQ(stage().fGetScore(), 0);
    EXPECT_EQ(stage().fGetScoreThisStage(), 0);
    EXPECT_EQ(stage().fGetRank(), 0);
    EXPECT_EQ(stage().fGetFrameCounter(), 0);
    EXPECT_EQ(stage().fGetSpecialState(), nullptr);
    EXPECT_FALSE(stage().fIsReplay());
    EXPECT_EQ(stage().fGetItemTotal(), 100);
}

TEST_F(StageTest, RankIsClampedToZeroThroughNineteen) {
    stage().fAddRank(25);
    EXPECT_EQ(stage().fGetRank(), 19);
    stage().fAddRank(-18);
    EXPECT_EQ(stage().fGetRank(), 1);
    stage().fAddRank(-3);
    EXPECT_EQ(stage().fGetRank(), 0);
    stage().fAddRank(4);
    EXPECT_EQ(stage().fGetRank(), 4);
}

TEST_F(StageTest, RankLevelGoesFromTwoToEight) {
    const int expected[20] = {2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8};
    for (int rank = 0; rank < 20; ++rank) {
        SCOPED_TRACE(rank);
        EXPECT_EQ(stage().fGetRankLevel(), expected[rank]);
        stage().fAddRank(1);
    }
    EXPECT_EQ(stage().fGetRankLevel(), 8); // still 19
}

TEST_F(StageTest, TimeAndScoreNeverGoBelowZero) {
    stage().fAddTime(-100);
    EXPECT_EQ(stage().fGetTimeLeft(), 7100);
    stage().fAddTime(-8000);
    EXPECT_EQ(stage().fGetTimeLeft(), 0);
    stage().fAddTime(600);
    EXPECT_EQ(stage().fGetTimeLeft(), 600);

    stage().fAddScore(30);
    stage().fAddScore(-50);
    EXPECT_EQ(stage().fGetScore(), 0);
    EXPECT_EQ(stage().fGetScoreThisStage(), 0);
    stage().fAddScore(70);
    EXPECT_EQ(stage().fGetScore(), 70);
    EXPECT_EQ(stage().fGetScoreThisStage(), 70);
}

TEST_F(StageTest, ScoreThisStageIsClampedOnItsOwn) {
    stage().fAddScore(100);
    stage().fResetPools(); // score this stage back to 0, score kept
    EXPECT_EQ(stage().fGetScoreThisStage(), 0);
    stage().fAddScore(-40);
    EXPECT_EQ(stage().fGetScore(), 60);
    EXPECT_EQ(stage().fGetScoreThisStage(), 0);
    stage().fAddScore(10);
    EXPECT_EQ(stage().fGetScoreThisStage(), 10);
}

TEST_F(StageTest, ClockRunsOneFramePerUpdateWithoutInput) {
    for (int i = 1; i <= 100; ++i) {
        stage().fUpdate();
        ASSERT_EQ(stage().fGetTimeLeft(), 7200 - i);
        ASSERT_EQ(stage().fGetFrameCounter(), i);
    }
}

TEST_F(StageTest, ClockRunsTwiceAsFastAfterFifteenMinutesAndFourTimesAfterTwenty) {
    // Keep the clock from running out while the play time builds up.
    stage().fSetTimeLeft(1000000);
    while (stage().fGetFrameCounter() < 54000) {
        stage().fUpdate();
    }
    ASSERT_EQ(stage().fGetSpecialState(), nullptr);
    int before = stage().fGetTimeLeft();
    stage().fUpdate(); // counter 54000: still normal speed
    EXPECT_EQ(before - stage().fGetTimeLeft(), 1);
    before = stage().fGetTimeLeft();
    stage().fUpdate(); // counter 54001
    EXPECT_EQ(before - stage().fGetTimeLeft(), 2);

    while (stage().fGetFrameCounter() < 72000) {
        stage().fUpdate();
    }
    before = stage().fGetTimeLeft();
    stage().fUpdate(); // counter 72000
    EXPECT_EQ(before - stage().fGetTimeLeft(), 2);
    before = stage().fGetTimeLeft();
    stage().fUpdate(); // counter 72001
    EXPECT_EQ(before - stage().fGetTimeLeft(), 4);
    EXPECT_EQ(stage().fGetFrameCounter(), 72002);
}

TEST_F(StageTest, TimeUpAfterExactly7200UpdatesAndItLasts240) {
    for (int i = 0; i < 7199; ++i) {
        stage().fUpdate();
    }
    EXPECT_EQ(stage().fGetSpecialState(), nullptr);
    EXPECT_EQ(stage().fGetTimeLeft(), 1);
    stage().fUpdate();
    ASSERT_NE(stage().fGetSpecialState(), nullptr);
    EXPECT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::TIME_UP);
    EXPECT_EQ(stage().fGetTimeLeft(), 0);
    EXPECT_EQ(stage().fGetFrameCounter(), 7199);

    const SPointD partyBefore = party().mPosition;
    const SPointD cameraBefore = terrain().fGetCamera();
    for (int i = 0; i < 240; ++i) {
        stage().fUpdate();
        ASSERT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::TIME_UP) << i;
    }
    EXPECT_TRUE(stage().fGetSpecialState()->fIsFinished());
    EXPECT_EQ(stage().fGetFrameCounter(), 7199);
    EXPECT_EQ(stage().fGetTimeLeft(), 0);
    EXPECT_EQ(party().mPosition, partyBefore);
    EXPECT_EQ(terrain().fGetCamera(), cameraBefore);

    stage().fUpdate();
    EXPECT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::RESULT);
    EXPECT_EQ(stage().fGetFrameCounter(), 7199);
}

TEST_F(StageTest, NoObjectMovesDuringASpecialState) {
    stage().fSetTimeLeft(1);
    CEnemy& enemy = stage().fGetNewEnemy();
    enemy.fInitInStage(stage(), SDrawData{}, {500.0, 500.0}, 90.0, 3.0);
    stage().fUpdate(); // time up
    ASSERT_NE(stage().fGetSpecialState(), nullptr);
    const SPointD where = enemy.mPosition;
    const int counter = enemy.fGetCounter();
    for (int i = 0; i < 10; ++i) {
        stage().fUpdate();
    }
    EXPECT_EQ(enemy.mPosition, where);
    EXPECT_EQ(enemy.fGetCounter(), counter);
}

TEST_F(StageTest, PushingZDoesNotShortenTheTimeUp) {
    stage().fSetTimeLeft(1);
    fFrame();
    ASSERT_NE(stage().fGetSpecialState(), nullptr);
    ASSERT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::TIME_UP);
    for (int i = 0; i < 240; ++i) {
        // A fresh push every frame.
        mKeys->fRelease(EGameKey::KEY_Z);
        mKeys->fPress(EGameKey::KEY_Z);
        fFrame();
        ASSERT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::TIME_UP) << i;
    }
    EXPECT_EQ(stage().fGetSpecialState()->fGetTimer(), 0);
}

TEST_F(StageTest, PushingZEndsTheResultOnTheNextUpdate) {
    stage().fSetSpecialState(CStage::ESpecialState::RESULT);
    mKeys->fPress(EGameKey::KEY_Z);
    stage().fInput();
    EXPECT_EQ(stage().fGetSpecialState()->fGetTimer(), 0);
    stage().fUpdate();
    ASSERT_NE(stage().fGetSpecialState(), nullptr);
    EXPECT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::TIPS);
}

TEST_F(StageTest, MarkersAreSeenInTheirFrameAndTheNext) {
    stage().fAddMarker({100.0, 100.0});
    EXPECT_TRUE(stage().fIsNearMarker({100.0, 219.9}));
    EXPECT_FALSE(stage().fIsNearMarker({100.0, 220.0})); // exactly 120 is not near
    stage().fAgeMarkers();
    EXPECT_TRUE(stage().fIsNearMarker({219.9, 100.0}));
    stage().fAgeMarkers();
    EXPECT_FALSE(stage().fIsNearMarker({100.0, 100.0}));
}

TEST_F(StageTest, MarkersAgeWithTheStageUpdate) {
    stage().fAddMarker({2000.0, 2000.0});
    stage().fUpdate();
    EXPECT_TRUE(stage().fIsNearMarker({2000.0, 2000.0}));
    stage().fAddMarker({0.0, 0.0});
    stage().fUpdate();
    EXPECT_FALSE(stage().fIsNearMarker({2000.0, 2000.0}));
    EXPECT_TRUE(stage().fIsNearMarker({0.0, 0.0}));
    stage().fUpdate();
    EXPECT_FALSE(stage().fIsNearMarker({0.0, 0.0}));
}

TEST_F(StageTest, PoolsHandOutObjectsThatTheUpdateCollectsOnceDead) {
    const SPointD middle = party().fGetWorldPosition(); // stays on screen while the camera follows
    CEffect& a = stage().fGetNewEffect();
    a.fSetup(-1, middle, SDrawData{}, 0.0, 0.0, stage(), nullptr);
    CEffect& b = stage().fGetNewEffect();
    b.fSetup(-1, middle, SDrawData{}, 0.0, 0.0, stage(), nullptr);
    ASSERT_EQ(stage().fGetEffects().size(), 2u);
    a.fKill();
    stage().fUpdate();
    ASSERT_EQ(stage().fGetEffects().size(), 1u);
    EXPECT_EQ(stage().fGetEffects()[0], &b);
    EXPECT_EQ(b.fGetCounter(), 1);

    stage().fResetPools();
    EXPECT_TRUE(stage().fGetEffects().empty());
    EXPECT_FALSE(b.fIsAlive());
}

namespace {
bool fLogHas(const std::string& prefix) {
    for (const std::string& line : dx_GetCallLog()) {
        if (line.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}
} // namespace

TEST_F(StageTest, DrawShowsRankScoreAndTheTimeUp) {
    stage().fAddRank(4);
    stage().fAddScore(120);
    dx_SetCallLog(true);
    dx_ClearCallLog();
    stage().fDraw();
    EXPECT_TRUE(fLogHas("DrawStringToHandle(150,-2,\"Rank:4\",0xdcdcff,")) << dx_GetCallLog().size();
    EXPECT_TRUE(fLogHas("DrawStringToHandle(300,-2,\"Score:120\",0xdcffdc,"));
    EXPECT_FALSE(fLogHas("DrawStringToHandle(96,192,"));

    stage().fSetTimeLeft(1);
    stage().fUpdate();
    dx_ClearCallLog();
    stage().fDraw();
    EXPECT_TRUE(fLogHas("DrawStringToHandle(96,192,\"たいむあっぷ\",0xffffff,"));
    dx_SetCallLog(false);
}

TEST_F(StageTest, LivesRowShowsRemainingLivesThenEmptySlotsEvery25Pixels) {
    party().fDamage(2, 0.0); // five lives less two
    ASSERT_EQ(party().fGetLife(), 3);
    const std::string life = std::to_string(gImageManager->fGetHandle("ui_parts/life.png"));
    const std::string empty = std::to_string(gImageManager->fGetHandle("ui_parts/life_bg.png"));
    dx_SetCallLog(true);
    dx_ClearCallLog();
    stage().fDraw();
    dx_SetCallLog(false);
    // Top-left corners, drawn at once after the world.
    EXPECT_TRUE(fLogHas("DrawGraph(0,1," + life + ",1)"));
    EXPECT_TRUE(fLogHas("DrawGraph(25,1," + life + ",1)"));
    EXPECT_TRUE(fLogHas("DrawGraph(50,1," + life + ",1)"));
    EXPECT_FALSE(fLogHas("DrawGraph(75,1," + life + ",1)"));
    EXPECT_TRUE(fLogHas("DrawGraph(75,1," + empty + ",1)"));
    EXPECT_TRUE(fLogHas("DrawGraph(100,1," + empty + ",1)"));
    EXPECT_FALSE(fLogHas("DrawGraph(50,1," + empty + ",1)"));
    dx_ClearCallLog();
}

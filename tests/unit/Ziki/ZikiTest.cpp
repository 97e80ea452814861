#include "Stage/CItemCreator.h"
#include "Stage/StageTestEnv.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {
using EState = CZiki::CSpecialState::EType;
using D = EDirectionTenkey;

class ZikiTest : public StageTest {
protected:
    static constexpr double kPelka = 2.4;
    static constexpr double kTosca = 2.1;

    std::optional<EState> fState() {
        const auto* s = party().fGetSpecialState();
        return s ? std::optional<EState>(s->fGetType()) : std::nullopt;
    }

    bool fFree(SPointD p) { return !fPartyBlockedAt(p); }

    // A map position from which a step of 2.4 in any of the eight directions is open, and so is every
    // extra offset.
    SPointD fOpenSpot(const std::vector<SPointD>& extra = {}) {
        for (int r = 2; r < 78; ++r) {
            for (int c = 2; c < 78; ++c) {
                const SPointD p{c * 16.0 + 8.0, r * 16.0 + 8.0};
                bool open = fFree(p);
                for (int dx = -1; dx <= 1 && open; ++dx) {
                    for (int dy = -1; dy <= 1 && open; ++dy) {
                        open = fFree(p + SPointD(dx * kPelka, dy * kPelka));
                    }
                }
                for (const SPointD& e : extra) {
                    open = open && fFree(p + e);
                }
                if (open) {
                    return p;
                }
            }
        }
        ADD_FAILURE() << "the town has no open spot";
        return {};
    }

    // Just below a wall: moving up (also diagonally up) is blocked, moving left or right is not.
    SPointD fSpotBelowAWall() {
        for (int r = 1; r < 78; ++r) {
            for (int c = 1; c < 79; ++c) {
                const CMapObject* o = terrain().fGetObject(CGeographicalFeatures::kCollisionLayer, c, r);
                if (o == nullptr || o->mHitRects.empty()) {
                    continue;
                }
                // The terrain rectangle (8 x 8, 8 below the position) touches the chip's bottom edge.
                const SPointD p{c * 16.0 + 8.0, r * 16.0 + 12.0};
                if (fFree(p) && !fFree(p + SPointD(0.0, -kPelka)) && !fFree(p + SPointD(kPelka, -kPelka)) &&
                    !fFree(p + SPointD(-kPelka, -kPelka)) && fFree(p + SPointD(kPelka, 0.0)) &&
                    fFree(p + SPointD(-kPelka, 0.0))) {
                    return p;
                }
            }
        }
        ADD_FAILURE() << "the town has no wall with open ground below it";
        return {};
    }

    // Just left of a wall: moving right is blocked.
    SPointD fSpotLeftOfAWall() {
        for (int r = 1; r < 79; ++r) {
            for (int c = 1; c < 79; ++c) {
                const CMapObject* o = terrain().fGetObject(CGeographicalFeatures::kCollisionLayer, c, r);
                if (o == nullptr || o->mHitRects.empty()) {
                    continue;
                }
                const SPointD p{c * 16.0 - 4.0, r * 16.0};
                if (fFree(p) && !fFree(p + SPointD(kPelka, 0.0))) {
                    return p;
                }
            }
        }
        ADD_FAILURE() << "the town has no wall with open ground left of it";
        return {};
    }

    void fExpectAt(double x, double y) {
        EXPECT_NEAR(party().mPosition.x, x, 1e-9);
        EXPECT_NEAR(party().mPosition.y, y, 1e-9);
    }
};
} // namespace

TEST_F(ZikiTest, NewPartyIsLedByPelkaWithFullLife) {
    EXPECT_EQ(party().fGetLeader(), pelka);
    EXPECT_EQ(party().fGetLife(), 5);
    EXPECT_FALSE(fState().has_value());
    EXPECT_EQ(party().mPosition, SPointD(752.0, 784.0));
    EXPECT_EQ(terrain().fGetCamera(), SPointD(320.0, 240.0));
    EXPECT_EQ(party().fGetFacing(), D::DOWN);
    EXPECT_FALSE(party().fIsBusy());
}

TEST_F(ZikiTest, DiagonalStepMovesTheFullSpeedOnBothAxes) {
    const SPointD spot = fOpenSpot();
    fPlaceParty(spot);
    party().fMove(D::DOWN_RIGHT);
    fExpectAt(320.0 + kPelka, 240.0 + kPelka);
    EXPECT_EQ(party().fGetFacing(), D::DOWN_RIGHT);
    EXPECT_NEAR(party().fGetWorldPosition().x, spot.x + kPelka, 1e-9);

    party().fChangeLeader();
    EXPECT_EQ(party().fGetLeader(), tosca);
    fPlaceParty(spot);
    party().fMove(D::UP_LEFT);
    fExpectAt(320.0 - kTosca, 240.0 - kTosca);

    party().fChangeLeader();
    EXPECT_EQ(party().fGetLeader(), pelka);
    fPlaceParty(spot);
    party().fMove(D::UP);
    fExpectAt(320.0, 240.0 - kPelka);
    party().fMove(D::NEUTRAL);
    fExpectAt(320.0, 240.0 - kPelka);
    EXPECT_EQ(party().fGetFacing(), D::UP); // standing still keeps the facing
}

TEST_F(ZikiTest, DiagonalPushAlongAWallSlidesAtFullSpeed) {
    const SPointD spot = fSpotBelowAWall();
    ASSERT_FALSE(HasFailure());
    fPlaceParty(spot);
    party().fMove(D::UP_RIGHT);
    fExpectAt(320.0 + kPelka, 240.0);
    party().fMove(D::UP_RIGHT);
    fExpectAt(320.0 + 2 * kPelka, 240.0);

    // The other way the anticlockwise neighbour (left) is the one that is open.
    fPlaceParty(spot);
    party().fMove(D::UP_LEFT);
    fExpectAt(320.0 - kPelka, 240.0);

    // Straight up stops.
    fPlaceParty(spot);
    party().fMove(D::UP);
    fExpectAt(320.0, 240.0);
    EXPECT_EQ(party().fGetFacing(), D::UP);
}

TEST_F(ZikiTest, StraightPushIntoAWallStaysInPlace) {
    const SPointD spot = fSpotLeftOfAWall();
    ASSERT_FALSE(HasFailure());
    fPlaceParty(spot);
    party().fMove(D::RIGHT);
    fExpectAt(320.0, 240.0);
    party().fMove(D::RIGHT);
    fExpectAt(320.0, 240.0);
    EXPECT_EQ(party().fGetFacing(), D::RIGHT);
}

TEST_F(ZikiTest, MoveKeepsThePartyOnTheScreen) {
    const SPointD spot = fOpenSpot();
    fPlaceParty(spot, {639.0, 240.0});
    party().fMove(D::RIGHT);
    fExpectAt(640.0, 240.0);

    fPlaceParty(spot, {1.0, 1.0});
    party().fMove(D::UP_LEFT);
    fExpectAt(0.0, 0.0);

    fPlaceParty(spot, {320.0, 479.0});
    party().fMove(D::DOWN);
    fExpectAt(320.0, 480.0);
}

TEST_F(ZikiTest, HitAtFullLifeMakesInvincibleAndFurtherHitsAreIgnored) {
    fPlaceParty(fOpenSpot());
    party().fDamage(5, 0.0);
    EXPECT_EQ(party().fGetLife(), 0);
    ASSERT_EQ(fState(), EState::INVINCIBLE);
    EXPECT_EQ(party().fGetSpecialState()->fGetRemaining(), 80);
    EXPECT_TRUE(party().fIsBusy());

    party().fDamage(3, 0.0);
    EXPECT_EQ(party().fGetLife(), 0);
    EXPECT_EQ(party().fGetSpecialState()->fGetRemaining(), 80);

    for (int i = 0; i < 79; ++i) {
        party().fUpdate();
    }
    ASSERT_EQ(fState(), EState::INVINCIBLE);
    party().fDamage(1, 0.0);
    EXPECT_EQ(party().fGetLife(), 0);

    party().fUpdate(); // the 80th frame ends it
    EXPECT_FALSE(fState().has_value());
    party().fDamage(1, 90.0);
    EXPECT_EQ(party().fGetLife(), -1);
    ASSERT_EQ(fState(), EState::FAINTED);
    EXPECT_EQ(party().fGetSpecialState()->fGetRemaining(), 120);
    // Fainted: no further hits.
    party().fDamage(1, 0.0);
    EXPECT_EQ(party().fGetLife(), -1);
}

TEST_F(ZikiTest, InvincibilityMakesThePartyBusyForItsFirstFifteenFrames) {
    fPlaceParty(fOpenSpot());
    party().fDamage(1, 0.0);
    for (int i = 0; i < 15; ++i) {
        party().fUpdate();
    }
    EXPECT_EQ(party().fGetSpecialState()->fGetRemaining(), 65);
    EXPECT_TRUE(party().fIsBusy());
    const SPointD before = party().mPosition;
    party().fMove(D::LEFT);
    EXPECT_EQ(party().mPosition, before);
    party().fUpdate();
    EXPECT_FALSE(party().fIsBusy());
}

TEST_F(ZikiTest, KnockbackPushesAlongTheHitAngleForFourFrames) {
    const SPointD spot = fOpenSpot({{6.0, 0.0}, {12.0, 0.0}, {18.0, 0.0}, {24.0, 0.0}});
    ASSERT_FALSE(HasFailure());
    fPlaceParty(spot);
    party().fDamage(1, 90.0); // pushed right
    for (int i = 1; i <= 4; ++i) {
        party().fUpdate();
        EXPECT_NEAR(party().mPosition.x, 320.0 + 6.0 * i, 1e-9) << i;
        EXPECT_NEAR(party().mPosition.y, 240.0, 1e-9) << i;
    }
    party().fUpdate();
    EXPECT_NEAR(party().mPosition.x, 344.0, 1e-9);
}

TEST_F(ZikiTest, FaintingWithTimeLeftEndsTheRunTwoFramesLater) {
    stage().fSetTimeLeft(1000);
    party().fDamage(10, 0.0);
    ASSERT_EQ(fState(), EState::FAINTED);
    for (int i = 0; i < 119; ++i) {
        stage().fUpdate();
    }
    EXPECT_EQ(fState(), EState::FAINTED);
    EXPECT_EQ(stage().fGetTimeLeft(), 881);

    testing::internal::CaptureStdout();
    stage().fUpdate();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("fSetBonusTimeShow(-1800,0)"), std::string::npos) << out;
    EXPECT_EQ(stage().fGetTimeLeft(), 2);
    EXPECT_EQ(party().fGetLife(), 5);
    ASSERT_EQ(fState(), EState::INVINCIBLE);
    EXPECT_EQ(party().fGetSpecialState()->fGetTotal(), 120);
    EXPECT_EQ(party().mPosition, SPointD(752.0, 784.0));
    EXPECT_EQ(party().fGetBonusTime(), -1800);
    EXPECT_EQ(stage().fGetSpecialState(), nullptr);

    stage().fUpdate();
    EXPECT_EQ(stage().fGetSpecialState(), nullptr);
    EXPECT_EQ(stage().fGetTimeLeft(), 1);
    stage().fUpdate();
    ASSERT_NE(stage().fGetSpecialState(), nullptr);
    EXPECT_EQ(stage().fGetSpecialState()->fGetKind(), CStage::ESpecialState::TIME_UP);
}

TEST_F(ZikiTest, FaintingCostsThirtySecondsWhenThereIsTimeToSpare) {
    stage().fSetTimeLeft(5000);
    party().fDamage(6, 0.0);
    for (int i = 0; i < 120; ++i) {
        stage().fUpdate();
    }
    EXPECT_EQ(stage().fGetTimeLeft(), 5000 - 120 - 1800);
    EXPECT_EQ(fState(), EState::INVINCIBLE);
}

TEST_F(ZikiTest, SleepIsIgnoredWhileAnotherStateRuns) {
    fPlaceParty(fOpenSpot());
    party().fSleep();
    ASSERT_EQ(fState(), EState::ASLEEP);
    EXPECT_EQ(party().fGetSpecialState()->fGetRemaining(), 180);
    EXPECT_TRUE(party().fIsBusy());
    party().fUpdate();
    party().fSleep(); // already asleep: not restarted
    EXPECT_EQ(party().fGetSpecialState()->fGetRemaining(), 179);

    // A hit wakes the party into invincibility; sleep is then ignored.
    party().fDamage(1, 0.0);
    ASSERT_EQ(fState(), EState::INVINCIBLE);
    party().fSleep();
    EXPECT_EQ(fState(), EState::INVINCIBLE);

    for (int i = 0; i < 80; ++i) {
        party().fUpdate();
    }
    ASSERT_FALSE(fState().has_value());
    party().fDamage(9, 0.0);
    ASSERT_EQ(fState(), EState::FAINTED);
    party().fSleep();
    EXPECT_EQ(fState(), EState::FAINTED);
}

TEST_F(ZikiTest, AtMostTenIngredientsOfAKindAreCarried) {
    for (int i = 0; i < 9; ++i) {
        party().fAddIngredient(ITEM_EGG);
    }
    EXPECT_FALSE(party().fIsIngredientFull(ITEM_EGG));
    party().fAddIngredient(ITEM_EGG);
    EXPECT_TRUE(party().fIsIngredientFull(ITEM_EGG));
    EXPECT_FALSE(party().fIsIngredientFull(ITEM_RICE));
    EXPECT_EQ(party().fGetIngredients()[ITEM_EGG], 10);
}

TEST_F(ZikiTest, EleventhItemOfAKindIsLeftLying) {
    fPlaceParty(fOpenSpot());
    const SPointD world = party().fGetWorldPosition();
    for (int i = 0; i < 11; ++i) {
        CItemCreator::fCreate(stage(), stage().fGetNewItem(), ITEM_MUTTON, world);
    }
    CItem& rice = stage().fGetNewItem();
    CItemCreator::fCreate(stage(), rice, ITEM_RICE, world + SPointD(0.0, 20.0));
    stage().fCheckCollision();
    EXPECT_EQ(party().fGetIngredients()[ITEM_MUTTON], 10);
    EXPECT_EQ(party().fGetIngredients()[ITEM_RICE], 1);
    int alive = 0;
    for (const CItem* item : stage().fGetItems()) {
        alive += item->fIsAlive() ? 1 : 0;
    }
    EXPECT_EQ(alive, 1);
    EXPECT_TRUE(stage().fGetItems()[10]->fIsAlive());
}

TEST_F(ZikiTest, ResetPutsThePartyBackAtTheStart) {
    party().fAddIngredient(ITEM_FLOUR);
    party().mPosition = {100.0, 100.0};
    terrain().fSetCamera({700.0, 700.0});
    party().fDamage(2, 0.0);
    party().fReset();
    EXPECT_EQ(party().fGetIngredients()[ITEM_FLOUR], 0);
    EXPECT_EQ(party().mPosition, SPointD(752.0, 784.0));
    EXPECT_EQ(terrain().fGetCamera(), SPointD(320.0, 240.0));
    EXPECT_EQ(party().fGetLife(), 5);
}

TEST_F(ZikiTest, HistoryKeepsTheLastSixteenMapPositions) {
    const SPointD spot = fOpenSpot();
    fPlaceParty(spot);
    for (int i = 0; i < 20; ++i) {
        party().fUpdate();
        EXPECT_EQ(party().fIsHistoryFull(), i + 1 >= 16);
    }
    EXPECT_EQ(party().mAxisHistory.size(), 16u);
    EXPECT_EQ(party().mAxisHistory.back(), spot);
}

TEST_F(ZikiTest, ArrowKeysWalkThePartyThroughTheStageInput) {
    const SPointD spot = fOpenSpot();
    fPlaceParty(spot);
    mKeys->fPress(EGameKey::RIGHT);
    mKeys->fPress(EGameKey::DOWN);
    stage().fInput();
    fExpectAt(320.0 + kPelka, 240.0 + kPelka);
    mKeys->fRelease(EGameKey::RIGHT);
    mKeys->fRelease(EGameKey::DOWN);
    mKeys->fPress(EGameKey::KEY_X);
    stage().fInput();
    EXPECT_EQ(party().fGetLeader(), tosca);
    stage().fInput(); // X still held: no second switch
    EXPECT_EQ(party().fGetLeader(), tosca);
}

namespace {
// The party's queued sprites of one frame, as the media calls of the flushed queue.
std::vector<std::string> fFlushedPartyDraws(CStage& stage) {
    dx_SetCallLog(true);
    dx_ClearCallLog();
    stage.fGetParty()->fDraw();
    stage.fGetDrawQueue().fFlush();
    std::vector<std::string> log = dx_GetCallLog();
    dx_SetCallLog(false);
    dx_ClearCallLog();
    return log;
}

bool fDrawsHandle(const std::vector<std::string>& log, int handle) {
    const std::string tail = "," + std::to_string(handle) + ",1)";
    for (const std::string& l : log) {
        if (l.size() >= tail.size() && l.compare(l.size() - tail.size(), tail.size(), tail) == 0) {
            return true;
        }
    }
    return false;
}
} // namespace

TEST_F(ZikiTest, ShadowIsDrawnBehindTheWalkingSpriteSevenPixelsLower) {
    party().mPosition = {320.0, 240.0};
    const int shadow = gImageManager->fGetHandle("shadow.png");
    const int walk = fGetZikiSprite(pelka, 3 * static_cast<int>(D::DOWN));
    const auto log = fFlushedPartyDraws(stage());
    // shadow.png is 24 x 24 centred on (320, 247); the walking sprite 24 x 32 centred on (320, 240).
    const std::vector<std::string> expected{
        "DrawGraph(308,235," + std::to_string(shadow) + ",1)",
        "DrawGraph(308,224," + std::to_string(walk) + ",1)",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(ZikiTest, InvinciblePartyBlinksOnCounterThreeToFiveOfSix) {
    const SPointD spot = fOpenSpot({{0.0, 6.0}, {0.0, 12.0}, {0.0, 18.0}, {0.0, 24.0}});
    ASSERT_FALSE(HasFailure());
    fPlaceParty(spot);
    party().fDamage(0, 180.0);
    ASSERT_EQ(fState(), EState::INVINCIBLE);
    const int walk = fGetZikiSprite(pelka, 3 * static_cast<int>(D::DOWN));
    for (int frame = 0; frame < 12; ++frame) {
        const int counter = party().fGetCounter();
        const bool shown = counter % 6 >= 3;
        EXPECT_EQ(fDrawsHandle(fFlushedPartyDraws(stage()), walk), shown) << "counter " << counter;
        party().fUpdate();
    }
}

TEST_F(ZikiTest, SleepingPartyShowsTheSleepIconAboveItsHead) {
    party().mPosition = {320.0, 240.0};
    party().fSleep();
    ASSERT_EQ(fState(), EState::ASLEEP);
    const int icon = gImageManager->fGetHandle("ui_parts/sleep_icon.png");
    const auto log = fFlushedPartyDraws(stage());
    ASSERT_FALSE(log.empty());
    // 32 x 32, centred 28 pixels above the position, in front of the party.
    EXPECT_EQ(log.back(), "DrawGraph(304,196," + std::to_string(icon) + ",1)");
}

// The two weapons driven through the stage's own input and frames: when a push fires, how long the charge
// takes, what a hit does to it, the charged slash following the party, shapes turning with the shot, kill
// counters per attack, the gauge and the aura.
#include "Stage/CombatTestEnv.h"
#include "Ziki/CFireManagerBase.h"
#include "render/CImageManager.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
using D = EDirectionTenkey;
constexpr EGameKey Z = EGameKey::KEY_Z;

class WeaponTest : public CombatTest {
protected:
    CFireManagerBase& weapon() { return party().fGetWeapon(); }

    void fLead(ECharactor who) {
        if (party().fGetLeader() != who) {
            party().fChangeLeader();
        }
    }

    // Frames with Z held (a fresh press first) or up.
    void fHold(int frames) {
        mKeys->fPress(Z);
        for (int i = 0; i < frames; ++i) {
            fFrame();
        }
    }
    void fUp(int frames) {
        mKeys->fRelease(Z);
        for (int i = 0; i < frames; ++i) {
            fFrame();
        }
    }
    // Skips what is left of the cool-down, so that the next push meets only the bullet limit.
    void fCoolDownOver() {
        fUp(1);
        weapon().fSetCoolDown(0);
        fUp(1);
    }

    std::vector<CBullet*> fLiveShots() {
        std::vector<CBullet*> out;
        for (CBullet* b : stage().fGetPlayerBullets()) {
            if (b->fIsAlive()) {
                out.push_back(b);
            }
        }
        return out;
    }
    void fClearShots() {
        for (CBullet* b : stage().fGetPlayerBullets()) {
            b->fKill();
        }
    }

    // Pushes Z and keeps it held until `counted` frames have gone into the charge.
    void fChargeFor(int counted) {
        fHold(1);            // the normal shot
        fHold(19 + counted); // the party is busy through the rest of the cool-down, then counting starts
        fClearShots();       // so that only the charged shot is left to count
        ASSERT_EQ(weapon().fGetChargeCount(), counted);
    }

    int fAuras() { return fCountEffects(gImageManager->fGetHandle("magic_effect_blue.png")); }

    // The boxes drawn by the charge gauge in one drawing of the party.
    std::vector<std::string> fGaugeBoxes() {
        dx_ClearCallLog();
        dx_SetCallLog(true);
        party().fDraw();
        dx_SetCallLog(false);
        std::vector<std::string> boxes;
        for (const std::string& call : dx_GetCallLog()) {
            if (call.rfind("DrawBox(", 0) == 0) {
                boxes.push_back(call);
            }
        }
        stage().fGetDrawQueue().fFlush();
        return boxes;
    }

    // An open map spot from which the party can walk right for `length` pixels.
    SPointD fOpenRunRight(double length) {
        for (int r = 3; r < 77; ++r) {
            for (int c = 3; c < 70; ++c) {
                const SPointD p{c * 16.0 + 8.0, r * 16.0 + 8.0};
                bool open = true;
                for (double d = 0.0; d <= length && open; d += 1.2) {
                    open = !fPartyBlockedAt(p + SPointD(d, 0.0));
                }
                if (open) {
                    return p;
                }
            }
        }
        ADD_FAILURE() << "no open run in the town";
        return {};
    }
};
} // namespace

TEST_F(WeaponTest, LeadersCarryTheirWeapons) {
    EXPECT_EQ(weapon().fGetWeaponType(), WEAPON_SLASH);
    party().fChangeLeader();
    EXPECT_EQ(weapon().fGetWeaponType(), WEAPON_FIREBALL);
}

TEST_F(WeaponTest, ASlashWaitsForTheLastCutAndForTheCoolDown) {
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    CBullet* first = fLiveShots()[0];
    EXPECT_TRUE(party().fIsBusy());

    // Cooled down, but the cut is still out: a push does nothing.
    fCoolDownOver();
    fHold(1);
    EXPECT_EQ(fLiveShots(), std::vector<CBullet*>{first});

    // The cut lives 19 frames in all (4 have passed), then the next push fires.
    fUp(19 - 4);
    EXPECT_TRUE(first->fIsAlive());
    fUp(1);
    EXPECT_TRUE(fLiveShots().empty());
    fCoolDownOver();
    fHold(1);
    EXPECT_EQ(fLiveShots().size(), 1u);

    // The cut is gone at once, but the weapon cools down for 20 frames: pushes meanwhile do nothing.
    fClearShots();
    fUp(1);
    for (int i = 0; i < 8; ++i) {
        fHold(1);
        fUp(1);
    }
    EXPECT_TRUE(party().fIsBusy());
    EXPECT_TRUE(fLiveShots().empty());
    fUp(20 - 17);
    fHold(1);
    EXPECT_EQ(fLiveShots().size(), 1u);
}

TEST_F(WeaponTest, TwoFireballsInFlightBlockAThird) {
    fLead(tosca);
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    fLiveShots()[0]->mSpeed = 0.0; // kept on screen
    fCoolDownOver();
    fHold(1); // one in flight does not block
    ASSERT_EQ(fLiveShots().size(), 2u);
    fLiveShots()[1]->mSpeed = 0.0;
    fCoolDownOver();
    fHold(1);
    EXPECT_EQ(fLiveShots().size(), 2u);
    EXPECT_EQ(weapon().fGetBullets().size(), 2u);

    fLiveShots()[0]->fKill();
    fCoolDownOver();
    fHold(1);
    EXPECT_EQ(fLiveShots().size(), 2u);
    EXPECT_EQ(weapon().fGetBullets().size(), 2u);
}

// A fireball that burns out is back in the pool at the end of its frame, while the weapon forgets it only
// in its next update; a push in between may get the same bullet back. It must still count once.
TEST_F(WeaponTest, AFireballTakingTheSlotOfOneJustBurntOutCountsOnce) {
    fLead(tosca);
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    CBullet* first = fLiveShots()[0];
    fCoolDownOver();
    first->mCounter = 1000; // burns out in the next frame
    fUp(1);
    ASSERT_FALSE(first->fIsAlive());
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    EXPECT_EQ(weapon().fGetBullets().size(), 1u);
    fLiveShots()[0]->mSpeed = 0.0;
    fCoolDownOver();
    fHold(1);
    EXPECT_EQ(fLiveShots().size(), 2u);
}

TEST_F(WeaponTest, AFullChargeFiresTheChargedShotOnRelease) {
    struct SCase {
        ECharactor leader;
        int chargeFrames;
        size_t shots;
    };
    for (const SCase& c : {SCase{pelka, 40, 6}, SCase{tosca, 80, 3}}) {
        for (const int counted : {c.chargeFrames - 1, c.chargeFrames}) {
            SCOPED_TRACE(std::to_string(c.leader) + " released after " + std::to_string(counted));
            fLead(c.leader);
            fChargeFor(counted);
            fUp(1);
            EXPECT_EQ(fLiveShots().size(), counted >= c.chargeFrames ? c.shots : 0u);
            EXPECT_EQ(weapon().fGetChargeCount(), 0);
            fClearShots();
            fUp(40); // cool-down over
        }
    }
}

TEST_F(WeaponTest, AHitWhileChargingRestartsTheChargeAndHidesTheGauge) {
    EXPECT_TRUE(fGaugeBoxes().empty());
    fChargeFor(40);
    EXPECT_GE(fGaugeBoxes().size(), 2u); // the bar and its fill, and white over them while it blinks
    party().fDamage(1, 0.0);
    EXPECT_EQ(weapon().fGetChargeCount(), 0);
    EXPECT_FALSE(weapon().fIsChargeReady());
    EXPECT_TRUE(fGaugeBoxes().empty());

    // Still holding Z: the count starts again once the hit's busy frames are over, so a release now fires
    // nothing, and a whole new charge is needed.
    fHold(0);
    while (party().fIsBusy()) {
        fFrame();
    }
    fFrame();
    fUp(1);
    EXPECT_TRUE(fLiveShots().empty());
}

TEST_F(WeaponTest, AFullGaugeBlinks) {
    fChargeFor(39);
    EXPECT_EQ(fGaugeBoxes().size(), 2u);
    int white = 0;
    for (int i = 0; i < 10; ++i) {
        fFrame();
        const std::vector<std::string> boxes = fGaugeBoxes();
        ASSERT_GE(boxes.size(), 2u);
        white += boxes.size() == 3u && boxes[2].find(",0xffffff,1)") != std::string::npos;
    }
    EXPECT_EQ(white, 5);
}

TEST_F(WeaponTest, ChargedCutsMoveWithThePartyAfterTheShot) {
    const SPointD start = fOpenRunRight(2.4 * 27 + 8.0);
    ASSERT_FALSE(HasFailure());
    fPlaceParty(start);
    fChargeFor(40);
    mKeys->fPress(EGameKey::RIGHT);
    fUp(1); // the release fires; the party walks in the same frame
    const std::vector<CBullet*> cuts = fLiveShots();
    ASSERT_EQ(cuts.size(), 6u);
    std::vector<SPointD> relative;
    for (const CBullet* cut : cuts) {
        relative.push_back(cut->mPosition - party().fGetWorldPosition());
    }
    const SPointD walkedFrom = party().fGetWorldPosition();
    // Through the walk while busy and on to the frame the cuts are removed: even on that frame they take
    // the party's step, since the collision pass still sees them there.
    int frame = 0;
    while (cuts.front()->fIsAlive() && frame < 40) {
        ++frame;
        fUp(1);
        SCOPED_TRACE(frame);
        EXPECT_NEAR(party().fGetWorldPosition().x - walkedFrom.x, 2.4 * frame, 1e-9);
        for (size_t i = 0; i < cuts.size(); ++i) {
            // Relative to the party a cut moves only by its own slow drift along its angle.
            const SPointD drift = SPointD(0.0, -0.6 * frame).fRotate(cuts[i]->mDirection);
            const SPointD now = cuts[i]->mPosition - party().fGetWorldPosition();
            EXPECT_NEAR(now.x, relative[i].x + drift.x, 1e-6);
            EXPECT_NEAR(now.y, relative[i].y + drift.y, 1e-6);
        }
    }
    EXPECT_EQ(frame, 25);
}

TEST_F(WeaponTest, ASlashFacingLeftHitsWhereItsShapesTurnTo) {
    party().fMove(D::LEFT);
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    const SPointD at = fLiveShots()[0]->mPosition;
    // The cut's two circles, (-8, -4) and (8, -4) with radius 12 before turning, turned by 270 degrees lie
    // at (-4, 8) and (-4, -8). Each enemy (radius 12) just reaches one place and is far from the other.
    CEnemy& belowTurned = fSpawnSeen(ENEMY_KOMUGI, {});
    CEnemy& besideUnturned = fSpawnSeen(ENEMY_KOMUGI, {});
    for (CEnemy* e : {&belowTurned, &besideUnturned}) {
        e->mHitCircles = {SCircleD(0.0, 0.0, 12.0)};
        e->mLife = 1000;
    }
    belowTurned.mPosition = at + SPointD(-4.0, 8.0 + 23.0);
    besideUnturned.mPosition = at + SPointD(8.0 + 23.0, -4.0);
    stage().fCheckCollision();
    EXPECT_LT(belowTurned.mLife, 1000);
    EXPECT_EQ(besideUnturned.mLife, 1000);
}

TEST_F(WeaponTest, EachAttackHasItsOwnKillCounterAndAPlainFireballNone) {
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    const std::shared_ptr<CKillCountManager> slash = fLiveShots()[0]->mKillCounter;
    EXPECT_NE(slash, nullptr);
    fClearShots();
    fUp(40);

    struct SCase {
        ECharactor leader;
        int chargeFrames;
    };
    for (const SCase& c : {SCase{pelka, 40}, SCase{tosca, 80}}) {
        SCOPED_TRACE(std::to_string(c.leader));
        fLead(c.leader);
        fChargeFor(c.chargeFrames);
        fUp(1);
        const std::vector<CBullet*> shots = fLiveShots();
        ASSERT_FALSE(shots.empty());
        EXPECT_NE(shots[0]->mKillCounter, nullptr);
        EXPECT_NE(shots[0]->mKillCounter, slash);
        for (const CBullet* b : shots) {
            EXPECT_EQ(b->mKillCounter, shots[0]->mKillCounter);
        }
        fClearShots();
        fUp(40);
    }

    fLead(tosca);
    fHold(1);
    ASSERT_EQ(fLiveShots().size(), 1u);
    EXPECT_EQ(fLiveShots()[0]->mKillCounter, nullptr);
}

TEST_F(WeaponTest, TheAuraShowsWhileTheChargeGathers) {
    fHold(20); // the shot and its cool-down: nothing gathered yet
    EXPECT_EQ(fAuras(), 0);
    fHold(1);
    EXPECT_EQ(fAuras(), 1);
    fHold(30);
    EXPECT_EQ(fAuras(), 1);
    fUp(1);
    EXPECT_EQ(fAuras(), 0);

    // Changing the leader while gathering drops the charge with the old weapon, and the aura with it.
    fClearShots();
    fUp(40);
    fHold(25);
    EXPECT_EQ(fAuras(), 1);
    party().fChangeLeader();
    fHold(1);
    EXPECT_EQ(weapon().fGetChargeCount(), 0);
    EXPECT_EQ(fAuras(), 0);
}

// The stage's collision pass, one rule at a time: each test sets up the few actors a rule is about and
// checks what the pass decided.
#include "Stage/CItemCreator.h"
#include "Stage/StageTestEnv.h"

#include <gtest/gtest.h>

namespace {
using EState = CZiki::CSpecialState::EType;

class CollisionPassTest : public StageTest {
protected:
    // The centre of a cell whose own chip is solid, and of one with no solid chip within `clear` cells.
    SPointD fCellCentre(bool solid, int clear = 3) {
        for (int r = clear; r < 80 - clear; ++r) {
            for (int c = clear; c < 80 - clear; ++c) {
                if (solid ? fSolid(c, r) : fClearAround(c, r, clear)) {
                    return {c * 16.0 + 8.0, r * 16.0 + 8.0};
                }
            }
        }
        ADD_FAILURE() << "no such cell in the town";
        return {};
    }

    bool fSolid(int c, int r) {
        const CMapObject* o = terrain().fGetObject(CGeographicalFeatures::kCollisionLayer, c, r);
        return o != nullptr && !o->mHitRects.empty();
    }

    bool fClearAround(int c, int r, int clear) {
        for (int y = r - clear; y <= r + clear; ++y) {
            for (int x = c - clear; x <= c + clear; ++x) {
                if (fSolid(x, y)) {
                    return false;
                }
            }
        }
        return true;
    }

    static CBullet& fSetupBullet(CBullet& b, CStage& stage, SPointD at, int attack = 3) {
        b.fSetup(stage, nullptr, attack, SDrawData{}, at, 0.0, 0.0);
        b.mHitRects.emplace_back(0.0, 0.0, 8.0, 8.0);
        b.mHitCircles.emplace_back(0.0, 0.0, 6.0);
        return b;
    }
    CBullet& fPlayerBullet(SPointD at, int attack = 3) {
        return fSetupBullet(stage().fGetNewPlayerBullet(), stage(), at, attack);
    }
    CBullet& fEnemyBullet(SPointD at, int attack = 1) {
        return fSetupBullet(stage().fGetNewEnemyBullet(), stage(), at, attack);
    }
    CEnemy& fEnemy(SPointD at, int life = 10) {
        CEnemy& e = stage().fGetNewEnemy();
        e.fInitInStage(stage(), SDrawData{}, at, 0.0, 0.0);
        e.mHitCircles.emplace_back(0.0, 0.0, 12.0);
        e.mLife = life;
        e.mMaxLife = life;
        e.mNotYetOnScreen = false;
        return e;
    }
    CItem& fItem(SPointD at, int kind) {
        CItem& item = stage().fGetNewItem();
        CItemCreator::fCreate(stage(), item, static_cast<EItemType>(kind), at);
        return item;
    }

    // The party stands on open ground; its hit circle is 8 pixels below its position.
    SPointD fPartyFeet() {
        const SPointD world = fCellCentre(false);
        fPlaceParty(world);
        return world + SPointD(0.0, 8.0);
    }
};
} // namespace

TEST_F(CollisionPassTest, BulletsStopAtWallsUnlessTheyIgnoreTerrain) {
    const SPointD wall = fCellCentre(true);
    const SPointD open = fCellCentre(false);
    for (const bool player : {false, true}) {
        SCOPED_TRACE(player ? "player bullet" : "enemy bullet");
        CBullet& atWall = player ? fPlayerBullet(wall) : fEnemyBullet(wall);
        CBullet& ghost = player ? fPlayerBullet(wall) : fEnemyBullet(wall);
        ghost.mIgnoresTerrain = true;
        CBullet& inTheOpen = player ? fPlayerBullet(open) : fEnemyBullet(open);
        stage().fCheckCollision();
        EXPECT_FALSE(atWall.fIsAlive());
        EXPECT_TRUE(ghost.fIsAlive());
        EXPECT_TRUE(inTheOpen.fIsAlive());
    }
}

TEST_F(CollisionPassTest, PlayerBulletHurtsTheEnemiesItTouchesAndVanishesIfItShould) {
    const SPointD p = fCellCentre(false);
    CEnemy& touched = fEnemy(p);
    CEnemy& far = fEnemy(p + SPointD(0.0, 19.0)); // 12 + 6 = 18 is the reach
    CBullet& shot = fPlayerBullet(p, 3);
    stage().fCheckCollision();
    EXPECT_EQ(touched.mLife, 7);
    EXPECT_EQ(far.mLife, 10);
    EXPECT_FALSE(shot.fIsAlive());

    // A bullet that does not vanish goes on and hurts every enemy it touches in the same frame.
    CEnemy& a = fEnemy(p + SPointD(100.0, 0.0));
    CEnemy& b = fEnemy(p + SPointD(110.0, 0.0));
    CBullet& cut = fPlayerBullet(p + SPointD(105.0, 0.0), 4);
    cut.mVanishesOnHit = false;
    stage().fCheckCollision();
    EXPECT_EQ(a.mLife, 6);
    EXPECT_EQ(b.mLife, 6);
    EXPECT_TRUE(cut.fIsAlive());
}

TEST_F(CollisionPassTest, ShotProofAndDeadEnemiesLetBulletsThrough) {
    const SPointD p = fCellCentre(false);
    CEnemy& proof = fEnemy(p);
    proof.mShotProof = true;
    CEnemy& dead = fEnemy(p + SPointD(60.0, 0.0));
    dead.fKill();
    CBullet& a = fPlayerBullet(p);
    CBullet& b = fPlayerBullet(p + SPointD(60.0, 0.0));
    stage().fCheckCollision();
    EXPECT_EQ(proof.mLife, 10);
    EXPECT_EQ(dead.mLife, 10);
    EXPECT_TRUE(a.fIsAlive());
    EXPECT_TRUE(b.fIsAlive());
}

TEST_F(CollisionPassTest, OnlyErasingBulletsEraseAndOnlyEnemyBulletsThatVanish) {
    const SPointD p = fCellCentre(false);
    CBullet& erasable = fEnemyBullet(p);
    CBullet& sturdy = fEnemyBullet(p);
    sturdy.mVanishesOnHit = false;
    CBullet& eraser = fPlayerBullet(p);
    eraser.mErasesEnemyBullets = true;
    const SPointD q = p + SPointD(50.0, 0.0);
    CBullet& spared = fEnemyBullet(q);
    fPlayerBullet(q); // no erasing flag
    stage().fCheckCollision();
    EXPECT_FALSE(erasable.fIsAlive());
    EXPECT_TRUE(sturdy.fIsAlive());
    EXPECT_TRUE(spared.fIsAlive());
}

TEST_F(CollisionPassTest, PartyPicksUpItemsUntilItCarriesTen) {
    const SPointD feet = fPartyFeet();
    CItem& flour = fItem(feet, 0);
    CItem& distant = fItem(feet + SPointD(0.0, 40.0), 1);
    stage().fCheckCollision();
    EXPECT_FALSE(flour.fIsAlive());
    EXPECT_TRUE(distant.fIsAlive());
    EXPECT_EQ(party().fGetIngredients()[0], 1);
    for (int i = 1; i < 10; ++i) {
        party().fAddIngredient(0);
    }
    CItem& eleventh = fItem(feet, 0);
    stage().fCheckCollision();
    EXPECT_TRUE(eleventh.fIsAlive());
    EXPECT_EQ(party().fGetIngredients()[0], 10);
}

TEST_F(CollisionPassTest, EnemyBulletsHurtThePartyAndHarmlessOnesPutOnlyPelkaToSleep) {
    const SPointD feet = fPartyFeet();
    CBullet& harmless = fEnemyBullet(feet);
    harmless.mHarmless = true;
    harmless.mVanishesOnHit = false;
    party().fChangeLeader(); // tosca does not fall asleep
    ASSERT_NE(party().fGetLeader(), pelka);
    stage().fCheckCollision();
    EXPECT_EQ(party().fGetSpecialState(), nullptr);
    EXPECT_EQ(party().fGetLife(), CZiki::kMaxLife);
    party().fChangeLeader();
    stage().fCheckCollision();
    ASSERT_NE(party().fGetSpecialState(), nullptr);
    EXPECT_EQ(party().fGetSpecialState()->fGetType(), EState::ASLEEP);
    EXPECT_EQ(party().fGetLife(), CZiki::kMaxLife);
    EXPECT_TRUE(harmless.fIsAlive()); // the pass finds contacts; the shot flies on
    harmless.fKill();

    party().fReset(); // awake again, back at the start
    CBullet& shot = fEnemyBullet(fPartyFeet(), 2);
    shot.mVanishesOnHit = false;
    stage().fCheckCollision();
    EXPECT_EQ(party().fGetLife(), CZiki::kMaxLife - 2);
    EXPECT_TRUE(shot.fIsAlive());
}

TEST_F(CollisionPassTest, TouchingAnEnemyHurtsUnlessItIsTouchSafeOrDying) {
    const SPointD feet = fPartyFeet();
    CEnemy& safe = fEnemy(feet);
    safe.mTouchSafe = true;
    CEnemy& dying = fEnemy(feet, 0);
    stage().fCheckCollision();
    EXPECT_EQ(party().fGetLife(), CZiki::kMaxLife);
    CEnemy& pig = fEnemy(feet);
    pig.mTouchAttack = 2;
    stage().fCheckCollision();
    EXPECT_EQ(party().fGetLife(), CZiki::kMaxLife - 2);
    (void)dying;
}

TEST_F(CollisionPassTest, FaintedPartyTouchesNothing) {
    const SPointD feet = fPartyFeet();
    party().fDamage(CZiki::kMaxLife + 1, 0.0);
    ASSERT_EQ(party().fGetSpecialState()->fGetType(), EState::FAINTED);
    CItem& item = fItem(feet, 2);
    stage().fCheckCollision();
    EXPECT_TRUE(item.fIsAlive());
    EXPECT_EQ(party().fGetIngredients()[2], 0);
}

TEST_F(CollisionPassTest, WhatThePassKilledIsSweptBackIntoThePoolsAtTheEndOfTheFrame) {
    const SPointD wall = fCellCentre(true);
    fPlaceParty(fCellCentre(false));
    fEnemyBullet(wall);
    fPlayerBullet(wall);
    const size_t activeEnemyBullets = stage().fGetEnemyBullets().size();
    ASSERT_EQ(activeEnemyBullets, 1u);
    stage().fUpdate();
    EXPECT_TRUE(stage().fGetEnemyBullets().empty());
    EXPECT_TRUE(stage().fGetPlayerBullets().empty());
}

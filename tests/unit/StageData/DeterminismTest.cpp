// A replay is inputs plus a seed, so two stages seeded alike, with the same enemies at the same places, must
// run the same frames: the same random draws in the same order, every actor at the same place.
#include "Stage/CVarno.h"
#include "Stage/Collision.h"
#include "Stage/StageTestEnv.h"
#include "StageData/CEnemyBehaviours.h"
#include "StageData/CEnemyCreator.h"

#include <cstdint>
#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {
class DeterminismTest : public StageGlobalsTest {
protected:
    // Centres of on-screen cells with no solid chip next to them, row by row.
    static std::vector<SPointD> fOpenGroundOnScreen(CStage& stage) {
        CGeographicalFeatures& town = stage.fGetTerrain();
        auto solid = [&town](int c, int r) {
            const CMapObject* o = town.fGetObject(CGeographicalFeatures::kCollisionLayer, c, r);
            return o != nullptr && !o->mHitRects.empty();
        };
        std::vector<SPointD> open;
        for (double y = 40.0; y < 440.0; y += 16.0) {
            for (double x = 40.0; x < 600.0; x += 16.0) {
                const SPointI cell = fToMapCell(town.fToMap({x, y}));
                bool clear = true;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        clear = clear && !solid(cell.x + dx, cell.y + dy);
                    }
                }
                if (clear) {
                    open.push_back({cell.x * 16.0 + 8.0, cell.y * 16.0 + 8.0});
                }
            }
        }
        return open;
    }

    // A fresh stage with two enemies of every kind around the standing party.
    static std::unique_ptr<CStage> fArena() {
        gRandom = std::make_unique<CRandom>(4242);
        auto stage = std::make_unique<CStage>("", false);
        stage->fAddRank(12);          // above the levels where wheat burrows and chickens fly
        stage->fSetTimeLeft(1000000); // fainting costs time; the run must not end
        stage->fUpdate();             // the camera settles on the party
        const std::vector<SPointD> open = fOpenGroundOnScreen(*stage);
        EXPECT_GE(open.size(), 12u);
        for (size_t i = 0; i < 12 && open.size() >= 12; ++i) {
            CEnemyCreator::fCreate(stage->fGetNewEnemy(), static_cast<EEnemyKind>(i % 6), *stage,
                                   open[i * open.size() / 12], {0.0, 0.0}, -1);
        }
        return stage;
    }

    // Runs the arena for `frames` and tells everything a replay could diverge on.
    std::string fRun(int frames) {
        const std::unique_ptr<CStage> arena = fArena();
        CStage& stage = *arena;
        std::ostringstream seen;
        seen.precision(17);
        int mostEnemyBullets = 0;
        int mostEnemies = 0;
        for (int f = 0; f < frames; ++f) {
            stage.fInput();
            stage.fUpdate();
            mostEnemyBullets = std::max(mostEnemyBullets, static_cast<int>(stage.fGetEnemyBullets().size()));
            mostEnemies = std::max(mostEnemies, static_cast<int>(stage.fGetEnemies().size()));
        }
        EXPECT_GT(mostEnemyBullets, 0) << "the enemies never fired";
        EXPECT_EQ(stage.fGetSpecialState(), nullptr) << "the run ended early";
        for (const CEnemy* e : stage.fGetEnemies()) {
            seen << "enemy " << e->mPosition.x << ',' << e->mPosition.y << ' ' << e->mLife << '\n';
        }
        for (const CBullet* b : stage.fGetEnemyBullets()) {
            seen << "shot " << b->mPosition.x << ',' << b->mPosition.y << '\n';
        }
        for (const CItem* i : stage.fGetItems()) {
            seen << "item " << i->mKind << ' ' << i->mPosition.x << ',' << i->mPosition.y << '\n';
        }
        for (const CEffect* e : stage.fGetEffects()) {
            seen << "effect " << e->mPosition.x << ',' << e->mPosition.y << '\n';
        }
        const SPointD party = stage.fGetParty()->fGetWorldPosition();
        seen << "party " << party.x << ',' << party.y << " life " << stage.fGetParty()->fGetLife() << '\n';
        seen << "score " << stage.fGetScore() << " time " << stage.fGetTimeLeft() << '\n';
        seen << "next draws";
        for (int i = 0; i < 4; ++i) {
            seen << ' ' << gRandom->fGetRand(0, 1 << 30);
        }
        return seen.str();
    }
};
} // namespace

TEST_F(DeterminismTest, SameSeedAndEnemiesGiveTheSameThreeThousandFrames) {
    const std::string first = fRun(3000);
    const std::string second = fRun(3000);
    EXPECT_EQ(first, second);
}

TEST_F(DeterminismTest, TheDigestReadsWithoutChangingAndSeesWhatDecidesPlay) {
    // Taking the digest every frame leaves the run as it was.
    std::uint64_t plain = 0;
    std::uint64_t watched = 0;
    for (bool everyFrame : {false, true}) {
        const std::unique_ptr<CStage> stage = fArena();
        for (int f = 0; f < 600; ++f) {
            stage->fInput();
            stage->fUpdate();
            if (everyFrame) {
                EXPECT_EQ(stage->fDigest(), stage->fDigest());
            }
        }
        (everyFrame ? watched : plain) = stage->fDigest();
    }
    EXPECT_EQ(plain, watched);

    // One small change to anything that decides the rest of the run changes the digest.
    struct Change {
        const char* what;
        std::function<void(CStage&)> apply;
    };
    const Change changes[] = {
        {"a random draw", [](CStage&) { gRandom->fNext(); }},
        {"an enemy's timer", [](CStage& s) { ++s.fGetEnemies().front()->mFlashTimer; }},
        {"an enemy's behaviour",
         [](CStage& s) {
             CEnemy& e = *s.fGetEnemies().front();
             e.mBehaviour = CFunc_KOMUGI(3);
         }},
        {"an enemy's position", [](CStage& s) { s.fGetEnemies().back()->mPosition.x += 1e-9; }},
        {"an enemy bullet's speed", [](CStage& s) { s.fGetEnemyBullets().front()->mSpeed += 0.01; }},
        {"an effect's lifetime", [](CStage& s) { ++s.fGetEffects().front()->mLifetime; }},
        {"an ingredient carried", [](CStage& s) { s.fGetParty()->fAddIngredient(ITEM_EGG); }},
        {"the weapon's cool-down", [](CStage& s) { s.fGetParty()->fGetWeapon().fSetCoolDown(7); }},
        {"Varno's wish", [](CStage& s) { s.fGetVarno()->fNextOrder(); }},
        {"a dish bag", [](CStage& s) { s.fGetFoodTables().fDrawFood(0); }},
        {"the time", [](CStage& s) { s.fAddTime(1); }},
        {"the score", [](CStage& s) { s.fAddScore(10); }},
    };
    for (const Change& change : changes) {
        const std::unique_ptr<CStage> stage = fArena();
        for (int f = 0; f < 200; ++f) {
            stage->fInput();
            stage->fUpdate();
        }
        ASSERT_FALSE(stage->fGetEnemyBullets().empty());
        ASSERT_FALSE(stage->fGetEffects().empty());
        const std::uint64_t before = stage->fDigest();
        change.apply(*stage);
        EXPECT_NE(stage->fDigest(), before) << change.what;
    }
}

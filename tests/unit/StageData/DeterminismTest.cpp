// A replay is inputs plus a seed, so two stages seeded alike, with the same enemies at the same places, must
// run the same frames: the same random draws in the same order, every actor at the same place.
#include "Stage/Collision.h"
#include "Stage/StageTestEnv.h"
#include "StageData/CEnemyCreator.h"

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

    // Runs a fresh stage for `frames` with two enemies of every kind around the standing party and tells
    // everything a replay could diverge on.
    std::string fRun(int frames) {
        gRandom = std::make_unique<CRandom>(4242);
        CStage stage("", false);
        stage.fAddRank(12);          // above the levels where wheat burrows and chickens fly
        stage.fSetTimeLeft(1000000); // fainting costs time; the run must not end
        stage.fUpdate();             // the camera settles on the party
        const std::vector<SPointD> open = fOpenGroundOnScreen(stage);
        EXPECT_GE(open.size(), 12u);
        if (open.size() < 12) {
            return {};
        }
        for (size_t i = 0; i < 12; ++i) {
            CEnemyCreator::fCreate(stage.fGetNewEnemy(), static_cast<EEnemyKind>(i % 6), stage,
                                   open[i * open.size() / 12], {0.0, 0.0}, -1);
        }
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

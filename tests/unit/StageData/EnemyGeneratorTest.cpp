// Waves of enemies in the four hunting grounds: where the party must stand, what a wave announces and in
// which order it draws its random numbers, and when the next wave comes.
#include "Stage/CEffect.h"
#include "Stage/CEffectParam.h"
#include "Stage/StageTestEnv.h"
#include "StageData/CEnemyCreator.h"
#include "StageData/CEnemyGenerator.h"
#include "render/CImageManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

struct SCells {
    int left, right, top, bottom;
};

// The hunting grounds in map cells, inclusive.
constexpr SCells kAreas[] = {{2, 26, 3, 25}, {37, 61, 5, 27}, {2, 24, 43, 71}, {57, 77, 36, 61}};
// A street cell inside none of them.
constexpr SPointI kOutside{47, 49};

struct SMarker {
    int x, y, kind;
    bool operator==(const SMarker&) const = default;
};

std::ostream& operator<<(std::ostream& os, const SMarker& m) {
    return os << "(" << m.x << ", " << m.y << ") kind " << m.kind;
}

class EnemyGeneratorTest : public StageTest {
protected:
    CEnemyGenerator& generator() {
        CEnemyGenerator* g = stage().fGetEnemyGenerator();
        EXPECT_NE(g, nullptr);
        return *g;
    }

    void fStandIn(SPointI cell) { fPlaceParty({cell.x * 16.0 + 8.0, cell.y * 16.0 + 8.0}); }
    static SPointI fMiddle(const SCells& a) { return {(a.left + a.right) / 2, (a.top + a.bottom) / 2}; }

    // The appearance markers, oldest first.
    std::vector<SMarker> fMarkers() {
        std::vector<SMarker> out;
        for (CEffect* e : stage().fGetEffects()) {
            const auto* p = dynamic_cast<const CEffectParam_ENEMY_APPEARANCE*>(e->mParameter.get());
            if (p != nullptr) {
                out.push_back(
                    {static_cast<int>(e->mPosition.x), static_cast<int>(e->mPosition.y), p->mValue});
            }
        }
        return out;
    }

    // A wave as the given generator would draw it: for each enemy x, then y, the kind of an extra after them.
    static std::vector<SMarker> fExpectedWave(CRandom& r, const SCells& a, std::vector<int> fixedKinds) {
        std::vector<SMarker> wave;
        auto spawn = [&](int kind) {
            const int x = r.fGetRand(a.left * 16 + 8, a.right * 16 - 8);
            const int y = r.fGetRand(a.top * 16 + 8, a.bottom * 16 - 8);
            if (kind < 0) {
                kind = r.fGetRand(0, 5);
            }
            wave.push_back({x, y, kind});
        };
        for (int kind : fixedKinds) {
            spawn(kind);
        }
        const int extra = r.fGetRand(1, 2);
        for (int i = 0; i < extra; ++i) {
            spawn(-1);
        }
        return wave;
    }

    void fPutEnemiesOut(int n) {
        for (int i = 0; i < n; ++i) {
            CEnemyCreator::fCreate(stage().fGetNewEnemy(), ENEMY_SEEP, stage(), {752.0, 700.0}, {0.0, 0.0},
                                   -1);
        }
    }

    void fNewStage() {
        mStage.reset();
        mStage = std::make_unique<CStage>("", false);
    }
};

TEST_F(EnemyGeneratorTest, OnlyCellsStrictlyInsideAnAreaCount) {
    for (size_t i = 0; i < std::size(kAreas); ++i) {
        const SCells& a = kAreas[i];
        const SPointI mid = fMiddle(a);
        // Each border cell, with the cell one step further in.
        const SPointI borders[][2] = {{{a.left, mid.y}, {a.left + 1, mid.y}},
                                      {{a.right, mid.y}, {a.right - 1, mid.y}},
                                      {{mid.x, a.top}, {mid.x, a.top + 1}},
                                      {{mid.x, a.bottom}, {mid.x, a.bottom - 1}}};
        for (const auto& [border, inside] : borders) {
            SCOPED_TRACE(testing::Message() << "area " << i + 1 << " border " << border.x << "," << border.y);
            const size_t before = fMarkers().size();
            const int draws = gRandom->fGetCount();
            fStandIn(border);
            generator().fUpdate();
            EXPECT_EQ(fMarkers().size(), before);
            EXPECT_EQ(gRandom->fGetCount(), draws);
            fStandIn(inside);
            generator().fUpdate();
            EXPECT_GE(fMarkers().size(), before + 4);
        }
    }
}

TEST_F(EnemyGeneratorTest, AWaveDrawsXThenYThenTheKindOfEachExtraEnemy) {
    const std::vector<int> fixedKinds[] = {{0, 0, 0}, {2, 2, 1}, {5, 5, 5}, {4, 4, 3}};
    std::set<int> extras;
    for (int seed = 1; seed <= 6; ++seed) {
        for (size_t i = 0; i < std::size(kAreas); ++i) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " area " << i + 1);
            fStandIn(kOutside);
            generator().fUpdate();
            gRandom = std::make_unique<CRandom>(seed);
            CRandom expected(seed);
            const size_t before = fMarkers().size();
            fStandIn(fMiddle(kAreas[i]));
            generator().fUpdate();
            const std::vector<SMarker> all = fMarkers();
            const std::vector<SMarker> wave(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
            EXPECT_EQ(wave, fExpectedWave(expected, kAreas[i], fixedKinds[i]));
            EXPECT_EQ(gRandom->fGetCount(), expected.fGetCount());
            extras.insert(static_cast<int>(wave.size()) - 3);
        }
    }
    EXPECT_EQ(extras, (std::set<int>{1, 2}));
}

TEST_F(EnemyGeneratorTest, EnteringArea1AtRank0AnnouncesThreeWheatAndOneOrTwoMoreThatAppear90FramesLater) {
    const SCells& area1 = kAreas[0];
    fStandIn({14, 14});
    gRandom = std::make_unique<CRandom>(777);
    CRandom expected(777);
    stage().fUpdate();
    const std::vector<SMarker> markers = fMarkers();
    EXPECT_EQ(markers, fExpectedWave(expected, area1, {0, 0, 0}));
    ASSERT_GE(markers.size(), 4u);
    ASSERT_LE(markers.size(), 5u);
    for (const SMarker& m : markers) {
        EXPECT_GE(m.x, 40);
        EXPECT_LE(m.x, 408);
        EXPECT_GE(m.y, 56);
        EXPECT_LE(m.y, 392);
    }
    // The markers blink for 90 updates, this frame's included; their enemies come on the last.
    for (int i = 0; i < 88; ++i) {
        stage().fUpdate();
    }
    EXPECT_TRUE(stage().fGetEnemies().empty());
    stage().fUpdate();
    const char* const firstImage[] = {"enemy/komugi1.png",     "enemy/seep1.png",
                                      "enemy/pig1.png",        "enemy/seawood_can1.png",
                                      "enemy/komedawara1.png", "enemy/niwatori1.png"};
    const std::vector<CEnemy*>& enemies = stage().fGetEnemies();
    ASSERT_EQ(enemies.size(), markers.size());
    for (size_t i = 0; i < markers.size(); ++i) {
        EXPECT_EQ(enemies[i]->mPosition, SPointD(markers[i].x, markers[i].y));
        EXPECT_EQ(enemies[i]->mDrawData.cels[0].handle,
                  gImageManager->fGetHandle(firstImage[static_cast<size_t>(markers[i].kind)]));
    }
}

struct SPeriodCase {
    int area; // 1..4
    int rank;
    int enemiesOut;
    int framesToNextWave;
};

TEST_F(EnemyGeneratorTest, TheNextWaveWaitsLongerForEveryThreeEnemiesOut) {
    // clang-format off
    const SPeriodCase cases[] = {
        {1,  0, 0,  420},
        {1,  0, 2,  420},
        {1,  9, 3,  840},
        {1,  9, 5,  840},
        {1, 12, 6, 1260},
        {2,  0, 1,  420},
        {3,  0, 0,  420},
        {4,  0, 0,  480},
        {4,  9, 4,  960},
    };
    // clang-format on
    for (const SPeriodCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "area " << c.area << " rank " << c.rank << " enemies " << c.enemiesOut);
        fNewStage();
        stage().fAddRank(c.rank);
        fPutEnemiesOut(c.enemiesOut);
        fStandIn(fMiddle(kAreas[c.area - 1]));
        generator().fUpdate();
        const size_t firstWave = fMarkers().size();
        ASSERT_GT(firstWave, 0u);
        int frames = 0;
        while (fMarkers().size() == firstWave && frames < 2000) {
            generator().fUpdate();
            ++frames;
        }
        EXPECT_EQ(frames, c.framesToNextWave);
    }
}

TEST_F(EnemyGeneratorTest, MoreEnemiesThanTheRankAllowsStopTheWavesAndTheirTimers) {
    const CEnemyGenerateAreaBase& area1 = generator().fGetArea(0);
    fStandIn(fMiddle(kAreas[0]));
    generator().fUpdate();
    ASSERT_EQ(area1.fGetWaveTimer(), 420);
    const size_t firstWave = fMarkers().size();
    fPutEnemiesOut(3); // rank 0 allows 2
    for (int i = 0; i < 1000; ++i) {
        generator().fUpdate();
    }
    EXPECT_EQ(fMarkers().size(), firstWave);
    EXPECT_EQ(area1.fGetWaveTimer(), 420);
    // Leaving while stopped leaves the timer as it was...
    fStandIn(kOutside);
    generator().fUpdate();
    EXPECT_EQ(area1.fGetWaveTimer(), 420);
    // ...until a frame passes the check: rank 3 allows 3.
    stage().fAddRank(3);
    generator().fUpdate();
    EXPECT_EQ(area1.fGetWaveTimer(), 0);
    // Back inside, the next wave starts at once.
    fStandIn(fMiddle(kAreas[0]));
    generator().fUpdate();
    EXPECT_GT(fMarkers().size(), firstWave);
}

TEST_F(EnemyGeneratorTest, ResettingThePoolsDropsTheGenerator) {
    stage().fResetPools();
    EXPECT_EQ(stage().fGetEnemyGenerator(), nullptr);
    fStandIn(fMiddle(kAreas[0]));
    for (int i = 0; i < 3; ++i) {
        stage().fUpdate();
        stage().fDraw();
    }
    EXPECT_TRUE(fMarkers().empty());
}

} // namespace

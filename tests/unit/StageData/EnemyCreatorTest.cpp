#include "Stage/CItem.h"
#include "Stage/CombatTestEnv.h"
#include "render/CImageManager.h"

#include <gtest/gtest.h>

namespace {

class EnemyCreatorTest : public CombatTest {};

struct SLifeCase {
    EEnemyKind kind;
    int atRank0;
    int atRank7;
    int atRank19;
};

TEST_F(EnemyCreatorTest, LifeGrowsWithTheRankAndIsTruncated) {
    // clang-format off
    const SLifeCase cases[] = {
        {ENEMY_KOMUGI,      40,  57,  87},  // 17.5 + 40, 47.5 + 40
        {ENEMY_SEEP,        40,  57,  87},
        {ENEMY_PIG,         45,  66, 102},
        {ENEMY_SEAWOOD_CAN, 60, 109, 193},
        {ENEMY_KOMEDAWARA,  40,  56,  85},  // 16.8 + 40, 45.6 + 40
        {ENEMY_NIWATORI,    40,  62, 100},  // 22.4 + 40, 60.8 + 40
    };
    // clang-format on
    for (const auto& [rank, pick] : {std::pair{0, &SLifeCase::atRank0}, std::pair{7, &SLifeCase::atRank7},
                                     std::pair{19, &SLifeCase::atRank19}}) {
        stage().fAddRank(rank - stage().fGetRank());
        for (const SLifeCase& c : cases) {
            CEnemy& e = fSpawn(c.kind, {300.0, 200.0});
            EXPECT_EQ(e.mLife, c.*pick) << "kind " << c.kind << " rank " << rank;
            EXPECT_EQ(e.mMaxLife, e.mLife);
        }
    }
}

TEST_F(EnemyCreatorTest, EveryKindDropsItsIngredient) {
    const std::pair<EEnemyKind, EItemType> cases[] = {
        {ENEMY_KOMUGI, ITEM_FLOUR},        {ENEMY_SEEP, ITEM_MUTTON},     {ENEMY_PIG, ITEM_PORK},
        {ENEMY_SEAWOOD_CAN, ITEM_SEAWEED}, {ENEMY_KOMEDAWARA, ITEM_RICE}, {ENEMY_NIWATORI, ITEM_EGG},
    };
    for (const auto& [kind, item] : cases) {
        CEnemy& e = fSpawnSeen(kind, {300.0, 200.0});
        fHit(e, 1000);
        fEnemyFrames(20);
        ASSERT_FALSE(stage().fGetItems().empty());
        EXPECT_EQ(stage().fGetItems().back()->mKind, item) << kind;
        EXPECT_EQ(stage().fGetItems().back()->mPosition, e.mPosition);
    }
    EXPECT_EQ(stage().fGetItems().size(), 6u);
}

TEST_F(EnemyCreatorTest, OnlyWheatAndRiceBalesBurn) {
    for (int kind = 0; kind < 6; ++kind) {
        CEnemy& e = fSpawn(static_cast<EEnemyKind>(kind), {300.0, 200.0});
        EXPECT_EQ(e.mCanBurn, kind == ENEMY_KOMUGI || kind == ENEMY_KOMEDAWARA) << kind;
        EXPECT_TRUE(e.mNotYetOnScreen);
        EXPECT_EQ(e.mScore, 10);
        EXPECT_EQ(e.mLayer, LAYER_CHARACTER);
    }
}

TEST(EnemyCreatorDeathTest, AnUnknownKindStopsTheProgram) {
    EXPECT_DEATH(CEnemyCreator::fGetLife(static_cast<EEnemyKind>(6), 0), "StageData");
}

} // namespace

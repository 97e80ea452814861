#include "Ziki/CFoodTables.h"
#include "base/CRandom.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
class FoodTablesTest : public ::testing::Test {
protected:
    void SetUp() override { fSeed(2024); }
    void TearDown() override { gRandom.reset(); }
    static void fSeed(std::int32_t seed) {
        testing::internal::CaptureStdout(); // the generator announces itself
        gRandom = std::make_unique<CRandom>(seed);
        testing::internal::GetCapturedStdout();
    }
    static std::vector<int> fSorted(std::vector<int> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
};
} // namespace

TEST_F(FoodTablesTest, RankSelectsTheTableByBandsOfThree) {
    CFoodTables t;
    const std::map<int, int> expected{{-5, 0}, {-1, 0}, {0, 0},  {2, 0},  {3, 1},  {5, 1},
                                      {6, 2},  {8, 2},  {9, 3},  {11, 3}, {12, 4}, {14, 4},
                                      {15, 5}, {17, 5}, {18, 6}, {19, 6}, {100, 6}};
    for (const auto& [rank, table] : expected) {
        EXPECT_EQ(t.fGetTableIndex(rank), table) << "rank " << rank;
    }
}

TEST_F(FoodTablesTest, SixDrawsFromTheFirstTableGiveEachDishTwiceThenTheBagRefills) {
    CFoodTables t;
    EXPECT_TRUE(t.fGetStock(FOOD_TABLE_0).fGetStock().empty()); // filled at the first draw
    std::vector<int> drawn;
    for (int i = 0; i < 6; ++i) {
        drawn.push_back(t.fDrawFood(0));
        EXPECT_EQ(t.fGetStock(FOOD_TABLE_0).fGetStock().size(), 5u - static_cast<size_t>(i));
    }
    EXPECT_EQ(fSorted(drawn), (std::vector<int>{0, 0, 1, 1, 2, 2}));
    const int seventh = t.fDrawFood(2);
    EXPECT_GE(seventh, 0);
    EXPECT_LE(seventh, 2);
    EXPECT_EQ(t.fGetStock(FOOD_TABLE_0).fGetStock().size(), 5u);
}

TEST_F(FoodTablesTest, EveryTableCyclesThroughItsDishesTwice) {
    const std::vector<std::pair<int, std::vector<int>>> tables{
        {0, {0, 1, 2}},        {3, {5, 6, 7, 9}},     {6, {4, 5, 6, 3, 8}}, {9, {0, 1, 9, 2}},
        {12, {4, 5, 6, 3, 8}}, {15, {4, 9, 3, 5, 8}}, {18, {4, 5, 3, 8}},
    };
    CFoodTables t;
    for (const auto& [rank, dishes] : tables) {
        SCOPED_TRACE("rank " + std::to_string(rank));
        for (int cycle = 0; cycle < 2; ++cycle) {
            std::vector<int> drawn;
            for (size_t i = 0; i < 2 * dishes.size(); ++i) {
                drawn.push_back(t.fDrawFood(rank));
            }
            std::vector<int> twice;
            for (int d : dishes) {
                twice.push_back(d);
                twice.push_back(d);
            }
            EXPECT_EQ(fSorted(drawn), fSorted(twice));
        }
    }
}

TEST_F(FoodTablesTest, EachTableKeepsItsOwnBagAcrossRankChanges) {
    CFoodTables t;
    std::vector<int> first;
    for (int i = 0; i < 3; ++i) {
        first.push_back(t.fDrawFood(1));
    }
    const int other = t.fDrawFood(4);
    EXPECT_TRUE(other == 5 || other == 6 || other == 7 || other == 9) << other;
    EXPECT_EQ(t.fGetStock(FOOD_TABLE_1).fGetStock().size(), 7u);
    EXPECT_EQ(t.fGetStock(FOOD_TABLE_0).fGetStock().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        first.push_back(t.fDrawFood(-2));
    }
    EXPECT_EQ(fSorted(first), (std::vector<int>{0, 0, 1, 1, 2, 2}));
}

TEST_F(FoodTablesTest, DrawsTakeTheRandomIndexOutOfTheBagInOrder) {
    // The bag written out by hand: refill with each dish twice, take the element at fGetRand(0, size - 1).
    CRandom reference(77);
    fSeed(77);
    CFoodTables t;
    std::vector<int> bag;
    for (int i = 0; i < 25; ++i) {
        if (bag.empty()) {
            bag = {4, 4, 5, 5, 6, 6, 3, 3, 8, 8};
        }
        const int k = reference.fGetRand(0, static_cast<int>(bag.size()) - 1);
        const int want = bag[static_cast<size_t>(k)];
        bag.erase(bag.begin() + k);
        ASSERT_EQ(t.fDrawFood(7), want) << "draw " << i;
        ASSERT_EQ(t.fGetStock(FOOD_TABLE_2).fGetStock(), bag) << "draw " << i;
    }
}

TEST_F(FoodTablesTest, SameSeedAndRanksGiveTheSameDishes) {
    const std::vector<int> ranks{0, 0, 3, 7, 0, 19, 19, 12, 2, 3, 3, 3, 16, 9, 0, 0, 0, 0};
    const auto run = [&ranks](std::int32_t seed) {
        fSeed(seed);
        CFoodTables t;
        std::vector<int> out;
        for (int r : ranks) {
            out.push_back(t.fDrawFood(r));
        }
        return out;
    };
    EXPECT_EQ(run(99), run(99));
    EXPECT_EQ(run(-4), run(-4));
}

TEST_F(FoodTablesTest, CookingNeedsEveryIngredientOfTheRecipe) {
    const SIngredients carried{1, 3, 0, 1, 1, 1};
    EXPECT_TRUE(fCanCook(FOOD_KATSUDON, carried));
    EXPECT_FALSE(fCanCook(FOOD_EHOMAKI, carried));
    EXPECT_FALSE(fCanCook(FOOD_KATSUDON, SIngredients{1, 3, 0, 1, 1, 0}));
    EXPECT_TRUE(fCanCook(FOOD_SPARE_RIBS, SIngredients{0, 0, 1, 0, 0, 0}));
    EXPECT_FALSE(fCanCook(FOOD_SPARE_RIBS, SIngredients{9, 9, 0, 9, 9, 9}));
    EXPECT_TRUE(fCanCook(FOOD_BREAD, SIngredients{10, 10, 10, 10, 10, 10}));
}

TEST_F(FoodTablesTest, DishDataMatchesTheMenu) {
    struct SDish {
        EFoodType food;
        const char* name;
        const char* image;
        SIngredients recipe;
        int life;
        int bonus;
    };
    const std::array<SDish, 10> menu{{
        {FOOD_TAMAGOYAKI, "玉子焼き", "foods/tamagoyaki.png", {0, 0, 0, 0, 0, 2}, 1, 4},
        {FOOD_HOTDOG, "ホットドッグ", "foods/hotdog.png", {2, 0, 0, 1, 0, 0}, 1, 6},
        {FOOD_ONIGIRI, "おにぎり", "foods/onigiri.png", {0, 2, 0, 0, 1, 0}, 1, 6},
        {FOOD_KATSUDON, "カツ丼", "foods/katudon.png", {1, 3, 0, 1, 1, 1}, 2, 10},
        {FOOD_EHOMAKI, "恵方巻き", "foods/eho_roll.png", {0, 3, 0, 0, 3, 2}, 2, 10},
        {FOOD_FRIED_RICE, "チャーハン", "foods/cha_hang.png", {0, 3, 0, 2, 0, 2}, 2, 10},
        {FOOD_EGG_SANDWICH, "タマゴサンド", "foods/egg_sand.png", {3, 0, 0, 0, 0, 2}, 1, 8},
        {FOOD_BREAD, "食パン", "foods/bread.png", {4, 0, 0, 0, 0, 0}, 2, 8},
        {FOOD_GENGHIS_KHAN, "ジンギスカン", "foods/genghis_khan.png", {0, 0, 3, 0, 0, 0}, 2, 8},
        {FOOD_SPARE_RIBS, "スペアリブ(羊)", "foods/spair_lib.png", {0, 0, 1, 0, 0, 0}, 1, 6},
    }};
    for (const SDish& d : menu) {
        SCOPED_TRACE(d.name);
        EXPECT_EQ(fGetFoodName(d.food), d.name);
        EXPECT_EQ(fGetFoodImageName(d.food), d.image);
        EXPECT_EQ(fGetRecipe(d.food), d.recipe);
        EXPECT_EQ(fGetFoodLife(d.food), d.life);
        EXPECT_EQ(fGetFoodBonusSeconds(d.food), d.bonus);
        EXPECT_TRUE(fCanCook(d.food, d.recipe));
    }
    const std::array<const char*, 6> items{"item/flour.png", "item/rice.png",    "item/mutton.png",
                                           "item/pork.png",  "item/seawood.png", "item/egg.png"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(fGetItemImageName(static_cast<EItemType>(i)), items[static_cast<size_t>(i)]);
    }
}

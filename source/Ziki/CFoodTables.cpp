#include "Ziki/CFoodTables.h"
#include "base/CStateDigest.h"
#include "base/Translation.h"

#include "base/CRandom.h"
#include "base/Check.h"

namespace {
struct SFoodInfo {
    const char* name;
    const char* image;
    SIngredients recipe; // flour, rice, mutton, pork, seaweed, egg
    int life;
    int bonusSeconds;
};

const std::array<SFoodInfo, FOOD_TYPE_COUNT> kFoods{{
    {fTrMark("玉子焼き"), "foods/tamagoyaki.png", {0, 0, 0, 0, 0, 2}, 1, 4},
    {fTrMark("ホットドッグ"), "foods/hotdog.png", {2, 0, 0, 1, 0, 0}, 1, 6},
    {fTrMark("おにぎり"), "foods/onigiri.png", {0, 2, 0, 0, 1, 0}, 1, 6},
    {fTrMark("カツ丼"), "foods/katudon.png", {1, 3, 0, 1, 1, 1}, 2, 10},
    {fTrMark("恵方巻き"), "foods/eho_roll.png", {0, 3, 0, 0, 3, 2}, 2, 10},
    {fTrMark("チャーハン"), "foods/cha_hang.png", {0, 3, 0, 2, 0, 2}, 2, 10},
    {fTrMark("タマゴサンド"), "foods/egg_sand.png", {3, 0, 0, 0, 0, 2}, 1, 8},
    {fTrMark("食パン"), "foods/bread.png", {4, 0, 0, 0, 0, 0}, 2, 8},
    {fTrMark("ジンギスカン"), "foods/genghis_khan.png", {0, 0, 3, 0, 0, 0}, 2, 8},
    {fTrMark("スペアリブ(羊)"), "foods/spair_lib.png", {0, 0, 1, 0, 0, 0}, 1, 6},
}};

const std::array<const char*, ITEM_TYPE_COUNT> kItemImages{
    "item/flour.png", "item/rice.png", "item/mutton.png", "item/pork.png", "item/seawood.png", "item/egg.png",
};

const SFoodInfo& fFood(EFoodType food) {
    if (food < 0 || food >= FOOD_TYPE_COUNT) {
        TAVONI_UNREACHABLE("Ziki");
    }
    return kFoods[static_cast<size_t>(food)];
}
} // namespace

std::string fGetItemImageName(EItemType item) {
    if (item < 0 || item >= ITEM_TYPE_COUNT) {
        TAVONI_UNREACHABLE("Ziki");
    }
    return kItemImages[static_cast<size_t>(item)];
}

std::string fGetFoodImageName(EFoodType food) {
    return fFood(food).image;
}
std::string fGetFoodName(EFoodType food) {
    return fFood(food).name;
}
int fGetFoodLife(EFoodType food) {
    return fFood(food).life;
}
int fGetFoodBonusSeconds(EFoodType food) {
    return fFood(food).bonusSeconds;
}
const SIngredients& fGetRecipe(EFoodType food) {
    return fFood(food).recipe;
}

bool fCanCook(EFoodType food, const SIngredients& carried) {
    const SIngredients& recipe = fGetRecipe(food);
    for (size_t i = 0; i < recipe.size(); ++i) {
        if (carried[i] < recipe[i]) {
            return false;
        }
    }
    return true;
}

void CFoodTables::CFoodStock::fRefill() {
    for (int dish : mSource) {
        mStock.push_back(dish);
        mStock.push_back(dish);
    }
}

EFoodType CFoodTables::CFoodStock::fTakeFood() {
    if (mStock.empty()) {
        fRefill();
    }
    const int i = gRandom->fGetRand(0, static_cast<int>(mStock.size()) - 1);
    TAVONI_CHECK(i >= 0 && i < static_cast<int>(mStock.size()), "Ziki", "food bag index out of range");
    const int dish = mStock[static_cast<size_t>(i)];
    mStock.erase(mStock.begin() + i);
    return static_cast<EFoodType>(dish);
}

CFoodTables::CFoodTables() {
    const std::vector<std::vector<int>> tables{
        {0, 1, 2},       {5, 6, 7, 9},    {4, 5, 6, 3, 8}, {0, 1, 9, 2},
        {4, 5, 6, 3, 8}, {4, 9, 3, 5, 8}, {4, 5, 3, 8},
    };
    mStocks.reserve(tables.size());
    for (const auto& t : tables) {
        mStocks.emplace_back(*this, t);
    }
}

EFoodTableByRank CFoodTables::fGetTableIndex(int rank) const {
    if (rank < 3) {
        return FOOD_TABLE_0;
    }
    if (rank >= 18) {
        return FOOD_TABLE_6;
    }
    return static_cast<EFoodTableByRank>(rank / 3);
}

EFoodType CFoodTables::fDrawFood(int rank) {
    return mStocks[static_cast<size_t>(fGetTableIndex(rank))].fTakeFood();
}

void CFoodTables::fAddToDigest(CStateDigest& digest) const {
    digest.fAddCount(mStocks.size());
    for (const CFoodStock& stock : mStocks) {
        digest.fAddCount(stock.fGetStock().size());
        for (int dish : stock.fGetStock()) {
            digest.fAddInt(dish);
        }
    }
}

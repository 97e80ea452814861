// The food data: six ingredients, ten dishes with their recipes, names, images, the life and bonus time
// each gives, and the seven food tables from which the hungry character's next wish is drawn by rank.
#pragma once

#include <array>
#include <string>
#include <vector>

enum EItemType : int {
    ITEM_FLOUR = 0,
    ITEM_RICE = 1,
    ITEM_MUTTON = 2,
    ITEM_PORK = 3,
    ITEM_SEAWEED = 4,
    ITEM_EGG = 5,
    ITEM_TYPE_COUNT = 6,
};

enum EFoodType : int {
    FOOD_TAMAGOYAKI = 0,
    FOOD_HOTDOG = 1,
    FOOD_ONIGIRI = 2,
    FOOD_KATSUDON = 3,
    FOOD_EHOMAKI = 4,
    FOOD_FRIED_RICE = 5,
    FOOD_EGG_SANDWICH = 6,
    FOOD_BREAD = 7,
    FOOD_GENGHIS_KHAN = 8,
    FOOD_SPARE_RIBS = 9,
    FOOD_TYPE_COUNT = 10,
};

enum EFoodTableByRank : int {
    FOOD_TABLE_0 = 0,
    FOOD_TABLE_1,
    FOOD_TABLE_2,
    FOOD_TABLE_3,
    FOOD_TABLE_4,
    FOOD_TABLE_5,
    FOOD_TABLE_6,
    FOOD_TABLE_COUNT,
};

using SIngredients = std::array<int, ITEM_TYPE_COUNT>;

std::string fGetItemImageName(EItemType item);
std::string fGetFoodImageName(EFoodType food);
std::string fGetFoodName(EFoodType food);
int fGetFoodLife(EFoodType food);
int fGetFoodBonusSeconds(EFoodType food);
const SIngredients& fGetRecipe(EFoodType food);
bool fCanCook(EFoodType food, const SIngredients& carried);

class CStateDigest;

class CFoodTables {
public:
    // One bag per table: each listed dish twice, drawn without replacement, refilled when empty.
    class CFoodStock {
    public:
        CFoodStock(CFoodTables& owner, std::vector<int> source)
            : mSource(std::move(source)), mOwner(&owner) {}
        virtual ~CFoodStock() = default;
        virtual void fRefill();
        virtual EFoodType fTakeFood();
        const std::vector<int>& fGetStock() const { return mStock; }

    private:
        std::vector<int> mStock;
        std::vector<int> mSource;
        CFoodTables* mOwner;
    };

    CFoodTables();
    virtual ~CFoodTables() = default;
    CFoodTables(const CFoodTables&) = delete;
    CFoodTables& operator=(const CFoodTables&) = delete;

    virtual EFoodTableByRank fGetTableIndex(int rank) const;
    virtual EFoodType fDrawFood(int rank);
    const CFoodStock& fGetStock(EFoodTableByRank table) const { return mStocks[static_cast<size_t>(table)]; }
    // What is left in every bag, in order.
    void fAddToDigest(CStateDigest& digest) const;

private:
    std::vector<CFoodStock> mStocks;
};

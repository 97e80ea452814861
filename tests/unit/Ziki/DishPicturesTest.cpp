// The ranking server's dishes are the game's: the same names and, magenta made transparent, the same
// pictures, for every dish number.
#include "CDishPictures.h"
#include "PngFile.h"
#include "Ziki/CFoodTables.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

TEST(DishPictures, TheServersDishesAreTheGamesPicturesWithMagentaTransparent) {
    // The chunk that marks (255, 0, 255) transparent: length 6, "tRNS", three 16-bit samples, its CRC.
    const std::string transparency("\0\0\0\x06tRNS\0\xff\0\0\0\xff", 14);
    for (int dish = 0; dish < CDishPictures::kCount; ++dish) {
        const auto food = static_cast<EFoodType>(dish);
        EXPECT_EQ(CDishPictures::fName(dish), fGetFoodName(food));
        std::ifstream in(std::filesystem::path(TAVONI_SOURCE_DIR) / "dat/image" / fGetFoodImageName(food),
                         std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string& served = CDishPictures::fPng(dish);
        EXPECT_EQ(fCheckPng(served, 32, 32), "") << dish;
        const std::size_t at = served.find(transparency);
        ASSERT_EQ(at, 33u) << dish; // right after the header
        EXPECT_TRUE(served.substr(0, at) + served.substr(at + transparency.size() + 4) == file) << dish;
    }
    EXPECT_EQ(CDishPictures::fPng(10), "");
    EXPECT_EQ(CDishPictures::fPng(-1), "");
}

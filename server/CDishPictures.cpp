#include "CDishPictures.h"

#include "PageTexts.h"
#include "PngFile.h"

#include <array>

extern const std::string_view kDishPictureBytes[CDishPictures::kCount];

const std::string& CDishPictures::fPng(int dish) {
    static const std::array<std::string, kCount> pictures = [] {
        std::array<std::string, kCount> made;
        for (int i = 0; i < kCount; ++i) {
            made[static_cast<std::size_t>(i)] = fWithTransparentMagenta(kDishPictureBytes[i]);
        }
        return made;
    }();
    static const std::string none;
    return dish >= 0 && dish < kCount ? pictures[static_cast<std::size_t>(dish)] : none;
}

std::string_view CDishPictures::fName(int dish) {
    // The Japanese page's names are the game's own.
    const SPageTexts& japanese = fPageTexts(EPageLanguage::Japanese);
    return dish >= 0 && dish < kCount ? japanese.dishes[static_cast<std::size_t>(dish)] : "?";
}

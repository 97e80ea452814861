#include "CDishPictures.h"

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
    static constexpr std::array<std::string_view, kCount> names = {
        "玉子焼き",   "ホットドッグ", "おにぎり", "カツ丼",       "恵方巻き",
        "チャーハン", "タマゴサンド", "食パン",   "ジンギスカン", "スペアリブ(羊)"};
    return dish >= 0 && dish < kCount ? names[static_cast<std::size_t>(dish)] : "?";
}

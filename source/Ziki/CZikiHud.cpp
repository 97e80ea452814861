// The head-up display on the left of the screen: remaining time, the wished dishes, whether the first can
// be cooked, the ingredients it needs against those carried, and the blinking popup of time changes.
#include "Stage/CStage.h"
#include "Ziki/CZiki.h"
#include "base/Check.h"
#include "base/TimeText.h"
#include "base/Translation.h"
#include "render/CImageManager.h"
#include "render/GameFonts.h"

#include <cstdio>
#include <cstdlib>
#include <dx/DxLib.h>

std::string CZiki::fGetTimeCharImage(char c, bool yellow) {
    const std::string suffix = yellow ? "_yellow.png" : ".png";
    if (c >= '0' && c <= '9') {
        return std::string("ui_parts/time_") + c + suffix;
    }
    switch (c) {
    case ':':
        return "ui_parts/time_coron.png";
    case '+':
        return "ui_parts/time_plus" + suffix;
    case '-':
        return "ui_parts/time_minus" + suffix;
    default:
        TAVONI_UNREACHABLE("Ziki");
    }
}

void CZiki::fDrawImage(const std::string& name, double x, double y, double zoom, int r, int g, int b) const {
    SDrawData d = fMakeDrawDataFromName(name);
    d.fSetSizeFromImage();
    if (zoom != 1.0) {
        // Stretched from the same top-left corner.
        d.fSetExtendSize(static_cast<int>(d.fGetWidth() * zoom), static_cast<int>(d.fGetHeight() * zoom));
    }
    d.fSetRed(r);
    d.fSetGreen(g);
    d.fSetBlue(b);
    d.fDrawAt({x, y});
}

void CZiki::fDrawHud() {
    // Bonus popup, blinking while it runs.
    if (!mBonusTimeShowTimer.fIsEnded() && mBonusTimeShowTimer.fGetRemaining() % 20 <= 10) {
        const std::string t = fFramesToTimeText(std::abs(mBonusTime));
        const double y = mBonusTime2 == 0 ? 50.0 : 40.0;
        const bool plus = mBonusTime >= 0;
        const int r = plus ? 100 : 255;
        const int g = plus ? 255 : 0;
        fDrawImage(fGetTimeCharImage(plus ? '+' : '-'), 130, y, 0.75, r, g, 0);
        fDrawImage(fGetTimeCharImage(t[3]), 150, y, 0.8, r, g, 0);
        fDrawImage(fGetTimeCharImage(t[4]), 170, y, 0.8, r, g, 0);
        if (mBonusTime2 > 0) {
            const std::string t2 = fFramesToTimeText(mBonusTime2);
            fDrawImage("ui_parts/time_plus_yellow.png", 130, 70, 0.5);
            fDrawImage(fGetTimeCharImage(t2[3], true), 150, 70, 0.55);
            fDrawImage(fGetTimeCharImage(t2[4], true), 170, 70, 0.55);
        }
    }

    // Remaining time.
    const std::string clock = fFramesToTimeText(mStage->fGetTimeLeft());
    for (size_t i = 0; i < clock.size(); ++i) {
        fDrawImage(fGetTimeCharImage(clock[i]), 22.0 * static_cast<double>(i), 32);
    }

    // Wish panel.
    const std::vector<EFoodType> wishes = mStage->fGetWishList();
    fDrawImage("ui_parts/food_bg.png", 3, 116);
    fDrawImage("ui_parts/next.png", 55, 75);
    fDrawImage("ui_parts/yazirusi.png", 0, 70);
    if (!wishes.empty()) {
        fDrawImage(fGetFoodImageName(wishes[0]), 7, 120);
        dx_DrawStringToHandle(10, 160, fTr(fGetFoodName(wishes[0])).c_str(), dx_GetColor(255, 255, 255),
                              gFont20, 0, 0);
    }
    fDrawImage("ui_parts/food_bg.png", 43, 116);
    if (wishes.size() >= 2) {
        fDrawImage(fGetFoodImageName(wishes[1]), 47, 120);
    }
    fDrawImage("ui_parts/food_bg.png", 83, 116);
    if (wishes.size() >= 3) {
        fDrawImage(fGetFoodImageName(wishes[2]), 87, 120);
    }
    if (!wishes.empty() && fCanCook(wishes[0], mIngredients)) {
        fDrawImage("ui_parts/maru.png", -10, 104);
    }

    // Ingredient panel: carried against needed.
    // The label is a picture with words: one for each language.
    fDrawImage(fGetLanguage() == ELanguage::English ? "ui_parts/ingredient_en.png"
                                                    : "ui_parts/ingredient.png",
               10, 190);
    for (int i = 0; i < ITEM_TYPE_COUNT; ++i) {
        const int need = wishes.empty() ? 0 : fGetRecipe(wishes[0])[static_cast<size_t>(i)];
        const int have = mIngredients[static_cast<size_t>(i)];
        const int y = 230 + 32 * i;
        fDrawImage(fGetItemImageName(static_cast<EItemType>(i)), 10, y);
        const std::string text = std::to_string(have) + "/" + std::to_string(need);
        unsigned int colour = dx_GetColor(255, 255, 255);
        if (need == 0) {
            colour = dx_GetColor(160, 160, 160);
        } else if (need <= have) {
            colour = dx_GetColor(100, 255, 100);
        }
        dx_DrawStringToHandle(60, y, text.c_str(), colour, gFont28, 0, 0);
    }
}

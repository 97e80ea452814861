#include "Ziki/CZikiSprites.h"
#include "base/GameFolders.h"

#include "base/CException.h"
#include "base/Check.h"

#include <dx/DxLib.h>
#include <string>

namespace {
std::array<std::array<int, kZikiFramesPerCharactor>, kCharactorCount> gZikiSprites{};

constexpr const char* kSheets[kCharactorCount] = {
    "dat/image/ziki/v8-pelka.png",
    "dat/image/ziki/v8-tosca.png",
    "dat/image/ziki/v8-varno.png",
};

// Sheet row (clockwise from up: up, up-right, right, down-right, down, down-left, left, up-left) of each
// keypad direction 0..8 (down-left, down, down-right, left, none, right, up-left, up, up-right).
constexpr int kRowOfDirection[9] = {5, 4, 3, 6, 4, 2, 7, 0, 1};
} // namespace

void fLoadZikiSprites() {
    for (int c = 0; c < kCharactorCount; ++c) {
        int cells[24];
        const std::string sheet = fDataPath(kSheets[c]);
        if (dx_LoadDivGraph(sheet.c_str(), 24, 3, 8, 24, 32, cells) == -1) {
            throw CException("cannot load the character sheet " + sheet + ": " + dx_GetLastError());
        }
        for (int d = 0; d < 9; ++d) {
            for (int k = 0; k < 3; ++k) {
                gZikiSprites[static_cast<size_t>(c)][static_cast<size_t>(3 * d + k)] =
                    cells[kRowOfDirection[d] * 3 + k];
            }
        }
    }
}

int fGetZikiSprite(int charactor, int index) {
    TAVONI_CHECK(charactor >= 0 && charactor < kCharactorCount, "Ziki", "character out of range");
    TAVONI_CHECK(index >= 0 && index < kZikiFramesPerCharactor, "Ziki", "sprite index out of range");
    return gZikiSprites[static_cast<size_t>(charactor)][static_cast<size_t>(index)];
}

std::array<SDrawData, 9> fMakeWalkAnimations(int charactor, int animeWait) {
    std::array<SDrawData, 9> anims;
    for (int d = 0; d < 9; ++d) {
        SDrawData& anim = anims[static_cast<size_t>(d)];
        for (const int k : {0, 1, 2, 1}) {
            anim.fAddCel(fGetZikiSprite(charactor, 3 * d + k));
        }
        anim.fSetAnimeWait(animeWait);
        anim.fSetSizeAndCenter(24, 32);
    }
    return anims;
}

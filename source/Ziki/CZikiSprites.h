// The walking frames of the three characters, cut once at start-up from their sheets: per character 27
// handles, three per keypad direction (positions 3d .. 3d+2), NEUTRAL using the downward row.
#pragma once

#include "render/CDrawData.h"

#include <array>

enum ECharactor : int {
    pelka = 0,
    tosca = 1,
    varno = 2,
};

inline constexpr int kCharactorCount = 3;
inline constexpr int kZikiFramesPerCharactor = 27;

void fLoadZikiSprites();
// Handle of frame `index` (0..26) of a character.
int fGetZikiSprite(int charactor, int index);
// One 24 x 32 walking animation per keypad direction: frames 3d, 3d+1, 3d+2, 3d+1 of the character, looped.
std::array<SDrawData, 9> fMakeWalkAnimations(int charactor, int animeWait);

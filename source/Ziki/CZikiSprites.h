// The walking frames of the three characters, cut once at start-up from their sheets: per character 27
// handles, three per keypad direction (positions 3d .. 3d+2), NEUTRAL using the downward row.
#pragma once

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

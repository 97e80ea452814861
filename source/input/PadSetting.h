// Where the key manager finds the player's pad assignment. The assignment is one of the settings the game
// loads and saves (gOptionInfo, above this layer), so the settings tell the input layer how to read it.
#pragma once

#include <cstdint>
#include <vector>

// The 15 pad bits of the game keys (left, up, right, down, the arrow keys, then buttons), or null while no
// settings are loaded.
using PadSettingReader = const std::vector<std::int32_t>* (*)();

void fSetPadSettingReader(PadSettingReader reader);
// The assignment now, or null when no reader is set or it has nothing.
const std::vector<std::int32_t>* fReadPadSetting();

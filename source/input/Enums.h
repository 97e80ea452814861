// The game's input vocabulary: the 28 logical keys and the two direction sets.
#pragma once

#include <cstdint>

// Logical game keys; the value is the index used by the key manager and the replay frame records.
enum class EGameKey : std::int32_t {
    LEFT = 0,
    UP = 1,
    RIGHT = 2,
    DOWN = 3,
    ARROW_LEFT = 4,
    ARROW_UP = 5,
    ARROW_RIGHT = 6,
    ARROW_DOWN = 7,
    KEY_Z = 8,
    KEY_X = 9,
    KEY_C = 10,
    KEY_A = 11,
    KEY_S = 12,
    KEY_D = 13,
    KEY_SPACE = 14,
    KEY_F1 = 15,
    KEY_F2 = 16,
    KEY_F3 = 17,
    KEY_F4 = 18,
    KEY_F5 = 19,
    KEY_F6 = 20,
    KEY_F7 = 21,
    KEY_F8 = 22,
    KEY_F9 = 23,
    KEY_F10 = 24,
    KEY_F11 = 25,
    KEY_F12 = 26,
    KEY_ESC = 27,
};

inline constexpr int kGameKeyCount = 28;

// Eight directions and none, numbered like a numeric keypad minus one (screen up is keypad 8).
enum class EDirectionTenkey : std::int32_t {
    DOWN_LEFT = 0,
    DOWN = 1,
    DOWN_RIGHT = 2,
    LEFT = 3,
    NEUTRAL = 4,
    RIGHT = 5,
    UP_LEFT = 6,
    UP = 7,
    UP_RIGHT = 8,
};

// Same order as the game keys 0 to 3.
enum class EDirection4 : std::int32_t {
    LEFT = 0,
    UP = 1,
    RIGHT = 2,
    DOWN = 3,
};

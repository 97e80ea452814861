// Small value types of the window framework.
#pragma once

// A rectangle by its top-left corner and its size, in pixels.
struct SWindowRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    friend bool operator==(const SWindowRect&, const SWindowRect&) = default;
};

// The four focus directions; the same numbering as the game's direction keys (EDirection4).
enum EFocusDirection : int {
    FOCUS_LEFT = 0,
    FOCUS_UP = 1, // the previous entry of a vertical list
    FOCUS_RIGHT = 2,
    FOCUS_DOWN = 3, // the next entry of a vertical list
};

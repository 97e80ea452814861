// The screen the game is drawn on, and the tests every actor makes against it. Screen positions are map
// positions plus the terrain's scroll offset (see CGeographicalFeatures::fToScreen / fToMap).
#pragma once

#include "geometry/CPoint.h"

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;
inline constexpr SPointD kScreenCentre{kScreenWidth / 2.0, kScreenHeight / 2.0};

// Lies the screen position more than `margin` pixels outside the screen? A position exactly `margin`
// beyond an edge is still inside.
constexpr bool fIsOffScreen(SPointD screen, double margin) {
    return screen.x < -margin || screen.x > kScreenWidth + margin || screen.y < -margin ||
           screen.y > kScreenHeight + margin;
}

// Lies the screen position on the screen, edges included?
constexpr bool fIsOnScreen(SPointD screen) {
    return !fIsOffScreen(screen, 0.0);
}

// Contact tests shared by the collision pass, the terrain and the walkers.
#pragma once

#include "geometry/CPoint.h"

// Circles touch when the distance of their centres is at most the sum of their radii.
bool fIsHitCircle(const SCircleD& a, const SCircleD& b);
// Rectangles overlap when their truncated edges overlap strictly; edges that only touch do not.
bool fIsHitRect(const SRectD& a, const SRectD& b);
// The 16-pixel map cell holding a point; negative coordinates go to the cell before 0.
SPointI fToMapCell(SPointD p);

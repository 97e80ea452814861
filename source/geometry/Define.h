// Direction conversions used by movement and shots. Angles are in degrees, 0 = screen up, growing
// clockwise (90 = right, 180 = down, 270 = left).
#pragma once

#include "input/Enums.h"

#include <utility>

// The direction's angle in degrees; NEUTRAL gives -1.
int fTenkeyToAngle(EDirectionTenkey direction);

bool fIsTenkeyDiagonal(EDirectionTenkey direction);

// The two neighbouring directions: the clockwise one first (as seen on screen), then the anticlockwise one.
// NEUTRAL gives (NEUTRAL, NEUTRAL).
std::pair<EDirectionTenkey, EDirectionTenkey> fGetTenkeyNeighbours(EDirectionTenkey direction);

EDirectionTenkey fDirection4ToTenkey(EDirection4 direction);

// [45, 135) right, [135, 225) down, [225, 315) left, the rest up; any angle is first brought into [0, 360).
EDirection4 fAngleToDirection4(double degrees);

// The nearest of the eight directions: each covers 45 degrees centred on its own angle.
EDirectionTenkey fAngleToTenkey(double degrees);

double fDegreeToRadian(double degrees);

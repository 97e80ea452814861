// One chip of the town: a small actor at the chip's centre, solid when it carries a hit rectangle.
#pragma once

#include "Stage/CActor.h"

class CMapObject : public CActor {
public:
    CMapObject(const SDrawData& drawData, SPointD position) : CActor(drawData, position) {}
};

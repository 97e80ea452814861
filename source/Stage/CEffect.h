// Short-lived decorations (explosions, sparks, markers): plain actors that draw at once, above the world.
#pragma once

#include "util/CActor.h"

class CEffect : public CActor {};

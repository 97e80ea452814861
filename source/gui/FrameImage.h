// The picture of one window layer, built once when the window is made: the frame picture is cut into nine
// pieces by its margins; the middle and edge pieces are repeated (never stretched) over the target size and
// the four corners drawn last.
#pragma once

#include "gui/CWindowBgInfo.h"

// Returns the new image handle; the caller deletes it. The back screen is the scratch canvas, so call this
// outside the draw step (windows are made in input and update). A CException when the picture cannot be
// read, when its margins leave no middle to repeat, or when the size is empty. A size past the 640 x 480
// screen gives a layer cut to the screen (its right and bottom edges then lie off screen).
int fBuildFrameImage(const CWindowBgInfo& layer, int width, int height);

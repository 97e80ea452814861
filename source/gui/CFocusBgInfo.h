// How a focused text label is highlighted: a filled box and/or an outline behind the text.
#pragma once

#include <optional>

struct CFocusBgInfo {
    CFocusBgInfo() = default;
    CFocusBgInfo(bool fillOn_, bool frameOn_, unsigned int fillColour_, unsigned int frameColour_,
                 int fillAlpha_, int frameAlpha_, int margin_)
        : fillOn(fillOn_), frameOn(frameOn_), fillColour(fillColour_), frameColour(frameColour_),
          fillAlpha(fillAlpha_), frameAlpha(frameAlpha_), margin(margin_) {}

    bool fillOn = false;
    bool frameOn = false;
    // Width of the box; the list helper sets it to the window's inner width. Absent counts as 0.
    std::optional<int> width;
    unsigned int fillColour = 0;
    unsigned int frameColour = 0;
    int fillAlpha = 255;
    int frameAlpha = 255;
    // Pixels by which every edge of the box is moved inwards.
    int margin = 0;
};

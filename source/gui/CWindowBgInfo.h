// One background layer of a window: a frame picture cut into nine pieces by its margins and tiled to the
// window's size (see fBuildFrameImage).
#pragma once

struct CWindowBgInfo {
    int image = -1; // media-layer image handle of the frame picture
    int width = -1; // target size in pixels; -1 = the window's size
    int height = -1;
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    double alpha = 255.0;    // 0..255
    bool transparent = true; // drawn without its magenta pixels
};

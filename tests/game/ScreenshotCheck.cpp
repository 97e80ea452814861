#include "ScreenshotCheck.h"

#include <dx/DxLib.h>
#include <vector>

CScreenshotCheck::CScreenshotCheck() {
    dx_SetBackend(DxBackend::Offscreen);
    dx_SetTransColor(255, 0, 255);
    mStarted = dx_DxLib_Init() == 0;
}

CScreenshotCheck::~CScreenshotCheck() {
    if (mStarted) {
        dx_DxLib_End();
    }
}

bool CScreenshotCheck::fShows(const std::filesystem::path& screenshot, const std::filesystem::path& picture,
                              int x, int y) {
    const int shot = dx_LoadGraph(screenshot.c_str());
    const int pic = dx_LoadGraph(picture.c_str());
    int w = 0;
    int h = 0;
    if (shot < 0 || pic < 0 || dx_GetGraphSize(pic, &w, &h) != 0) {
        return false;
    }
    const auto region = [&] {
        std::vector<unsigned int> pixels;
        for (int py = y; py < y + h; ++py) {
            for (int px = x; px < x + w; ++px) {
                pixels.push_back(dx_GetPixel(px, py));
            }
        }
        return pixels;
    };
    dx_ClsDrawScreen();
    dx_DrawGraph(0, 0, shot, 0);
    const std::vector<unsigned int> before = region();
    dx_DrawGraph(x, y, pic, 1);
    const bool same = region() == before;
    dx_DeleteGraph(pic);
    dx_DeleteGraph(shot);
    return same;
}

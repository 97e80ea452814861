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

template <typename Visit>
bool CScreenshotCheck::fVisitPixels(const std::filesystem::path& screenshot, int x0, int y0, int x1, int y1,
                                    Visit&& visit) {
    const int shot = dx_LoadGraph(screenshot.c_str());
    if (shot < 0) {
        return false;
    }
    dx_ClsDrawScreen();
    dx_DrawGraph(0, 0, shot, 0);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const unsigned int p = dx_GetPixel(x, y);
            visit(int(p >> 16 & 0xff), int(p >> 8 & 0xff), int(p & 0xff));
        }
    }
    dx_DeleteGraph(shot);
    return true;
}

double CScreenshotCheck::fMeanBrightness(const std::filesystem::path& screenshot, int x0, int y0, int x1,
                                         int y1) {
    double sum = 0.0;
    long count = 0;
    if (!fVisitPixels(screenshot, x0, y0, x1, y1,
                      [&](int r, int g, int b) {
                          sum += (r + g + b) / 3.0;
                          ++count;
                      }) ||
        count == 0) {
        return -1.0;
    }
    return sum / static_cast<double>(count);
}

int CScreenshotCheck::fCountBright(const std::filesystem::path& screenshot, int x0, int y0, int x1, int y1,
                                   int bright) {
    int n = 0;
    if (!fVisitPixels(screenshot, x0, y0, x1, y1,
                      [&](int r, int g, int b) { n += r > bright && g > bright && b > bright; })) {
        return -1;
    }
    return n;
}

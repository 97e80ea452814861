// Drawing calls and the drawing state (blend mode, brightness, clip area) they share.
#include "DxBackend.h"

#include <algorithm>
#include <cmath>

using namespace dxi;

namespace {

// The common part of the whole-image draws.
int drawWhole(int handle, float x, float y, float w, float h, double angle, SDL_RendererFlip flip, int trans,
              bool scaledDraw) {
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    SDL_FRect dst{x, y, w, h};
    backend().drawImage(*img, SDL_Rect{0, 0, img->w, img->h}, dst, angle, flip, trans != 0, scaledDraw);
    return 0;
}

} // namespace

int dx_DrawGraph(int x, int y, int handle, int trans) {
    if (logging()) {
        logCall("DrawGraph(%d,%d,%d,%d)", x, y, handle, trans);
    }
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    return drawWhole(handle, float(x), float(y), float(img->w), float(img->h), 0.0, SDL_FLIP_NONE, trans,
                     false);
}

int dx_DrawTurnGraph(int x, int y, int handle, int trans) {
    if (logging()) {
        logCall("DrawTurnGraph(%d,%d,%d,%d)", x, y, handle, trans);
    }
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    return drawWhole(handle, float(x), float(y), float(img->w), float(img->h), 0.0, SDL_FLIP_HORIZONTAL,
                     trans, false);
}

int dx_DrawRotaGraph(int x, int y, double scale, double angleRadians, int handle, int trans, int turn) {
    if (logging()) {
        logCall("DrawRotaGraph(%d,%d,%g,%g,%d,%d,%d)", x, y, scale, angleRadians, handle, trans, turn);
    }
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    const double w = img->w * scale, h = img->h * scale;
    // SDL turns clockwise on screen for a positive angle, as the game expects.
    const double degrees = angleRadians * 180.0 / M_PI;
    const bool scaledDraw = scale != 1.0 || std::fmod(std::fabs(degrees), 90.0) != 0.0;
    return drawWhole(handle, float(x - w / 2), float(y - h / 2), float(w), float(h), degrees,
                     turn ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE, trans, scaledDraw);
}

int dx_DrawExtendGraph(int x1, int y1, int x2, int y2, int handle, int trans) {
    if (logging()) {
        logCall("DrawExtendGraph(%d,%d,%d,%d,%d,%d)", x1, y1, x2, y2, handle, trans);
    }
    int flip = SDL_FLIP_NONE;
    if (x1 > x2) {
        std::swap(x1, x2);
        flip |= SDL_FLIP_HORIZONTAL;
    }
    if (y1 > y2) {
        std::swap(y1, y2);
        flip |= SDL_FLIP_VERTICAL;
    }
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    const bool scaledDraw = (x2 - x1) != img->w || (y2 - y1) != img->h;
    return drawWhole(handle, float(x1), float(y1), float(x2 - x1), float(y2 - y1), 0.0,
                     static_cast<SDL_RendererFlip>(flip), trans, scaledDraw);
}

int dx_DrawRectGraph(int destX, int destY, int srcX, int srcY, int width, int height, int handle, int trans,
                     int turn) {
    if (logging()) {
        logCall("DrawRectGraph(%d,%d,%d,%d,%d,%d,%d,%d,%d)", destX, destY, srcX, srcY, width, height, handle,
                trans, turn);
    }
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    // Keep the source inside the image.
    SDL_Rect src{srcX, srcY, width, height};
    SDL_Rect whole{0, 0, img->w, img->h};
    SDL_Rect part;
    if (!SDL_IntersectRect(&src, &whole, &part)) {
        return 0;
    }
    SDL_FRect dst{float(destX + part.x - srcX), float(destY + part.y - srcY), float(part.w), float(part.h)};
    backend().drawImage(*img, part, dst, 0.0, turn ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE, trans != 0, false);
    return 0;
}

int dx_DrawBox(int x1, int y1, int x2, int y2, unsigned int color, int fill) {
    if (logging()) {
        logCall("DrawBox(%d,%d,%d,%d,0x%06x,%d)", x1, y1, x2, y2, color, fill);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    if (y1 > y2) {
        std::swap(y1, y2);
    }
    if (x1 == x2 || y1 == y2) {
        return 0;
    }
    backend().drawBox(SDL_Rect{x1, y1, x2 - x1, y2 - y1}, color, fill != 0);
    return 0;
}

int dx_DrawLine(int x1, int y1, int x2, int y2, unsigned int color) {
    if (logging()) {
        logCall("DrawLine(%d,%d,%d,%d,0x%06x)", x1, y1, x2, y2, color);
    }
    backend().drawLine(x1, y1, x2, y2, color);
    return 0;
}

int dx_SetDrawBlendMode(int mode, int param) {
    if (logging()) {
        logCall("SetDrawBlendMode(%d,%d)", mode, param);
    }
    State& s = st();
    s.blendMode = mode;
    s.blendParam = param;
    return 0;
}

int dx_SetDrawBright(int red, int green, int blue) {
    if (logging()) {
        logCall("SetDrawBright(%d,%d,%d)", red, green, blue);
    }
    State& s = st();
    s.brightR = std::clamp(red, 0, 255);
    s.brightG = std::clamp(green, 0, 255);
    s.brightB = std::clamp(blue, 0, 255);
    return 0;
}

int dx_SetDrawArea(int x1, int y1, int x2, int y2) {
    if (logging()) {
        logCall("SetDrawArea(%d,%d,%d,%d)", x1, y1, x2, y2);
    }
    State& s = st();
    x1 = std::clamp(x1, 0, kScreenW);
    x2 = std::clamp(x2, 0, kScreenW);
    y1 = std::clamp(y1, 0, kScreenH);
    y2 = std::clamp(y2, 0, kScreenH);
    s.clip = SDL_Rect{x1, y1, std::max(0, x2 - x1), std::max(0, y2 - y1)};
    backend().applyClip();
    return 0;
}

unsigned int dx_GetColor(int red, int green, int blue) {
    return (unsigned(red & 255) << 16) | (unsigned(green & 255) << 8) | unsigned(blue & 255);
}

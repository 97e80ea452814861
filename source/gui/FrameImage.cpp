#include "gui/FrameImage.h"

#include "base/CException.h"
#include "render/ScreenGeometry.h"

#include <algorithm>
#include <array>
#include <dx/DxLib.h>
#include <string>

namespace {

std::string fSize(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

// The nine pieces, deleted again when the frame is built.
class CPieces {
public:
    enum { TOP_LEFT, TOP, TOP_RIGHT, LEFT, CENTRE, RIGHT, BOTTOM_LEFT, BOTTOM, BOTTOM_RIGHT };

    CPieces(int image, int w, int h, int l, int t, int r, int b) {
        const int iw = w - l - r;
        const int ih = h - t - b;
        const int xs[3] = {0, l, w - r};
        const int ws[3] = {l, iw, r};
        const int ys[3] = {0, t, h - b};
        const int hs[3] = {t, ih, b};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                // A zero margin leaves its pieces empty.
                if (ws[col] > 0 && hs[row] > 0) {
                    mHandles[std::size_t(row * 3 + col)] =
                        dx_DerivationGraph(xs[col], ys[row], ws[col], hs[row], image);
                }
            }
        }
    }
    ~CPieces() {
        for (int h : mHandles) {
            if (h > 0) {
                dx_DeleteGraph(h);
            }
        }
    }
    CPieces(const CPieces&) = delete;
    CPieces& operator=(const CPieces&) = delete;

    // Copies the piece's pixels as they are, magenta included, so the built picture keeps its transparency.
    void fPut(int piece, int x, int y) const {
        const int h = mHandles[std::size_t(piece)];
        if (h > 0) {
            dx_DrawGraph(x, y, h, 0);
        }
    }

private:
    std::array<int, 9> mHandles{-1, -1, -1, -1, -1, -1, -1, -1, -1};
};

} // namespace

int fBuildFrameImage(const CWindowBgInfo& layer, int width, int height) {
    int w = 0, h = 0;
    if (dx_GetGraphSize(layer.image, &w, &h) != 0) {
        throw CException("window frame picture (image " + std::to_string(layer.image) + ") cannot be read");
    }
    const int l = layer.marginLeft, t = layer.marginTop, r = layer.marginRight, b = layer.marginBottom;
    const int iw = w - l - r;
    const int ih = h - t - b;
    if (l < 0 || t < 0 || r < 0 || b < 0 || iw < 1 || ih < 1) {
        throw CException("window frame picture of " + fSize(w, h) + " is too small for its margins (left " +
                         std::to_string(l) + ", top " + std::to_string(t) + ", right " + std::to_string(r) +
                         ", bottom " + std::to_string(b) + "): nothing is left to repeat in the middle");
    }
    if (width < 1 || height < 1) {
        throw CException("a window layer of " + fSize(width, height) + " has no pixels");
    }
    // The back screen is the canvas, and a window wider than the screen (a long name from a server, a wide
    // font) shows only its on-screen part anyway: the layer is cut to the screen, the rest clipped.
    width = std::min(width, kScreenWidth);
    height = std::min(height, kScreenHeight);
    const int image = dx_MakeGraph(width, height);
    if (image == -1) {
        throw CException("cannot make a window layer of " + fSize(width, height) + ": " + dx_GetLastError());
    }
    const CPieces pieces(layer.image, w, h, l, t, r, b);
    const int drawMode = dx_GetDrawMode();
    dx_SetDrawMode(0);
    dx_SetDrawBlendMode(0, 0);
    dx_ClsDrawScreen();
    const int right = width - r;
    const int bottom = height - b;
    for (int y = t; y < bottom; y += ih) {
        for (int x = l; x < right; x += iw) {
            pieces.fPut(CPieces::CENTRE, x, y);
        }
    }
    for (int x = l; x < right; x += iw) {
        pieces.fPut(CPieces::TOP, x, 0);
        pieces.fPut(CPieces::BOTTOM, x, bottom);
    }
    for (int y = t; y < bottom; y += ih) {
        pieces.fPut(CPieces::LEFT, 0, y);
        pieces.fPut(CPieces::RIGHT, right, y);
    }
    // The corners last: they cover whatever the repeated pieces left hanging over the edges.
    pieces.fPut(CPieces::TOP_LEFT, 0, 0);
    pieces.fPut(CPieces::TOP_RIGHT, right, 0);
    pieces.fPut(CPieces::BOTTOM_LEFT, 0, bottom);
    pieces.fPut(CPieces::BOTTOM_RIGHT, right, bottom);
    dx_GetDrawScreenGraph(0, 0, width, height, image);
    dx_SetDrawMode(drawMode);
    return image;
}

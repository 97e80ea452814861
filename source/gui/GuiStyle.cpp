#include "gui/GuiStyle.h"

#include "base/CException.h"
#include "render/CImageManager.h"
#include "render/GameFonts.h"

#include <dx/DxLib.h>

namespace gui {

unsigned int fTextColour() {
    return dx_GetColor(67, 36, 18);
}

unsigned int fFocusTextColour() {
    return dx_GetColor(208, 182, 166);
}

int fStandardFont() {
    if (gFont24 == -1) {
        throw CException("the window font is not made yet");
    }
    return gFont24;
}

int fFontSize(int font) {
    int size = 0;
    if (dx_GetFontStateToHandle(nullptr, &size, nullptr, font) != 0) {
        throw CException("font handle " + std::to_string(font) + " cannot be read");
    }
    return size;
}

std::vector<CWindowBgInfo> fStandardLayers(int width, int height) {
    std::vector<CWindowBgInfo> layers(2);
    layers[0].image = gImageManager->fGetHandle(kWindowBgImage);
    layers[0].alpha = kWindowBgAlpha;
    layers[1].image = gImageManager->fGetHandle(kWindowFrameImage);
    layers[1].alpha = kWindowFrameAlpha;
    for (CWindowBgInfo& layer : layers) {
        layer.width = width;
        layer.height = height;
        layer.marginLeft = layer.marginTop = layer.marginRight = layer.marginBottom = kWindowMargin;
        layer.transparent = true;
    }
    return layers;
}

CFocusBgInfo fListFocusStyle() {
    return CFocusBgInfo(true, true, dx_GetColor(130, 130, 255), dx_GetColor(20, 20, 70), 80, 120, 2);
}

CFocusBgInfo fSingleLabelFocusStyle() {
    return CFocusBgInfo(true, true, dx_GetColor(240, 240, 255), dx_GetColor(160, 160, 180), 150, 50, 5);
}

CFocusBgInfo fMenuFocusStyle() {
    return CFocusBgInfo(true, true, dx_GetColor(67, 36, 18), dx_GetColor(67, 36, 18), 255, 255, 2);
}

CFocusBgInfo fEntryFocusStyle() {
    return CFocusBgInfo(true, false, dx_GetColor(67, 36, 18), dx_GetColor(67, 36, 18), 255, 255, 4);
}

} // namespace gui

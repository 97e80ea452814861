#include "render/GameFonts.h"

#include "base/CException.h"

#include <dx/DxLib.h>

int gFont20 = -1;
int gFont24Bold = -1;
int gFont64 = -1;
int gFont24 = -1;
int gFont28 = -1;

namespace {
int fCreateFont(int size, int thick, int type) {
    const int h = dx_CreateFontToHandle(nullptr, size, thick, type);
    if (h == -1) {
        throw CException("no Japanese font available: " + dx_GetLastError());
    }
    return h;
}

} // namespace

void fCreateFonts() {
    gFont20 = fCreateFont(20, 4, DX_FONTTYPE_ANTIALIASING_EDGE);
    gFont24Bold = fCreateFont(24, 4, DX_FONTTYPE_ANTIALIASING_EDGE);
    gFont64 = fCreateFont(64, 0, DX_FONTTYPE_ANTIALIASING_EDGE);
    gFont24 = fCreateFont(24, 0, DX_FONTTYPE_ANTIALIASING);
    gFont28 = fCreateFont(28, 9, DX_FONTTYPE_ANTIALIASING_EDGE);
}

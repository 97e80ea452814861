#include "render/CDrawData.h"

#include "base/Check.h"
#include "render/CImageManager.h"

#include <dx/DxLib.h>

void SDrawData::fSetAlpha(double v) {
    if (v < 0.0) {
        v = 0.0;
    } else if (v > 255.0) {
        v = 255.0;
    }
    alpha = v;
}

void SDrawData::fSetAnimeDivisor(int v) {
    TAVONI_CHECK(v != 0, "util.CDrawData", "anime divisor must not be 0");
    animeDivisor = v;
}

SPointI SDrawData::fGetImageSize() const {
    TAVONI_CHECK(!cels.empty(), "util.CDrawData", "image size asked of a draw data without cels");
    int w = 0;
    int h = 0;
    dx_GetGraphSize(cels[0].handle, &w, &h);
    return {w, h};
}

void SDrawData::fSetSizeFromImage() {
    const SPointI s = fGetImageSize();
    width = s.x;
    height = s.y;
}

void SDrawData::fSetExtendSize(int w, int h) {
    width = w;
    height = h;
    extend = true;
}

void SDrawData::fSetExtendSizeFromImage() {
    fSetSizeFromImage();
    extend = true;
}

void SDrawData::fCenterToMiddle() {
    centerX = -width / 2;
    centerY = -height / 2;
}

void SDrawData::fSetSizeAndCenter(int w, int h) {
    width = w;
    height = h;
    fCenterToMiddle();
}

void SDrawData::fSetSizeAndCenterFromImage() {
    const SPointI s = fGetImageSize();
    fSetSizeAndCenter(s.x, s.y);
}

void SDrawData::fSetSourceSizeFromImage() {
    const SPointI s = fGetImageSize();
    sourceWidth = s.x;
    sourceHeight = s.y;
}

void SDrawData::fAddCel(int handle) {
    cels.push_back({handle, 0, 0});
}

void SDrawData::fAddCelWithOffset(int handle, int x, int y) {
    cels.push_back({handle, x, y});
}

void SDrawData::fClearCels() {
    cels.clear();
}

void SDrawData::fResetAnime() {
    animeCounter = 0;
    celIndex = 0;
    alpha = 255.0;
}

void SDrawData::fUpdateAnime() {
    if (finished || animeWait < 0) {
        return;
    }
    if (animeCounter < animeWait / animeDivisor) {
        ++animeCounter;
    } else if (celIndex < static_cast<int>(cels.size()) - 1) {
        animeCounter = 0;
        ++celIndex;
    } else if (loop) {
        animeCounter = 0;
        celIndex = 0;
    } else {
        finished = true;
    }
}

int SDrawData::fGetCurrentHandle() const {
    TAVONI_CHECK(celIndex >= 0 && celIndex < static_cast<int>(cels.size()), "util.CDrawData",
                 "cel index out of range");
    return cels[static_cast<size_t>(celIndex)].handle;
}

SPointI SDrawData::fGetCurrentOffset() const {
    TAVONI_CHECK(celIndex >= 0 && celIndex < static_cast<int>(cels.size()), "util.CDrawData",
                 "cel index out of range");
    const SAnimationInfo& c = cels[static_cast<size_t>(celIndex)];
    return {c.offsetX, c.offsetY};
}

void SDrawData::fCopyTo(SDrawData& t) const {
    t.trans = trans;
    t.alpha = alpha;
    t.rotate = rotate;
    t.angle = angle;
    t.cels.insert(t.cels.end(), cels.begin(), cels.end());
    t.width = width;
    t.height = height;
    t.sourceWidth = sourceWidth;
    t.sourceHeight = sourceHeight;
    t.centerX = centerX;
    t.centerY = centerY;
    t.offsetX = offsetX;
    t.offsetY = offsetY;
    t.animeWait = animeWait;
    t.animeDivisor = animeDivisor;
    t.animeCounter = animeCounter;
    t.celIndex = celIndex;
    t.loop = loop;
    t.finished = finished;
    t.scale = scale;
    t.extend = extend;
    t.visible = visible;
    t.clip = clip;
    t.clipRect = clipRect;
}

namespace {
int fTrunc(double v) {
    return static_cast<int>(v);
} // toward zero
} // namespace

void SDrawData::fDrawAt(SPointD position) const {
    const SPointI cellOffset = fGetCurrentOffset();
    const SPointD p{position.x + centerX + cellOffset.x, position.y + centerY + cellOffset.y};
    if (!visible) {
        return;
    }
    const int halfW = width / 2;
    const int halfH = height / 2;
    if (clip) {
        dx_SetDrawArea(fTrunc(p.x + halfW + clipRect.fGetLeft()), fTrunc(p.y + halfH + clipRect.fGetTop()),
                       fTrunc(p.x + halfW + clipRect.fGetRight()),
                       fTrunc(p.y + halfH + clipRect.fGetBottom()));
    }
    const int a = fTrunc(alpha);
    const int h = fGetCurrentHandle();
    const bool tinted = red != 255 || green != 255 || blue != 255;
    if (tinted) {
        dx_SetDrawBright(red, green, blue);
    }
    const int tr = trans ? 1 : 0;
    auto plainDraw = [&]() {
        const int x = fTrunc(p.x + offsetX);
        const int y = fTrunc(p.y + offsetY);
        if (!extend) {
            if (!turn) {
                dx_DrawGraph(x, y, h, tr);
            } else {
                dx_DrawTurnGraph(x, y, h, tr);
            }
        } else {
            const int left = fTrunc(p.x + offsetX);
            const int right = fTrunc(p.x + width + offsetX);
            const int top = fTrunc(p.y + offsetY);
            const int bottom = fTrunc(p.y + height + offsetY);
            if (!turn) {
                dx_DrawExtendGraph(left, top, right, bottom, h, tr);
            } else {
                dx_DrawExtendGraph(right, top, left, bottom, h, tr);
            }
        }
    };
    if (a >= 255 && !rotate && scale == 1.0) {
        plainDraw();
    } else if (!rotate && scale == 1.0) {
        dx_SetDrawBlendMode(1, a);
        plainDraw();
        dx_SetDrawBlendMode(0, 0);
    } else {
        dx_SetDrawBlendMode(1, a);
        const int cx = fTrunc(p.x + sourceWidth / 2 + offsetX);
        const int cy = fTrunc(p.y + sourceHeight / 2 + offsetY);
        const double r = angle * 3.14159265358979323846 / 180.0;
        const double k = extend ? static_cast<double>(width) / static_cast<double>(sourceWidth) : scale;
        dx_DrawRotaGraph(cx, cy, k, r, h, tr, turn ? 1 : 0);
        dx_SetDrawBlendMode(0, 0);
    }
    if (tinted) {
        dx_SetDrawBright(255, 255, 255);
    }
    if (clip) {
        dx_SetDrawArea(0, 0, 640, 480);
    }
}

std::unique_ptr<CDrawData> CDrawData::fClone() const {
    auto c = std::make_unique<CDrawData>();
    fCopyTo(*c);
    return c;
}

SDrawData fMakeDrawData(int handle) {
    TAVONI_CHECK(handle != -1, "util.CDrawData", "draw data made from the handle -1 (image not loaded)");
    SDrawData d;
    d.fAddCel(handle);
    d.animeWait = -1;
    return d;
}

std::unique_ptr<CDrawData> fMakeDrawDataObject(int handle) {
    return std::make_unique<CDrawData>(fMakeDrawData(handle));
}

SDrawData fMakeDrawDataFromName(const std::string& imageName) {
    return fMakeDrawData(gImageManager->fGetHandle(imageName));
}

// How one sprite is drawn: cels, size, tint, transparency, rotation, scale, mirror and clipping.
// SDrawData is the value form used by everything in the stage (copied into the draw queue each frame);
// CDrawData is the object form kept by menus and windows, with the same fields and operations.
#pragma once

#include "geometry/CPoint.h"

#include <memory>
#include <string>
#include <vector>

struct SAnimationInfo {
    int handle = -1;
    int offsetX = 0;
    int offsetY = 0;
};

struct SDrawData {
    int red = 255;
    int green = 255;
    int blue = 255;
    bool turn = false;
    bool trans = true;
    double alpha = 255.0;
    bool rotate = false;
    double angle = 0.0;
    std::vector<SAnimationInfo> cels;
    int width = 0;
    int height = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int centerX = 0;
    int centerY = 0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    int animeWait = 0;
    int animeDivisor = 1;
    int animeCounter = 0;
    int celIndex = 0;
    bool loop = true;
    bool finished = false;
    double scale = 1.0;
    bool extend = false;
    bool visible = true;
    bool clip = false;
    SRectD clipRect;

    void fSetRed(int v) { red = v; }
    void fSetGreen(int v) { green = v; }
    void fSetBlue(int v) { blue = v; }
    void fSetTurn(bool v) { turn = v; }
    bool fGetTurn() const { return turn; }
    void fSetRotate(bool v) { rotate = v; }
    void fSetAngle(double degrees) { angle = degrees; }
    bool fGetRotate() const { return rotate; }
    double fGetAngle() const { return angle; }
    void fSetTrans(bool v) { trans = v; }
    bool fGetTrans() const { return trans; }
    void fSetAlpha(double v);
    double fGetAlpha() const { return alpha; }
    int fGetCelCount() const { return static_cast<int>(cels.size()); }
    void fSetAnimeWait(int v) { animeWait = v; }
    void fSetAnimeDivisor(int v);
    int fGetAnimeCounter() const { return animeCounter; }
    void fSetAnimeCounter(int v) { animeCounter = v; }
    SPointI fGetCenter() const { return {centerX, centerY}; }
    void fSetExtend(bool v) { extend = v; }
    bool fGetExtend() const { return extend; }
    void fSetVisible(bool v) { visible = v; }
    bool fGetVisible() const { return visible; }
    int fGetWidth() const { return width; }
    int fGetHeight() const { return height; }
    int fGetSourceWidth() const { return sourceWidth; }
    int fGetSourceHeight() const { return sourceHeight; }
    void fSetCenter(int x, int y) {
        centerX = x;
        centerY = y;
    }
    void fSetSizeFromImage();
    void fSetExtendSize(int w, int h);
    void fSetExtendSizeFromImage();
    void fCenterToMiddle();
    void fSetSizeAndCenter(int w, int h);
    void fSetSizeAndCenterFromImage();
    double fGetScale() const { return scale; }
    void fSetScale(double v) { scale = v; }
    void fSetSourceSizeFromImage();
    void fSetSourceSize(int w, int h) {
        sourceWidth = w;
        sourceHeight = h;
    }
    void fAddCel(int handle);
    void fAddCelWithOffset(int handle, int x, int y);
    void fClearCels();
    void fResetAnime();
    void fUpdateAnime();
    int fGetCurrentHandle() const;
    SPointI fGetCurrentOffset() const;
    void fSetLoop(bool v) { loop = v; }

    // Copies every field except the tint and the mirror flag; the cels are appended to the target's.
    void fCopyTo(SDrawData& target) const;

    // Draws this sprite at `position` at once (the queue's entry drawing).
    void fDrawAt(SPointD position) const;

private:
    SPointI fGetImageSize() const;
};

// The object form, for menus and windows that keep one sprite and draw it themselves.
class CDrawData {
public:
    CDrawData() = default;
    explicit CDrawData(SDrawData data) : mData(std::move(data)) {}
    virtual ~CDrawData() = default;
    CDrawData(const CDrawData&) = default;
    CDrawData& operator=(const CDrawData&) = default;

    virtual void fSetRed(int v) { mData.fSetRed(v); }
    virtual void fSetGreen(int v) { mData.fSetGreen(v); }
    virtual void fSetBlue(int v) { mData.fSetBlue(v); }
    virtual void fSetTurn(bool v) { mData.fSetTurn(v); }
    virtual bool fGetTurn() const { return mData.fGetTurn(); }
    virtual void fSetRotate(bool v) { mData.fSetRotate(v); }
    virtual void fSetAngle(double v) { mData.fSetAngle(v); }
    virtual bool fGetRotate() const { return mData.fGetRotate(); }
    virtual double fGetAngle() const { return mData.fGetAngle(); }
    virtual void fSetTrans(bool v) { mData.fSetTrans(v); }
    virtual bool fGetTrans() const { return mData.fGetTrans(); }
    virtual void fSetAlpha(double v) { mData.fSetAlpha(v); }
    virtual double fGetAlpha() const { return mData.fGetAlpha(); }
    virtual int fGetCelCount() const { return mData.fGetCelCount(); }
    virtual void fSetAnimeWait(int v) { mData.fSetAnimeWait(v); }
    virtual void fSetAnimeDivisor(int v) { mData.fSetAnimeDivisor(v); }
    virtual int fGetAnimeCounter() const { return mData.fGetAnimeCounter(); }
    virtual void fSetAnimeCounter(int v) { mData.fSetAnimeCounter(v); }
    virtual SPointI fGetCenter() const { return mData.fGetCenter(); }
    virtual void fSetExtend(bool v) { mData.fSetExtend(v); }
    virtual bool fGetExtend() const { return mData.fGetExtend(); }
    virtual void fSetVisible(bool v) { mData.fSetVisible(v); }
    virtual bool fGetVisible() const { return mData.fGetVisible(); }
    virtual int fGetWidth() const { return mData.fGetWidth(); }
    virtual int fGetHeight() const { return mData.fGetHeight(); }
    virtual int fGetSourceWidth() const { return mData.fGetSourceWidth(); }
    virtual int fGetSourceHeight() const { return mData.fGetSourceHeight(); }
    virtual void fSetCenter(int x, int y) { mData.fSetCenter(x, y); }
    virtual void fSetSizeFromImage() { mData.fSetSizeFromImage(); }
    virtual void fSetExtendSize(int w, int h) { mData.fSetExtendSize(w, h); }
    virtual void fSetExtendSizeFromImage() { mData.fSetExtendSizeFromImage(); }
    virtual void fCenterToMiddle() { mData.fCenterToMiddle(); }
    virtual void fSetSizeAndCenter(int w, int h) { mData.fSetSizeAndCenter(w, h); }
    virtual void fSetSizeAndCenterFromImage() { mData.fSetSizeAndCenterFromImage(); }
    virtual double fGetScale() const { return mData.fGetScale(); }
    virtual void fSetScale(double v) { mData.fSetScale(v); }
    virtual void fSetSourceSizeFromImage() { mData.fSetSourceSizeFromImage(); }
    virtual void fSetSourceSize(int w, int h) { mData.fSetSourceSize(w, h); }
    virtual void fAddCel(int handle) { mData.fAddCel(handle); }
    virtual void fAddCelWithOffset(int handle, int x, int y) { mData.fAddCelWithOffset(handle, x, y); }
    virtual void fClearCels() { mData.fClearCels(); }
    virtual void fResetAnime() { mData.fResetAnime(); }
    virtual void fUpdateAnime() { mData.fUpdateAnime(); }
    virtual int fGetCurrentHandle() const { return mData.fGetCurrentHandle(); }
    virtual SPointI fGetCurrentOffset() const { return mData.fGetCurrentOffset(); }
    virtual void fSetLoop(bool v) { mData.fSetLoop(v); }
    virtual void fCopyTo(CDrawData& target) const { mData.fCopyTo(target.mData); }
    virtual std::unique_ptr<CDrawData> fClone() const;

    void fDrawAt(SPointD position) const { mData.fDrawAt(position); }

    // Fields without setters (offsets, clipping) are set directly by their owners.
    SDrawData& fData() { return mData; }
    const SDrawData& fData() const { return mData; }

private:
    SDrawData mData;
};

SDrawData fMakeDrawData(int handle);
std::unique_ptr<CDrawData> fMakeDrawDataObject(int handle);
SDrawData fMakeDrawDataFromName(const std::string& imageName);

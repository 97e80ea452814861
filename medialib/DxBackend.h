// The screen side of the media layer: everything that needs pixels. The dx_ calls (medialib/core) check
// their arguments, keep the handle tables and the call log, then hand the pixel work to the backend that
// dx_DxLib_Init chose: an SDL renderer in a window or on an offscreen canvas (medialib/sdl), or nothing at
// all (medialib/null). Every operation is pure virtual, so a new call has to be written for each backend
// and no call can forget that the null one has no pixels.
#pragma once

#include "DxState.h"

#include <memory>
#include <string>

namespace dxi {

class Backend {
public:
    virtual ~Backend() = default;

    // A real display, sound device and game controllers; otherwise SDL runs on its dummy video driver.
    virtual bool usesDevices() const = 0;
    // Makes the screen once SDL has started; false with the error set.
    virtual bool open() = 0;
    // Releases the screen and what it keeps for itself (the text cache). The pictures are released before,
    // one by one, through freePicture.
    virtual void close() = 0;

    // ---- window
    virtual void setTitle(const std::string& title) = 0;
    virtual void setFullScreen(bool on) = 0;
    virtual bool fullScreen() const = 0;
    // The window's size when not full screen; false when there is no window.
    virtual bool windowSize(int& w, int& h) const {
        w = h = 0;
        return false;
    }
    // A window position in the 640 x 480 logical screen.
    virtual void toLogical(int winX, int winY, int& x, int& y) const = 0;

    // ---- frame
    // Draws go to the back screen again, inside the clip rectangle.
    virtual void selectBackScreen() = 0;
    virtual void clearScreen() = 0;
    // Shows the back screen (the window); nothing for the others.
    virtual void present() = 0;
    // Saves the area (x1, y1)-(x2, y2) of the back screen as a PNG; false with the error set.
    virtual bool savePng(int x1, int y1, int x2, int y2, const char* path) = 0;
    // The back screen's colour as 0x00RRGGBB; (x, y) is inside the screen.
    virtual unsigned int pixel(int x, int y) = 0;

    // ---- pictures
    // Fills the size (and the pixels, when there are any) of a picture file; false with the error set.
    virtual bool loadPicture(const char* path, Texture& out) = 0;
    // An empty picture that can receive a copy of the screen; false with the error set.
    virtual bool makeTarget(int width, int height, Texture& out) = 0;
    // Copies src of the back screen into image `into` of texture `t`: 0, or -1 when `t` cannot receive it.
    virtual int captureScreen(const SDL_Rect& src, const Image& into, Texture& t) = 0;
    virtual void freePicture(Texture& t) = 0;

    // ---- drawing, with the blend mode, brightness and clip kept in State
    virtual void drawImage(const Image& img, const SDL_Rect& src, const SDL_FRect& dst, double angleDeg,
                           SDL_RendererFlip flip, bool trans, bool scaled) = 0;
    virtual void drawBox(const SDL_Rect& box, unsigned int color, bool fill) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, unsigned int color) = 0;
    // State::clip changed.
    virtual void applyClip() = 0;
    // Draws a non-empty text with font `f` (handle `fontHandle`): 0, or -1 when it cannot be rendered.
    virtual int drawText(int x, int y, const char* text, unsigned int color, int fontHandle, const Font& f,
                         unsigned int edgeColor) = 0;
};

// The backend in use: the one dx_DxLib_Init made, or a null one while the layer is not started.
Backend& backend();

std::unique_ptr<Backend> makeSdlBackend(bool window); // medialib/sdl
std::unique_ptr<Backend> makeNullBackend();           // medialib/null

} // namespace dxi

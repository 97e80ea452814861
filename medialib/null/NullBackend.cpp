// The backend without pixels, for the fastest headless runs and for unit tests: pictures are read for
// their sizes only, every draw returns at once, and a screenshot is a black picture of the screen's size.
#include "DxBackend.h"

#include <SDL_image.h>

namespace dxi {

namespace {

class NullBackend : public Backend {
public:
    bool usesDevices() const override { return false; }
    bool open() override { return true; }
    void close() override {}

    void setTitle(const std::string&) override {}
    void setFullScreen(bool) override {}
    bool fullScreen() const override { return false; }
    void toLogical(int winX, int winY, int& x, int& y) const override {
        x = winX;
        y = winY;
    }

    void selectBackScreen() override {}
    void clearScreen() override {}
    void present() override {}

    // Whoever waits for the file finds one of the right size.
    bool savePng(int, int, int, int, const char* path) override {
        SDL_Surface* black =
            SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!black) {
            return false;
        }
        SDL_FillRect(black, nullptr, 0xff000000u);
        const bool ok = IMG_SavePNG(black, path) == 0;
        SDL_FreeSurface(black);
        if (!ok) {
            setError(std::string("cannot save \"") + path + "\": " + IMG_GetError());
        }
        return ok;
    }

    unsigned int pixel(int, int) override { return 0; }

    bool loadPicture(const char* path, Texture& out) override {
        if (!readImageSize(path, out.w, out.h)) {
            setError(std::string("cannot load image \"") + path + "\": not a readable image");
            return false;
        }
        return true;
    }

    bool makeTarget(int width, int height, Texture& out) override {
        out.w = width;
        out.h = height;
        return true;
    }

    int captureScreen(const SDL_Rect&, const Image&, Texture&) override { return 0; }
    void freePicture(Texture&) override {}

    void drawImage(const Image&, const SDL_Rect&, const SDL_FRect&, double, SDL_RendererFlip, bool,
                   bool) override {}
    void drawBox(const SDL_Rect&, unsigned int, bool) override {}
    void drawLine(int, int, int, int, unsigned int) override {}
    void applyClip() override {}
    int drawText(int, int, const char*, unsigned int, int, const Font&, unsigned int) override { return 0; }
};

} // namespace

std::unique_ptr<Backend> makeNullBackend() {
    return std::make_unique<NullBackend>();
}

} // namespace dxi

// The pixel backends over an SDL renderer: offscreen (a software canvas, no display: screenshots and
// headless tests) and window (the same drawing, then shown letterboxed in a resizable window).
#include "DxBackend.h"

#include <SDL_image.h>
#include <dx/DxLib.h>

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace dxi {

namespace {

constexpr std::size_t kTextCacheLimit = 512;

struct CachedText {
    SDL_Texture* tex = nullptr;
    int w = 0, h = 0, edge = 0;
    std::uint64_t lastUse = 0;
};

Uint8 scaled(unsigned int channel, int bright) {
    return static_cast<Uint8>(channel * unsigned(bright) / 255u);
}

// Always 32-bit with alpha, so the outline and the letters compose the same way for every font type.
SDL_Surface* renderPlain(TTF_Font* face, const char* text, SDL_Color c, bool smooth) {
    SDL_Surface* raw = smooth ? TTF_RenderUTF8_Blended(face, text, c) : TTF_RenderUTF8_Solid(face, text, c);
    if (!raw || raw->format->format == SDL_PIXELFORMAT_ARGB8888) {
        return raw;
    }
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(raw);
    return converted;
}

// The offscreen backend; the window backend below adds the window around the same renderer.
// The front calls close() before dropping a backend; nothing is released at exit, when SDL may be gone.
class SdlBackend : public Backend {
public:
    bool usesDevices() const override { return false; }

    bool open() override {
        if (!createRenderer()) {
            return false;
        }
        if (!renderer_) {
            setError(std::string("cannot create a renderer: ") + SDL_GetError());
            return false;
        }
        backScreen_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                        kScreenW, kScreenH);
        if (!backScreen_) {
            setError(std::string("cannot create the back screen: ") + SDL_GetError());
            return false;
        }
        selectBackScreen();
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        return true;
    }

    void close() override {
        for (auto& [key, entry] : textCache_) {
            SDL_DestroyTexture(entry.tex);
        }
        textCache_.clear();
        if (backScreen_) {
            SDL_DestroyTexture(backScreen_);
            backScreen_ = nullptr;
        }
        if (renderer_) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
        }
        if (softSurface_) {
            SDL_FreeSurface(softSurface_);
            softSurface_ = nullptr;
        }
        closeWindow();
    }

    void setTitle(const std::string&) override {}
    void setFullScreen(bool) override {}
    bool fullScreen() const override { return false; }
    void toLogical(int winX, int winY, int& x, int& y) const override {
        x = winX;
        y = winY;
    }

    void selectBackScreen() override {
        if (!renderer_) {
            return;
        }
        SDL_SetRenderTarget(renderer_, backScreen_);
        SDL_RenderSetClipRect(renderer_, &st().clip);
    }

    void clearScreen() override {
        selectBackScreen();
        SDL_RenderSetClipRect(renderer_, nullptr);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderSetClipRect(renderer_, &st().clip);
    }

    void present() override {}

    bool savePng(int x1, int y1, int x2, int y2, const char* path) override {
        SDL_Surface* full = readBackScreen();
        if (!full) {
            return false;
        }
        int result = 0;
        if (x1 == 0 && y1 == 0 && x2 == kScreenW && y2 == kScreenH) {
            result = IMG_SavePNG(full, path);
        } else {
            SDL_Surface* part = SDL_CreateRGBSurfaceWithFormat(0, std::max(1, x2 - x1), std::max(1, y2 - y1),
                                                               32, SDL_PIXELFORMAT_ARGB8888);
            SDL_Rect src{x1, y1, x2 - x1, y2 - y1};
            SDL_SetSurfaceBlendMode(full, SDL_BLENDMODE_NONE);
            SDL_BlitSurface(full, &src, part, nullptr);
            result = IMG_SavePNG(part, path);
            SDL_FreeSurface(part);
        }
        SDL_FreeSurface(full);
        if (result != 0) {
            setError(std::string("cannot save \"") + path + "\": " + IMG_GetError());
            return false;
        }
        return true;
    }

    unsigned int pixel(int x, int y) override {
        selectBackScreen();
        Uint32 value = 0;
        SDL_Rect r{x, y, 1, 1};
        SDL_RenderReadPixels(renderer_, &r, SDL_PIXELFORMAT_ARGB8888, &value, 4);
        return value & 0xffffffu;
    }

    bool loadPicture(const char* path, Texture& out) override {
        State& s = st();
        SDL_Surface* loaded = IMG_Load(path);
        if (!loaded) {
            setError(std::string("cannot load image \"") + path + "\": " + IMG_GetError());
            return false;
        }
        SDL_Surface* surf = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(loaded);
        if (!surf) {
            setError(std::string("cannot convert image \"") + path + "\": " + SDL_GetError());
            return false;
        }
        if (s.transColorSet) {
            const Uint32 key = (Uint32(s.transR) << 16) | (Uint32(s.transG) << 8) | s.transB;
            SDL_LockSurface(surf);
            for (int y = 0; y < surf->h; ++y) {
                auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surf->pixels) + y * surf->pitch);
                for (int x = 0; x < surf->w; ++x) {
                    if ((row[x] & 0xffffffu) == key) {
                        row[x] = key; // alpha 0, colour kept for draws without blending
                    }
                }
            }
            SDL_UnlockSurface(surf);
        }
        SDL_Texture* tex = SDL_CreateTextureFromSurface(renderer_, surf);
        out.w = surf->w;
        out.h = surf->h;
        SDL_FreeSurface(surf);
        if (!tex) {
            setError(std::string("cannot make a texture of \"") + path + "\": " + SDL_GetError());
            return false;
        }
        SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
        out.tex = tex;
        return true;
    }

    bool makeTarget(int width, int height, Texture& out) override {
        SDL_Texture* tex =
            SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
        if (!tex) {
            setError(std::string("cannot make a ") + std::to_string(width) + "x" + std::to_string(height) +
                     " image: " + SDL_GetError());
            return false;
        }
        SDL_SetRenderTarget(renderer_, tex);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        selectBackScreen();
        out.tex = tex;
        out.w = width;
        out.h = height;
        return true;
    }

    int captureScreen(const SDL_Rect& area, const Image& into, Texture& t) override {
        if (!t.tex) {
            return 0;
        }
        if (!t.target) {
            return -1;
        }
        SDL_Rect src = area;
        SDL_Rect dst{into.x, into.y, std::min(src.w, into.w), std::min(src.h, into.h)};
        src.w = dst.w;
        src.h = dst.h;
        SDL_SetRenderTarget(renderer_, t.tex);
        SDL_RenderSetClipRect(renderer_, nullptr);
        SDL_SetTextureBlendMode(backScreen_, SDL_BLENDMODE_NONE);
        SDL_SetTextureColorMod(backScreen_, 255, 255, 255);
        SDL_SetTextureAlphaMod(backScreen_, 255);
        SDL_SetTextureScaleMode(backScreen_, SDL_ScaleModeNearest);
        SDL_RenderCopy(renderer_, backScreen_, &src, &dst);
        selectBackScreen();
        return 0;
    }

    void freePicture(Texture& t) override {
        if (t.tex) {
            SDL_DestroyTexture(t.tex);
            t.tex = nullptr;
        }
    }

    void drawImage(const Image& img, const SDL_Rect& src, const SDL_FRect& dst, double angleDeg,
                   SDL_RendererFlip flip, bool trans, bool scaledDraw) override {
        State& s = st();
        Texture& t = s.textures[static_cast<std::size_t>(img.tex)];
        if (!t.tex) {
            return;
        }
        SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
        Uint8 alpha = 255;
        if (s.blendMode == 0) {
            mode = trans ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE;
        } else {
            mode = s.blendMode == 2 ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND;
            alpha = static_cast<Uint8>(std::clamp(s.blendParam, 0, 255));
        }
        SDL_SetTextureBlendMode(t.tex, mode);
        SDL_SetTextureAlphaMod(t.tex, alpha);
        SDL_SetTextureColorMod(t.tex, static_cast<Uint8>(s.brightR), static_cast<Uint8>(s.brightG),
                               static_cast<Uint8>(s.brightB));
        const SDL_ScaleMode want =
            (scaledDraw && s.drawMode == 1) ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
        if (t.scale != want) {
            SDL_SetTextureScaleMode(t.tex, want);
            t.scale = want;
        }
        SDL_Rect from{img.x + src.x, img.y + src.y, src.w, src.h};
        SDL_RenderCopyExF(renderer_, t.tex, &from, &dst, angleDeg, nullptr, flip);
    }

    void drawBox(const SDL_Rect& box, unsigned int color, bool fill) override {
        applyDrawColor(color);
        if (fill) {
            SDL_RenderFillRect(renderer_, &box);
        } else {
            SDL_RenderDrawRect(renderer_, &box);
        }
    }

    void drawLine(int x1, int y1, int x2, int y2, unsigned int color) override {
        applyDrawColor(color);
        SDL_RenderDrawLine(renderer_, x1, y1, x2, y2);
    }

    void applyClip() override {
        if (renderer_) {
            SDL_RenderSetClipRect(renderer_, &st().clip);
        }
    }

    int drawText(int x, int y, const char* text, unsigned int color, int fontHandle, const Font& f,
                 unsigned int edgeColor) override {
        State& s = st();
        const CachedText* t = cachedText(fontHandle, f, text, color, edgeColor);
        if (!t) {
            return -1;
        }
        SDL_BlendMode mode = s.blendMode == 2 ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND;
        Uint8 alpha = s.blendMode == 0 ? 255 : Uint8(std::clamp(s.blendParam, 0, 255));
        SDL_SetTextureBlendMode(t->tex, mode);
        SDL_SetTextureAlphaMod(t->tex, alpha);
        SDL_SetTextureColorMod(t->tex, Uint8(s.brightR), Uint8(s.brightG), Uint8(s.brightB));
        SDL_Rect dst{x - t->edge, y - t->edge, t->w, t->h};
        SDL_RenderCopy(renderer_, t->tex, nullptr, &dst);
        return 0;
    }

protected:
    // Makes renderer_ (and what it draws on); false only when the error is already set.
    virtual bool createRenderer() {
        softSurface_ = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 32, SDL_PIXELFORMAT_ARGB8888);
        if (softSurface_) {
            renderer_ = SDL_CreateSoftwareRenderer(softSurface_);
        }
        return true;
    }
    virtual void closeWindow() {}

    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* backScreen_ = nullptr;

private:
    SDL_Surface* readBackScreen() {
        SDL_Surface* surf =
            SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!surf) {
            return nullptr;
        }
        selectBackScreen();
        SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, surf->pixels, surf->pitch);
        // The screen is opaque whatever alpha the draws left behind.
        for (int y = 0; y < surf->h; ++y) {
            auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surf->pixels) + y * surf->pitch);
            for (int x = 0; x < surf->w; ++x) {
                row[x] |= 0xff000000u;
            }
        }
        return surf;
    }

    void applyDrawColor(unsigned int color) {
        State& s = st();
        Uint8 alpha = 255;
        SDL_BlendMode mode = SDL_BLENDMODE_NONE;
        if (s.blendMode == 1) {
            mode = SDL_BLENDMODE_BLEND;
            alpha = static_cast<Uint8>(std::clamp(s.blendParam, 0, 255));
        } else if (s.blendMode == 2) {
            mode = SDL_BLENDMODE_ADD;
            alpha = static_cast<Uint8>(std::clamp(s.blendParam, 0, 255));
        }
        SDL_SetRenderDrawBlendMode(renderer_, mode);
        SDL_SetRenderDrawColor(renderer_, scaled((color >> 16) & 255u, s.brightR),
                               scaled((color >> 8) & 255u, s.brightG), scaled(color & 255u, s.brightB),
                               alpha);
    }

    void evictOldest() {
        auto oldest = textCache_.begin();
        for (auto it = textCache_.begin(); it != textCache_.end(); ++it) {
            if (it->second.lastUse < oldest->second.lastUse) {
                oldest = it;
            }
        }
        if (oldest != textCache_.end()) {
            SDL_DestroyTexture(oldest->second.tex);
            textCache_.erase(oldest);
        }
    }

    // Renders `text` once (with its outline for the edge types) and keeps the texture.
    const CachedText* cachedText(int handle, const Font& f, const char* text, unsigned int color,
                                 unsigned int edgeColor) {
        const bool edged = f.type == DX_FONTTYPE_EDGE || f.type == DX_FONTTYPE_ANTIALIASING_EDGE;
        char head[64];
        std::snprintf(head, sizeof head, "%d|%06x|%06x|", handle, color & 0xffffffu,
                      edged ? edgeColor & 0xffffffu : 0u);
        std::string key = std::string(head) + text;
        auto it = textCache_.find(key);
        if (it != textCache_.end()) {
            it->second.lastUse = ++textClock_;
            return &it->second;
        }
        const bool smooth = f.type == DX_FONTTYPE_ANTIALIASING || f.type == DX_FONTTYPE_ANTIALIASING_EDGE;
        SDL_Color fg{Uint8(color >> 16), Uint8(color >> 8), Uint8(color), 255};
        SDL_Surface* body = renderPlain(f.face, text, fg, smooth);
        if (!body) {
            return nullptr;
        }
        SDL_Surface* out = body;
        int edge = 0;
        if (edged && f.outline) {
            SDL_Color ec{Uint8(edgeColor >> 16), Uint8(edgeColor >> 8), Uint8(edgeColor), 255};
            SDL_Surface* rim = renderPlain(f.outline, text, ec, smooth);
            if (rim) {
                edge = f.edge;
                SDL_Surface* both = SDL_CreateRGBSurfaceWithFormat(0, std::max(rim->w, body->w + 2 * edge),
                                                                   std::max(rim->h, body->h + 2 * edge), 32,
                                                                   SDL_PIXELFORMAT_ARGB8888);
                SDL_SetSurfaceBlendMode(rim, SDL_BLENDMODE_NONE);
                SDL_BlitSurface(rim, nullptr, both, nullptr);
                SDL_SetSurfaceBlendMode(body, SDL_BLENDMODE_BLEND);
                SDL_Rect at{edge, edge, body->w, body->h};
                SDL_BlitSurface(body, nullptr, both, &at);
                SDL_FreeSurface(rim);
                SDL_FreeSurface(body);
                out = both;
            }
        }
        SDL_Texture* tex = SDL_CreateTextureFromSurface(renderer_, out);
        CachedText entry;
        entry.tex = tex;
        entry.w = out->w;
        entry.h = out->h;
        entry.edge = edge;
        entry.lastUse = ++textClock_;
        SDL_FreeSurface(out);
        if (!tex) {
            return nullptr;
        }
        if (textCache_.size() >= kTextCacheLimit) {
            evictOldest();
        }
        return &textCache_.emplace(std::move(key), entry).first->second;
    }

    SDL_Surface* softSurface_ = nullptr; // the offscreen canvas
    std::unordered_map<std::string, CachedText> textCache_;
    std::uint64_t textClock_ = 0;
};

// Places the 640x480 picture in the window as large as fits at a whole-number scale, so that every pixel
// stays as sharp as the rest; only a window smaller than 640 x 480 shrinks it, keeping its shape.
SDL_Rect letterbox(int winW, int winH) {
    const int scale = dx_ChooseWindowScale(winW, winH);
    if (winW >= kScreenW && winH >= kScreenH) {
        return SDL_Rect{(winW - kScreenW * scale) / 2, (winH - kScreenH * scale) / 2, kScreenW * scale,
                        kScreenH * scale};
    }
    SDL_Rect r{0, 0, winW, winH};
    if (winW * kScreenH > winH * kScreenW) {
        r.w = winH * kScreenW / kScreenH;
        r.x = (winW - r.w) / 2;
    } else {
        r.h = winW * kScreenH / kScreenW;
        r.y = (winH - r.h) / 2;
    }
    return r;
}

class SdlWindowBackend : public SdlBackend {
public:
    bool usesDevices() const override { return true; }

    void setTitle(const std::string& title) override {
        if (window_) {
            SDL_SetWindowTitle(window_, title.c_str());
        }
    }

    void setFullScreen(bool on) override {
        if (!window_ || on == fullScreen_) {
            return;
        }
        if (on) {
            // Remembered so that leaving full screen (or the next start) gets the same window back.
            SDL_GetWindowSize(window_, &windowedW_, &windowedH_);
        }
        fullScreen_ = on;
        SDL_SetWindowFullscreen(window_, fullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }

    bool fullScreen() const override { return fullScreen_; }

    bool windowSize(int& w, int& h) const override {
        if (!window_) {
            w = h = 0;
            return false;
        }
        if (fullScreen_) {
            w = windowedW_;
            h = windowedH_;
        } else {
            SDL_GetWindowSize(window_, &w, &h);
        }
        return true;
    }

    void toLogical(int winX, int winY, int& x, int& y) const override {
        if (!renderer_) {
            x = winX;
            y = winY;
            return;
        }
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        // The same letterbox present() draws into.
        const SDL_Rect view = letterbox(w, h);
        x = view.w > 0 ? (winX - view.x) * kScreenW / view.w : 0;
        y = view.h > 0 ? (winY - view.y) * kScreenH / view.h : 0;
    }

    void present() override {
        SDL_SetRenderTarget(renderer_, nullptr);
        SDL_RenderSetClipRect(renderer_, nullptr);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        SDL_Rect dst = letterbox(w, h);
        SDL_SetTextureBlendMode(backScreen_, SDL_BLENDMODE_NONE);
        SDL_SetTextureColorMod(backScreen_, 255, 255, 255);
        SDL_SetTextureAlphaMod(backScreen_, 255);
        SDL_RenderCopy(renderer_, backScreen_, nullptr, &dst);
        SDL_RenderPresent(renderer_);
        selectBackScreen();
    }

protected:
    bool createRenderer() override {
        State& s = st();
        Uint32 flags = SDL_WINDOW_RESIZABLE;
        if (s.startFullScreen) {
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            fullScreen_ = true;
        }
        int w = s.startWindowW, h = s.startWindowH;
        if (w <= 0 || h <= 0) {
            SDL_Rect usable{0, 0, kScreenW, kScreenH};
            if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
                usable = {0, 0, kScreenW, kScreenH};
            }
            const int scale = dx_ChooseWindowScale(usable.w, usable.h);
            w = kScreenW * scale;
            h = kScreenH * scale;
        }
        windowedW_ = w;
        windowedH_ = h;
        // Whole-number scaling with nearest-neighbour sampling keeps every pixel sharp.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        window_ =
            SDL_CreateWindow(s.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
        if (!window_) {
            setError(std::string("cannot open the window: ") + SDL_GetError());
            return false;
        }
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
        if (!renderer_) {
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
        }
        return true;
    }

    void closeWindow() override {
        if (window_) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
    }

private:
    SDL_Window* window_ = nullptr;
    bool fullScreen_ = false;
    int windowedW_ = kScreenW, windowedH_ = kScreenH;
};

} // namespace

std::unique_ptr<Backend> makeSdlBackend(bool window) {
    if (window) {
        return std::make_unique<SdlWindowBackend>();
    }
    return std::make_unique<SdlBackend>();
}

} // namespace dxi

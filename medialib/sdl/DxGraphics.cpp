// Image handles: loading, cutting into chips, screen captures, sizes, reading the back screen.
#include "DxState.h"

#include <SDL_image.h>

#include <algorithm>

namespace dxi {

namespace {

int newTexture(SDL_Texture* tex, int w, int h, bool target) {
    State& s = st();
    Texture t;
    t.tex = tex;
    t.w = w;
    t.h = h;
    t.target = target;
    for (std::size_t i = 0; i < s.textures.size(); ++i) {
        if (s.textures[i].refs == 0 && !s.textures[i].tex && s.textures[i].w == 0) {
            s.textures[i] = t;
            return static_cast<int>(i);
        }
    }
    s.textures.push_back(t);
    return static_cast<int>(s.textures.size() - 1);
}

void releaseTexture(int index) {
    State& s = st();
    Texture& t = s.textures[static_cast<std::size_t>(index)];
    if (--t.refs > 0) {
        return;
    }
    if (t.tex) {
        SDL_DestroyTexture(t.tex);
    }
    t = Texture{};
}

int newImage(int tex, int x, int y, int w, int h) {
    State& s = st();
    s.textures[static_cast<std::size_t>(tex)].refs++;
    Image img{tex, x, y, w, h};
    if (!s.freeImages.empty()) {
        int handle = s.freeImages.back();
        s.freeImages.pop_back();
        s.images[static_cast<std::size_t>(handle)] = img;
        return handle;
    }
    // Handle 0 is never given out, so a zeroed handle variable never names an image.
    if (s.images.empty()) {
        s.images.push_back(Image{});
    }
    s.images.push_back(img);
    return static_cast<int>(s.images.size() - 1);
}

// Loads a picture file into a texture index, or -1 with the error set.
int loadTexture(const char* path) {
    State& s = st();
    if (!path || !*path) {
        setError("cannot load an image: no file name");
        return -1;
    }
    if (!s.renderer) {
        int w = 0, h = 0;
        if (!nullReadImageSize(path, w, h)) {
            setError(std::string("cannot load image \"") + path + "\": not a readable image");
            return -1;
        }
        return newTexture(nullptr, w, h, false);
    }
    SDL_Surface* loaded = IMG_Load(path);
    if (!loaded) {
        setError(std::string("cannot load image \"") + path + "\": " + IMG_GetError());
        return -1;
    }
    SDL_Surface* surf = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!surf) {
        setError(std::string("cannot convert image \"") + path + "\": " + SDL_GetError());
        return -1;
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
    SDL_Texture* tex = SDL_CreateTextureFromSurface(s.renderer, surf);
    const int w = surf->w, h = surf->h;
    SDL_FreeSurface(surf);
    if (!tex) {
        setError(std::string("cannot make a texture of \"") + path + "\": " + SDL_GetError());
        return -1;
    }
    SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
    return newTexture(tex, w, h, false);
}

} // namespace

Image* image(int handle) {
    State& s = st();
    if (handle <= 0 || handle >= static_cast<int>(s.images.size())) {
        return nullptr;
    }
    Image& img = s.images[static_cast<std::size_t>(handle)];
    return img.tex >= 0 ? &img : nullptr;
}

void destroyAllGraphics() {
    State& s = st();
    for (Texture& t : s.textures) {
        if (t.tex) {
            SDL_DestroyTexture(t.tex);
        }
    }
    s.textures.clear();
    s.images.clear();
    s.freeImages.clear();
}

SDL_Surface* readBackScreen() {
    State& s = st();
    if (!s.renderer) {
        return nullptr;
    }
    SDL_Surface* surf = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surf) {
        return nullptr;
    }
    bindBackScreen();
    SDL_RenderReadPixels(s.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, surf->pixels, surf->pitch);
    // The screen is opaque whatever alpha the draws left behind.
    for (int y = 0; y < surf->h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surf->pixels) + y * surf->pitch);
        for (int x = 0; x < surf->w; ++x) {
            row[x] |= 0xff000000u;
        }
    }
    return surf;
}

} // namespace dxi

using namespace dxi;

int dx_LoadGraph(const char* path, int) {
    int tex = loadTexture(path);
    if (tex < 0) {
        return -1;
    }
    const Texture& t = st().textures[static_cast<std::size_t>(tex)];
    return newImage(tex, 0, 0, t.w, t.h);
}

int dx_LoadDivGraph(const char* path, int allNum, int xNum, int yNum, int xSize, int ySize, int* handles) {
    if (allNum <= 0 || xNum <= 0 || yNum <= 0 || xSize <= 0 || ySize <= 0 || !handles) {
        setError(std::string("bad division of \"") + (path ? path : "") + "\"");
        return -1;
    }
    int tex = loadTexture(path);
    if (tex < 0) {
        return -1;
    }
    Texture& t = st().textures[static_cast<std::size_t>(tex)];
    const int rows = (allNum + xNum - 1) / xNum;
    if (xNum * xSize > t.w || std::min(rows, yNum) * ySize > t.h) {
        setError(std::string("image \"") + path + "\" (" + std::to_string(t.w) + "x" + std::to_string(t.h) +
                 ") is too small for " + std::to_string(xNum) + "x" + std::to_string(yNum) + " cells of " +
                 std::to_string(xSize) + "x" + std::to_string(ySize));
        t.refs = 1;
        releaseTexture(tex);
        return -1;
    }
    for (int i = 0; i < allNum; ++i) {
        handles[i] = newImage(tex, (i % xNum) * xSize, (i / xNum) * ySize, xSize, ySize);
    }
    return 0;
}

int dx_DerivationGraph(int srcX, int srcY, int width, int height, int srcHandle) {
    Image* src = image(srcHandle);
    if (!src || width <= 0 || height <= 0) {
        return -1;
    }
    Image copy = *src;
    return newImage(copy.tex, copy.x + srcX, copy.y + srcY, width, height);
}

int dx_MakeGraph(int width, int height) {
    State& s = st();
    if (width <= 0 || height <= 0) {
        return -1;
    }
    SDL_Texture* tex = nullptr;
    if (s.renderer) {
        tex =
            SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
        if (!tex) {
            setError(std::string("cannot make a ") + std::to_string(width) + "x" + std::to_string(height) +
                     " image: " + SDL_GetError());
            return -1;
        }
        SDL_SetRenderTarget(s.renderer, tex);
        SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
        SDL_RenderClear(s.renderer);
        bindBackScreen();
    }
    return newImage(newTexture(tex, width, height, true), 0, 0, width, height);
}

int dx_GetDrawScreenGraph(int x1, int y1, int x2, int y2, int handle) {
    State& s = st();
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    Texture& t = s.textures[static_cast<std::size_t>(img->tex)];
    if (!s.renderer || !t.tex) {
        return 0;
    }
    if (!t.target) {
        return -1;
    }
    SDL_Rect src{x1, y1, x2 - x1, y2 - y1};
    SDL_Rect dst{img->x, img->y, std::min(src.w, img->w), std::min(src.h, img->h)};
    src.w = dst.w;
    src.h = dst.h;
    SDL_SetRenderTarget(s.renderer, t.tex);
    SDL_RenderSetClipRect(s.renderer, nullptr);
    SDL_SetTextureBlendMode(s.backScreen, SDL_BLENDMODE_NONE);
    SDL_SetTextureColorMod(s.backScreen, 255, 255, 255);
    SDL_SetTextureAlphaMod(s.backScreen, 255);
    SDL_SetTextureScaleMode(s.backScreen, SDL_ScaleModeNearest);
    SDL_RenderCopy(s.renderer, s.backScreen, &src, &dst);
    bindBackScreen();
    return 0;
}

int dx_GetGraphSize(int handle, int* width, int* height) {
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    if (width) {
        *width = img->w;
    }
    if (height) {
        *height = img->h;
    }
    return 0;
}

int dx_DeleteGraph(int handle) {
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    int tex = img->tex;
    img->tex = -1;
    st().freeImages.push_back(handle);
    releaseTexture(tex);
    return 0;
}

int dx_GetLiveGraphCount() {
    const State& s = st();
    return static_cast<int>(
        std::count_if(s.images.begin(), s.images.end(), [](const Image& img) { return img.tex >= 0; }));
}

int dx_LoadMask(const char* path) {
    // Masks are only kept, never drawn: their size is all that is needed.
    int w = 0, h = 0;
    if (!path || !nullReadImageSize(path, w, h)) {
        setError(std::string("cannot load mask \"") + (path ? path : "") + "\"");
        return -1;
    }
    return newImage(newTexture(nullptr, w, h, false), 0, 0, w, h);
}

int dx_SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) {
    State& s = st();
    if (!path) {
        return -1;
    }
    if (!s.renderer) {
        return nullWriteScreenshot(path) ? 0 : -1;
    }
    SDL_Surface* full = readBackScreen();
    if (!full) {
        return -1;
    }
    int result = 0;
    if (x1 == 0 && y1 == 0 && x2 == kScreenW && y2 == kScreenH) {
        result = IMG_SavePNG(full, path);
    } else {
        SDL_Surface* part = SDL_CreateRGBSurfaceWithFormat(0, std::max(1, x2 - x1), std::max(1, y2 - y1), 32,
                                                           SDL_PIXELFORMAT_ARGB8888);
        SDL_Rect src{x1, y1, x2 - x1, y2 - y1};
        SDL_SetSurfaceBlendMode(full, SDL_BLENDMODE_NONE);
        SDL_BlitSurface(full, &src, part, nullptr);
        result = IMG_SavePNG(part, path);
        SDL_FreeSurface(part);
    }
    SDL_FreeSurface(full);
    if (result != 0) {
        setError(std::string("cannot save \"") + path + "\": " + IMG_GetError());
        return -1;
    }
    return 0;
}

unsigned int dx_GetPixel(int x, int y) {
    State& s = st();
    if (!s.renderer || x < 0 || y < 0 || x >= kScreenW || y >= kScreenH) {
        return 0;
    }
    bindBackScreen();
    Uint32 pixel = 0;
    SDL_Rect r{x, y, 1, 1};
    SDL_RenderReadPixels(s.renderer, &r, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel & 0xffffffu;
}

// Image handles: loading, cutting into chips, screen captures, sizes, reading the back screen.
#include "DxBackend.h"

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
    backend().freePicture(t);
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
    if (!path || !*path) {
        setError("cannot load an image: no file name");
        return -1;
    }
    Texture t;
    if (!backend().loadPicture(path, t)) {
        return -1;
    }
    return newTexture(t.tex, t.w, t.h, false);
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
        backend().freePicture(t);
    }
    s.textures.clear();
    s.images.clear();
    s.freeImages.clear();
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
    if (width <= 0 || height <= 0) {
        return -1;
    }
    Texture t;
    if (!backend().makeTarget(width, height, t)) {
        return -1;
    }
    return newImage(newTexture(t.tex, width, height, true), 0, 0, width, height);
}

int dx_GetDrawScreenGraph(int x1, int y1, int x2, int y2, int handle) {
    Image* img = image(handle);
    if (!img) {
        return -1;
    }
    Texture& t = st().textures[static_cast<std::size_t>(img->tex)];
    return backend().captureScreen(SDL_Rect{x1, y1, x2 - x1, y2 - y1}, *img, t);
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
    if (!path || !readImageSize(path, w, h)) {
        setError(std::string("cannot load mask \"") + (path ? path : "") + "\"");
        return -1;
    }
    return newImage(newTexture(nullptr, w, h, false), 0, 0, w, h);
}

int dx_SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) {
    if (!path) {
        return -1;
    }
    return backend().savePng(x1, y1, x2, y2, path) ? 0 : -1;
}

unsigned int dx_GetPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= kScreenW || y >= kScreenH) {
        return 0;
    }
    return backend().pixel(x, y);
}

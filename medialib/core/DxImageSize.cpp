// Picture sizes without decoding the pixels: what masks and the null backend need.
#include "DxState.h"

#include <SDL_image.h>

#include <cstdio>
#include <cstring>

namespace dxi {

namespace {

// Reads width and height from a PNG's IHDR chunk; false when the file is not a PNG.
bool pngSize(const char* path, int& w, int& h) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        return false;
    }
    unsigned char head[24];
    const bool read = std::fread(head, 1, sizeof head, f) == sizeof head;
    std::fclose(f);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!read || std::memcmp(head, signature, 8) != 0 || std::memcmp(head + 12, "IHDR", 4) != 0) {
        return false;
    }
    auto be32 = [&](int at) {
        return int((unsigned(head[at]) << 24) | (unsigned(head[at + 1]) << 16) |
                   (unsigned(head[at + 2]) << 8) | unsigned(head[at + 3]));
    };
    w = be32(16);
    h = be32(20);
    return w > 0 && h > 0;
}

} // namespace

bool readImageSize(const char* path, int& w, int& h) {
    if (pngSize(path, w, h)) {
        return true;
    }
    // Other formats: decode once just for the size.
    SDL_Surface* surf = IMG_Load(path);
    if (!surf) {
        return false;
    }
    w = surf->w;
    h = surf->h;
    SDL_FreeSurface(surf);
    return true;
}

} // namespace dxi

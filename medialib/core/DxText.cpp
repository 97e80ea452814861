// Fonts: finding a Japanese face, font handles and text widths; the backend draws the strings.
#include "DxBackend.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace dxi {

namespace {

bool fileReadable(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return false;
    }
    std::fclose(f);
    return true;
}

// Asks fontconfig for a face that can show Japanese (kana and kanji), preferring `family` if given.
std::string queryFontconfig(const std::string& family) {
    std::string found;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) {
        return found;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    if (!family.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(config, pattern, FcTrue, nullptr, &result);
    if (set) {
        for (int i = 0; i < set->nfont && found.empty(); ++i) {
            FcCharSet* chars = nullptr;
            FcChar8* file = nullptr;
            if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
                FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) {
                continue;
            }
            if (FcCharSetHasChar(chars, 0x3042) && FcCharSetHasChar(chars, 0x98DF)) {
                found = reinterpret_cast<const char*>(file);
            }
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return found;
}

// The font file for a face name; the result for each name is looked up once per process.
std::string fontFile(const std::string& family) {
    static std::map<std::string, std::string> known;
    auto it = known.find(family);
    if (it != known.end()) {
        return it->second;
    }
    std::string path = queryFontconfig(family);
    if (path.empty() || !fileReadable(path)) {
        path.clear();
        for (const char* fallback : {"/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf",
                                     "/usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf"}) {
            if (fileReadable(fallback)) {
                path = fallback;
                break;
            }
        }
    }
    known[family] = path;
    return path;
}

Font* font(int handle) {
    State& s = st();
    if (handle <= 0 || handle >= static_cast<int>(s.fonts.size()) || !s.fonts[std::size_t(handle)].used) {
        return nullptr;
    }
    return &s.fonts[std::size_t(handle)];
}

int drawString(int x, int y, const char* text, unsigned int color, int handle, unsigned int edgeColor) {
    if (!text || !*text) {
        return 0;
    }
    Font* f = font(handle);
    if (!f) {
        return -1;
    }
    return backend().drawText(x, y, text, color, handle, *f, edgeColor);
}

} // namespace

void destroyAllFonts() {
    State& s = st();
    for (Font& f : s.fonts) {
        if (f.face) {
            TTF_CloseFont(f.face);
        }
        if (f.outline) {
            TTF_CloseFont(f.outline);
        }
    }
    s.fonts.clear();
    s.defaultFont = -1;
}

int defaultFontHandle() {
    State& s = st();
    if (s.defaultFont < 0) {
        s.defaultFont =
            dx_CreateFontToHandle(nullptr, s.defaultFontSize, s.defaultFontThick, DX_FONTTYPE_NORMAL);
    }
    return s.defaultFont;
}

} // namespace dxi

using namespace dxi;

int dx_CreateFontToHandle(const char* fontName, int size, int thick, int fontType, int, int edgeSize,
                          int italic) {
    State& s = st();
    if (!s.ttfUp) {
        setError("cannot create a font before the media layer is started");
        return -1;
    }
    const std::string name = fontName ? fontName : "";
    const std::string path = fontFile(name);
    if (path.empty()) {
        setError(
            "no Japanese font found: install fonts-vlgothic (VL Gothic), or any font fontconfig lists for "
            "lang=ja with kana and kanji");
        return -1;
    }
    Font f;
    f.used = true;
    f.name = name;
    f.size = size > 0 ? size : 16;
    f.thick = thick < 0 ? 6 : thick;
    f.type = fontType < 0 ? DX_FONTTYPE_NORMAL : fontType;
    f.edge = edgeSize > 0 ? edgeSize : (f.size >= 24 ? 2 : 1);
    f.face = TTF_OpenFont(path.c_str(), f.size);
    if (!f.face) {
        setError("cannot open font \"" + path + "\": " + TTF_GetError());
        return -1;
    }
    int style = (f.thick >= 7 ? TTF_STYLE_BOLD : 0) | (italic ? TTF_STYLE_ITALIC : 0);
    TTF_SetFontStyle(f.face, style);
    if (f.type == DX_FONTTYPE_EDGE || f.type == DX_FONTTYPE_ANTIALIASING_EDGE) {
        f.outline = TTF_OpenFont(path.c_str(), f.size);
        if (f.outline) {
            TTF_SetFontStyle(f.outline, style);
            TTF_SetFontOutline(f.outline, f.edge);
        }
    }
    if (s.fonts.empty()) {
        s.fonts.emplace_back(); // handle 0 is never a font
    }
    for (std::size_t i = 1; i < s.fonts.size(); ++i) {
        if (!s.fonts[i].used) {
            s.fonts[i] = f;
            return static_cast<int>(i);
        }
    }
    s.fonts.push_back(f);
    return static_cast<int>(s.fonts.size() - 1);
}

int dx_DrawStringToHandle(int x, int y, const char* text, unsigned int color, int fontHandle,
                          unsigned int edgeColor, int verticalFlag) {
    if (logging()) {
        logCall("DrawStringToHandle(%d,%d,\"%s\",0x%06x,%d,0x%06x,%d)", x, y, text ? text : "", color,
                fontHandle, edgeColor, verticalFlag);
    }
    return drawString(x, y, text, color, fontHandle, edgeColor);
}

int dx_GetDrawStringWidthToHandle(const char* text, int byteLength, int fontHandle) {
    Font* f = font(fontHandle);
    if (!f || !text) {
        return -1;
    }
    std::string part(text,
                     std::min<std::size_t>(std::strlen(text), byteLength < 0 ? 0u : std::size_t(byteLength)));
    if (part.empty()) {
        return 0;
    }
    int w = 0, h = 0;
    if (TTF_SizeUTF8(f->face, part.c_str(), &w, &h) != 0) {
        return -1;
    }
    return w;
}

int dx_GetFontStateToHandle(char* fontName, int* size, int* thick, int fontHandle) {
    Font* f = font(fontHandle);
    if (!f) {
        return -1;
    }
    if (fontName) {
        std::strcpy(fontName, f->name.c_str());
    }
    if (size) {
        *size = f->size;
    }
    if (thick) {
        *thick = f->thick;
    }
    return 0;
}

int dx_SetFontSize(int size) {
    State& s = st();
    if (size > 0 && size != s.defaultFontSize) {
        s.defaultFontSize = size;
        s.defaultFont = -1; // made again on the next dx_DrawString
    }
    return 0;
}

int dx_SetFontThickness(int thick) {
    State& s = st();
    if (thick != s.defaultFontThick) {
        s.defaultFontThick = thick;
        s.defaultFont = -1;
    }
    return 0;
}

int dx_DrawString(int x, int y, const char* text, unsigned int color, unsigned int edgeColor) {
    if (logging()) {
        logCall("DrawString(%d,%d,\"%s\",0x%06x,0x%06x)", x, y, text ? text : "", color, edgeColor);
    }
    int handle = defaultFontHandle();
    return handle < 0 ? -1 : drawString(x, y, text, color, handle, edgeColor);
}

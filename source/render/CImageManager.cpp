#include "render/CImageManager.h"
#include "base/GameFolders.h"

#include "base/CException.h"

#include <dx/DxLib.h>
#include <filesystem>

std::unique_ptr<CImageManager> gImageManager;

namespace {
void fAcceptImages(CResourceCollector& c) {
    for (const char* ext : {"png", "bmp", "jpg", "gif"}) {
        c.fAddExtension(ext);
    }
}
} // namespace

CImageManager::CImageManager() : mMasks(fDataPath("dat/mask/")), mImages(fDataPath("dat/image/")) {
    fAcceptImages(mMasks);
    fAcceptImages(mImages);
    mMasks.fSetLoader([](const std::string& path) {
        const int h = dx_LoadMask(path.c_str());
        if (h == -1) {
            throw CException("cannot load the mask " + path + ": " + dx_GetLastError());
        }
        return std::pair<std::string, int>(path, h);
    });
    mImages.fSetLoader([](const std::string& path) {
        const int h = dx_LoadGraph(path.c_str(), 0);
        // A damaged image would otherwise show up much later as an invisible sprite or a failed check.
        if (h == -1) {
            throw CException("cannot load the image " + path + ": " + dx_GetLastError());
        }
        return std::pair<std::string, int>(path, h);
    });
    // Masks are optional: an installation without the folder simply has none.
    if (std::filesystem::is_directory(fDataPath("dat/mask/"))) {
        mMasks.fCollect();
    }
    mImages.fCollect();
}

std::vector<std::string> CImageManager::fGetNames() const {
    std::vector<std::string> names;
    for (const auto& [name, handle] : mImages.fGetMap()) {
        names.push_back(name);
    }
    return names;
}

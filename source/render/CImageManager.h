// Every image under "dat/image/" (and mask under "dat/mask/") is loaded once at start-up and looked up by
// its path relative to that folder.
#pragma once

#include "base/CResourceCollector.h"

#include <memory>
#include <string>
#include <vector>

class CImageManager {
public:
    CImageManager();
    virtual ~CImageManager() = default;

    virtual int fGetHandle(const std::string& name) const { return mImages.fGet(name); }
    virtual int fGetMaskHandle(const std::string& name) const { return mMasks.fGet(name); }
    virtual std::vector<std::string> fGetNames() const;

    bool fHasImage(const std::string& name) const { return mImages.fHas(name); }

private:
    CResourceCollector mMasks;
    CResourceCollector mImages;
};

extern std::unique_ptr<CImageManager> gImageManager;

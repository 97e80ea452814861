// Walks a data folder, loads every file with an accepted extension through the given loader and maps its
// path relative to the folder ("ui_parts/cursor_left.png") to the media handle.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CResourceCollector {
public:
    // Given the full path, returns the name and the handle.
    using Loader = std::function<std::pair<std::string, int>(const std::string& fullPath)>;

    explicit CResourceCollector(std::string root);
    virtual ~CResourceCollector() = default;

    virtual const std::map<std::string, int>& fGetMap() const { return mMap; }
    virtual void fScan(const std::string& folder);
    virtual void fSetLoader(Loader loader) { mLoader = std::move(loader); }
    virtual void fAddExtension(const std::string& extension) { mExtensions.push_back(extension); }
    virtual void fCollect() { fScan(mRoot); }
    // Unknown names raise "file not exist:" + name.
    virtual int fGet(const std::string& name) const;

    bool fHas(const std::string& name) const { return mMap.count(name) != 0; }
    const std::string& fGetRoot() const { return mRoot; }

private:
    std::string mRoot;
    std::map<std::string, int> mMap;
    std::vector<std::string> mExtensions;
    Loader mLoader;
};

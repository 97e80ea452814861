#include "base/CResourceCollector.h"

#include "base/CException.h"
#include "base/Check.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

CResourceCollector::CResourceCollector(std::string root) : mRoot(std::move(root)) {}

void CResourceCollector::fScan(const std::string& folder) {
    TAVONI_CHECK(static_cast<bool>(mLoader), "util.CResourceCollector", "no loader set");
    struct Entry {
        bool isFolder;
        std::string name;
        std::string path;
    };
    std::vector<Entry> entries;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        throw CException("data folder not found: " + folder + " (start the game from its folder)");
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            throw CException("cannot list the data folder " + folder + ": " + ec.message());
        }
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            entries.push_back({true, name, folder + name + "/"});
        } else if (it->is_regular_file(typeError)) {
            entries.push_back({false, name, folder + name});
        }
        // Anything else (sockets, broken links) is skipped.
    }
    // A stable order keeps logs and handle numbers the same from run to run.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (const Entry& e : entries) {
        if (e.isFolder) {
            if (e.name != ".svn") {
                fScan(e.path);
            }
            continue;
        }
        if (e.path.size() < 3) {
            continue;
        }
        const std::string tail = e.path.substr(e.path.size() - 3);
        if (std::find(mExtensions.begin(), mExtensions.end(), tail) == mExtensions.end()) {
            continue;
        }
        const auto loaded = mLoader(e.path);
        mMap[e.path.substr(mRoot.size())] = loaded.second;
    }
}

int CResourceCollector::fGet(const std::string& name) const {
    const auto it = mMap.find(name);
    if (it == mMap.end()) {
        throw CException("file not exist:" + name);
    }
    return it->second;
}

// The layers of the code, checked on the sources. Each folder of source/ may include only the folders of
// its own layer and the layers under it (the same order the libraries link in, CMakeLists.txt); game code
// never sees SDL; the media layer sees none of the game; the ranking server sees only the base library.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What each folder of source/ may include, besides itself. "dx" is the media layer's API (<dx/...>).
// Bottom up: base; input; geometry; render and audio; replay; net beside the engine; the world (one library
// of three folders) and gui, which never include each other; GameMain; the entry point.
const std::map<std::string, std::set<std::string>>& fLayers() {
    static const std::set<std::string> world{"Stage", "StageData", "Ziki"};
    static const std::set<std::string> engine{"base", "dx", "input", "geometry", "render", "audio", "replay"};
    static const auto with = [](std::set<std::string> a, const std::set<std::string>& b) {
        a.insert(b.begin(), b.end());
        return a;
    };
    static const std::map<std::string, std::set<std::string>> layers{
        {"base", {}},
        {"input", {"base", "dx"}},
        {"geometry", {"base", "input"}},
        {"render", {"base", "dx", "input", "geometry"}},
        {"audio", {"base", "dx"}},
        {"replay", {"base", "dx", "input"}},
        {"net", {"base"}},
        {"Stage", with(engine, world)},
        {"StageData", with(engine, world)},
        {"Ziki", with(engine, world)},
        {"gui", with(engine, {"net"})},
        {"GameMain", with(with(engine, world), {"gui", "net"})},
    };
    return layers;
}

struct SInclude {
    std::string file;   // relative to source/
    std::string folder; // the folder of source/ it names, "dx" for <dx/...>, "" for anything else
    std::string line;
};

// The folder an include names: "Stage/CStage.h" -> Stage, <dx/DxLib.h> -> dx, "CScene.h" -> the file's own.
std::string fIncludedFolder(const std::string& line, const std::string& ownFolder) {
    static const std::regex quoted("^#include \"([^\"]+)\"");
    static const std::regex media("^#include <dx/");
    std::smatch match;
    if (std::regex_search(line, match, quoted)) {
        const std::string path = match[1];
        const std::size_t slash = path.find('/');
        return slash == std::string::npos ? ownFolder : path.substr(0, slash);
    }
    return std::regex_search(line, media) ? "dx" : "";
}

std::vector<SInclude> fIncludesUnder(const fs::path& root) {
    std::vector<SInclude> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string file = entry.path().lexically_relative(root).string();
        const std::size_t slash = file.find('/');
        const std::string own = slash == std::string::npos ? "" : file.substr(0, slash);
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("#include", 0) == 0) {
                found.push_back({file, fIncludedFolder(line, own), line});
            }
        }
    }
    return found;
}

// Every include of a folder of source/ that its layer does not allow.
std::vector<std::string> fUpwardIncludes(const fs::path& sourceRoot) {
    std::vector<std::string> wrong;
    for (const SInclude& include : fIncludesUnder(sourceRoot)) {
        const std::size_t slash = include.file.find('/');
        if (slash == std::string::npos || include.folder.empty()) {
            continue; // the entry point sits on top and may include anything
        }
        const std::string own = include.file.substr(0, slash);
        const auto layer = fLayers().find(own);
        if (layer == fLayers().end()) {
            wrong.push_back(include.file + ": a folder that has no layer");
        } else if (include.folder != own && layer->second.count(include.folder) == 0) {
            wrong.push_back(include.file + ": " + include.line);
        }
    }
    return wrong;
}

const fs::path kSource = fs::path(TAVONI_SOURCE_DIR) / "source";

} // namespace

TEST(LayeringTest, NoFolderOfTheGameIncludesALayerAboveIt) {
    EXPECT_EQ(fUpwardIncludes(kSource), std::vector<std::string>{});
}

TEST(LayeringTest, TheCheckCatchesAnUpwardInclude) {
    // A copy of the world with one include of the scenes above it, and a folder nobody placed.
    const fs::path scratch = fs::temp_directory_path() / ("tavoni-layering-" + std::to_string(::getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch / "Stage");
    fs::create_directories(scratch / "misc");
    std::ofstream(scratch / "Stage" / "CVarno.cpp") << "#include \"Stage/CVarno.h\"\n"
                                                       "#include \"GameMain/GameMain.h\"\n";
    std::ofstream(scratch / "misc" / "Thing.cpp") << "#include \"base/Log.h\"\n";
    const std::vector<std::string> expected{"Stage/CVarno.cpp: #include \"GameMain/GameMain.h\"",
                                            "misc/Thing.cpp: a folder that has no layer"};
    std::vector<std::string> found = fUpwardIncludes(scratch);
    std::sort(found.begin(), found.end());
    fs::remove_all(scratch);
    EXPECT_EQ(found, expected);
}

TEST(LayeringTest, GameCodeNeverIncludesSdl) {
    for (const SInclude& include : fIncludesUnder(kSource)) {
        EXPECT_EQ(include.line.find("SDL"), std::string::npos) << include.file;
    }
}

TEST(LayeringTest, TheMediaLayerAndTheServerIncludeNothingOfTheGameAboveThem) {
    static const std::set<std::string> gameFolders{"input", "geometry",  "render", "audio", "replay",  "net",
                                                   "Stage", "StageData", "Ziki",   "gui",   "GameMain"};
    for (const SInclude& include : fIncludesUnder(fs::path(TAVONI_SOURCE_DIR) / "medialib")) {
        EXPECT_TRUE(gameFolders.count(include.folder) == 0 && include.folder != "base")
            << "medialib/" << include.file << ": " << include.line;
    }
    for (const SInclude& include : fIncludesUnder(fs::path(TAVONI_SOURCE_DIR) / "server")) {
        EXPECT_TRUE(gameFolders.count(include.folder) == 0 && include.folder != "dx")
            << "server/" << include.file << ": " << include.line;
    }
}

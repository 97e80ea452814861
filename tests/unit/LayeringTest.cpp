// The layers of the code, checked on the sources: game code never sees SDL; the base library (which the
// ranking server shares) includes nothing but itself; the ranking client sees only the base library; the
// utilities never reach up into the game's modules.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace {
// Every "file: include line" under `folder` whose include matches `pattern`.
std::vector<std::string> fIncludesMatching(const std::string& folder, const std::regex& pattern) {
    std::vector<std::string> found;
    const std::filesystem::path root = std::filesystem::path(TAVONI_SOURCE_DIR) / folder;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("#include", 0) == 0 && std::regex_search(line, pattern)) {
                found.push_back(entry.path().lexically_relative(root).string() + ": " + line);
            }
        }
    }
    return found;
}
} // namespace

TEST(LayeringTest, GameCodeNeverIncludesSdl) {
    EXPECT_EQ(fIncludesMatching("source", std::regex("SDL")), std::vector<std::string>{});
}

TEST(LayeringTest, UtilitiesNeverIncludeTheGameModules) {
    EXPECT_EQ(fIncludesMatching("source/util", std::regex("\"(GameMain|Stage|StageData|Ziki|gui)/")),
              std::vector<std::string>{});
}

TEST(LayeringTest, EachLibraryIncludesOnlyWhatItLinks) {
    const std::regex gameOrMedia("(\"(GameMain|Stage|StageData|Ziki|gui|util|net)/|<dx/)");
    EXPECT_EQ(fIncludesMatching("source/base", gameOrMedia), std::vector<std::string>{});
    const std::regex aboveNet("(\"(GameMain|Stage|StageData|Ziki|gui|util)/|<dx/)");
    EXPECT_EQ(fIncludesMatching("source/net", aboveNet), std::vector<std::string>{});
}

#include "base/CException.h"
#include "base/CResourceCollector.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
class ResourceCollectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tavoni_rc_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "image");
        root = (dir / "image").string() + "/";
    }
    void TearDown() override { fs::remove_all(dir); }
    void touch(const std::string& rel) {
        const fs::path p = fs::path(root) / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "x";
    }
    CResourceCollector collector() {
        CResourceCollector c(root);
        c.fAddExtension("png");
        c.fAddExtension("bmp");
        c.fSetLoader([this](const std::string& path) {
            loaded.push_back(path);
            return std::pair<std::string, int>(path, static_cast<int>(loaded.size()));
        });
        return c;
    }
    fs::path dir;
    std::string root;
    std::vector<std::string> loaded;
};
} // namespace

TEST_F(ResourceCollectorTest, NamesAreRelativeToTheRootWithSlashes) {
    touch("title.png");
    touch("ui_parts/cursor_left.png");
    touch("ui_parts/deep/er/chip.bmp");
    CResourceCollector c = collector();
    c.fCollect();
    std::vector<std::string> names;
    for (const auto& [name, handle] : c.fGetMap()) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"title.png", "ui_parts/cursor_left.png",
                                               "ui_parts/deep/er/chip.bmp"}));
    // The loader sees the full path.
    EXPECT_EQ(c.fGet("ui_parts/cursor_left.png"),
              static_cast<int>(std::find(loaded.begin(), loaded.end(), root + "ui_parts/cursor_left.png") -
                               loaded.begin()) +
                  1);
}

TEST_F(ResourceCollectorTest, ExtensionIsTheLastThreeCharactersCaseSensitive) {
    touch("notes.txt");
    touch("LOUD.PNG");
    touch("sneaky.xpng"); // the dot is not checked
    touch("ok.png");
    CResourceCollector c = collector();
    c.fCollect();
    EXPECT_FALSE(c.fHas("notes.txt"));
    EXPECT_FALSE(c.fHas("LOUD.PNG"));
    EXPECT_TRUE(c.fHas("sneaky.xpng"));
    EXPECT_TRUE(c.fHas("ok.png"));
    EXPECT_EQ(loaded.size(), 2u);
}

TEST_F(ResourceCollectorTest, SvnFoldersAreSkippedAnywhere) {
    touch(".svn/hidden.png");
    touch("ui_parts/.svn/text-base/hidden.png");
    touch("ui_parts/shown.png");
    CResourceCollector c = collector();
    c.fCollect();
    EXPECT_EQ(c.fGetMap().size(), 1u);
    EXPECT_TRUE(c.fHas("ui_parts/shown.png"));
    for (const std::string& p : loaded) {
        EXPECT_EQ(p.find(".svn"), std::string::npos) << p;
    }
}

TEST_F(ResourceCollectorTest, UnknownOrMiscasedNameRaisesFileNotExist) {
    touch("ui_parts/cursor_left.png");
    CResourceCollector c = collector();
    c.fCollect();
    try {
        (void)c.fGet("ui_parts/Cursor_left.png");
        FAIL() << "a name differing in case must not be found";
    } catch (const CException& e) {
        EXPECT_STREQ(e.what(), "file not exist:ui_parts/Cursor_left.png");
    }
    EXPECT_THROW((void)c.fGet("missing.png"), CException);
}

TEST_F(ResourceCollectorTest, MissingFolderIsAClearError) {
    CResourceCollector c(root + "nowhere/");
    c.fAddExtension("png");
    c.fSetLoader([](const std::string& p) { return std::pair<std::string, int>(p, 1); });
    try {
        c.fCollect();
        FAIL();
    } catch (const CException& e) {
        EXPECT_NE(std::string(e.what()).find("nowhere/"), std::string::npos);
    }
}

// Which mode a start is in and where its files go, for the places a player or a package puts the game.
#include "base/GameFolders.h"

#include "ScratchFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A checkout with a build tree, an installed prefix, a prefix without data and an unrelated folder; build
// trees outside the checkout, one whose note names the checkout, one a checkout since moved away.
struct SLayout {
    CScratchFolder scratch;
    std::string root = scratch.path().string() + "/";
    SLayout() {
        for (const char* folder :
             {"checkout/dat/image", "checkout/build/release", "usr/share/tavoni/dat/image", "usr/bin",
              "bare/bin", "elsewhere", "outside/build", "stale/build"}) {
            fs::create_directories(scratch.path() / folder);
        }
        std::ofstream(scratch.path() / "outside/build" / kCheckoutNote) << root << "checkout\n";
        std::ofstream(scratch.path() / "stale/build" / kCheckoutNote) << root << "moved\n";
    }
};

struct SCase {
    const char* what;
    const char* cwd;
    const char* exe;
    const char* option;
    const char* env;
    const char* xdg;
    const char* home;
    bool installed;
    const char* data;  // relative to the scratch root; "" for the working directory
    const char* user;  // relative to the scratch root unless absolute; "" for the working directory
    const char* error; // a part of the error; nullptr when none
};

const SCase kCases[] = {
    {"run from the checkout", "checkout", "checkout/build/release/tavoni", "", "", "/x", "/h", false, "", "",
     nullptr},
    {"a named folder wins in the game folder too", "checkout", "checkout/build/release/tavoni", "mine", "",
     "", "/h", false, "", "checkout/mine/", nullptr},
    {"installed, XDG data home", "elsewhere", "usr/bin/tavoni", "", "", "/xdg", "/h", true,
     "usr/share/tavoni/", "/xdg/tavoni/", nullptr},
    {"installed, a relative XDG data home is ignored", "elsewhere", "usr/bin/tavoni", "", "", "rel", "/h",
     true, "usr/share/tavoni/", "/h/.local/share/tavoni/", nullptr},
    {"installed, no XDG data home", "elsewhere", "usr/bin/tavoni", "", "", "", "/h", true,
     "usr/share/tavoni/", "/h/.local/share/tavoni/", nullptr},
    {"the environment over XDG", "elsewhere", "usr/bin/tavoni", "", "/env", "/xdg", "/h", true,
     "usr/share/tavoni/", "/env/", nullptr},
    {"the option over the environment", "elsewhere", "usr/bin/tavoni", "/opt", "/env", "/xdg", "/h", true,
     "usr/share/tavoni/", "/opt/", nullptr},
    {"a build tree run from elsewhere finds its checkout", "elsewhere", "checkout/build/release/tavoni", "",
     "", "/xdg", "/h", true, "checkout/", "/xdg/tavoni/", nullptr},
    {"a build tree outside the checkout finds it by its note", "elsewhere", "outside/build/tavoni", "", "",
     "/xdg", "/h", true, "checkout/", "/xdg/tavoni/", nullptr},
    {"run from the checkout, a build tree outside it still uses the game folder", "checkout",
     "outside/build/tavoni", "", "", "/xdg", "/h", false, "", "", nullptr},
    {"a note naming a checkout moved away is named where it looked", "elsewhere", "stale/build/tavoni", "",
     "", "/xdg", "/h", true, "", "", "moved/dat/image"},
    {"the installed data folder is never a game folder", "usr/share/tavoni", "usr/bin/tavoni", "", "", "/xdg",
     "/h", true, "usr/share/tavoni/", "/xdg/tavoni/", nullptr},
    {"no data anywhere names where it looked", "elsewhere", "bare/bin/tavoni", "", "", "/xdg", "/h", true, "",
     "", "bare/share/tavoni/dat/image"},
    {"no home at all", "elsewhere", "usr/bin/tavoni", "", "", "", "", true, "usr/share/tavoni/", "",
     "--data-dir"},
};

std::string fUnder(const std::string& root, const char* relative) {
    if (*relative == '\0' || *relative == '/') {
        return relative;
    }
    return root + relative;
}

} // namespace

TEST(GameFoldersTest, ModeAndFoldersFollowWhereTheGameIsAndWhatThePlayerNamed) {
    SLayout layout;
    for (const SCase& c : kCases) {
        SFolderSearch search;
        search.workingDirectory = layout.root + c.cwd;
        search.executable = layout.root + c.exe;
        search.dataDirOption = c.option;
        search.dataDirEnv = c.env;
        search.xdgDataHome = c.xdg;
        search.home = c.home;
        const SFolderResult found = fFindGameFolders(search);
        if (c.error != nullptr) {
            EXPECT_NE(found.error.find(c.error), std::string::npos) << c.what << ": " << found.error;
            continue;
        }
        EXPECT_EQ(found.error, "") << c.what;
        EXPECT_EQ(found.folders.installed, c.installed) << c.what;
        EXPECT_EQ(found.folders.data, fUnder(layout.root, c.data)) << c.what;
        EXPECT_EQ(found.folders.user, fUnder(layout.root, c.user)) << c.what;
    }
}

TEST(GameFoldersTest, ThePlayersFolderIsCreatedOrNamedWhenItCannotBe) {
    CScratchFolder scratch;
    SGameFolders folders;
    folders.installed = true;
    folders.user = scratch.file("deep/tavoni") + "/";
    EXPECT_EQ(fPrepareUserFolder(folders), "");
    EXPECT_TRUE(fs::is_directory(folders.user + "dat/replay"));
    EXPECT_TRUE(fs::is_directory(folders.user + "downloaded_replay"));
    EXPECT_TRUE(fs::is_empty(folders.user + "dat/replay")); // the write test leaves nothing behind

    // A file where a folder should be: nobody can create it, root neither.
    std::ofstream(scratch.file("taken")) << "x";
    folders.user = scratch.file("taken/tavoni") + "/";
    const std::string error = fPrepareUserFolder(folders);
    EXPECT_NE(error.find(scratch.file("taken/tavoni")), std::string::npos) << error;

    // The game folder mode needs nothing prepared.
    EXPECT_EQ(fPrepareUserFolder(SGameFolders{}), "");
}

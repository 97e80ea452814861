// The game as a player installs it: the built .deb unpacked into a scratch root, its data folder read-only,
// the game started from unrelated folders with its own HOME and XDG data folder.
#include "GameRunner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string fReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a shell command and returns its standard output; the exit status goes to `status`.
std::string fShell(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, got);
    }
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

fs::path fFindDeb() {
    const fs::path folder = TAVONI_PACKAGE_DIR;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".deb") {
            return entry.path();
        }
    }
    return {};
}

// Every file and folder under `root` with its size and time: what "nothing was written" is checked against.
std::map<std::string, std::string> fSnapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const auto time = fs::last_write_time(entry.path()).time_since_epoch().count();
        const auto size = entry.is_regular_file() ? fs::file_size(entry.path()) : 0;
        files[entry.path().lexically_relative(root).string()] =
            std::to_string(size) + "@" + std::to_string(time);
    }
    return files;
}

// The package unpacked once for the whole suite.
class InstalledGame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sDeb = fFindDeb();
        ASSERT_FALSE(sDeb.empty()) << "no .deb in " << TAVONI_PACKAGE_DIR
                                   << " (the package_build test makes it)";
        sScratch = fs::temp_directory_path() / ("tavoni_installed_" + std::to_string(::getpid()));
        fs::remove_all(sScratch);
        fs::create_directories(sScratch / "root");
        int status = 0;
        fShell("dpkg-deb -x '" + sDeb.string() + "' '" + (sScratch / "root").string() + "'", status);
        ASSERT_EQ(status, 0);
        // The package's prefix is the build's install prefix: find the program rather than assume it.
        for (const auto& entry : fs::recursive_directory_iterator(sScratch / "root")) {
            if (entry.path().filename() == "tavoni" && entry.path().parent_path().filename() == "bin") {
                sBinary = entry.path();
            }
        }
        ASSERT_FALSE(sBinary.empty());
        sData = sBinary.parent_path().parent_path() / "share" / "tavoni";
        // Read-only as a package manager leaves it (root ignores the bits, so the snapshot is the real
        // check).
        fShell("chmod -R a-w '" + sData.string() + "'", status);
        sDataBefore = fSnapshot(sData);
    }
    static void TearDownTestSuite() {
        int status = 0;
        fShell("chmod -R u+w '" + sScratch.string() + "'", status);
        std::error_code ignored;
        fs::remove_all(sScratch, ignored);
    }
    void TearDown() override {
        EXPECT_EQ(fSnapshot(sData), sDataBefore) << "the installed data was written to";
    }

    // A new empty folder under the scratch root.
    static fs::path fFolder(const std::string& name) {
        const fs::path folder = sScratch / name;
        fs::create_directories(folder);
        return folder;
    }
    static SGameResult fRunInstalled(const fs::path& from, const std::vector<std::string>& args,
                                     const std::vector<std::string>& env) {
        return fRunProgram(sBinary.string(), args, from, env);
    }

    static fs::path sDeb, sScratch, sBinary, sData;
    static std::map<std::string, std::string> sDataBefore;
};
fs::path InstalledGame::sDeb, InstalledGame::sScratch, InstalledGame::sBinary, InstalledGame::sData;
std::map<std::string, std::string> InstalledGame::sDataBefore;

} // namespace

// Each installed program's manual page names every option its --help lists (whichever options a later
// change adds), and man reads it without a warning.
TEST_F(InstalledGame, EachManualNamesEveryOptionOfItsProgramAndReadsCleanly) {
    const fs::path prefix = sBinary.parent_path().parent_path();
    const struct {
        const char* program;
        const char* page;
    } manuals[] = {{"tavoni", "share/man/man6/tavoni.6"},
                   {"tavoni-ranking-server", "share/man/man8/tavoni-ranking-server.8"}};
    for (const auto& manual : manuals) {
        int status = 0;
        const std::string help =
            fShell("'" + (prefix / "bin" / manual.program).string() + "' --help", status);
        EXPECT_EQ(status, 0) << manual.program;
        // The page's source with its escaped hyphens plain, as a reader sees them.
        const std::string page =
            std::regex_replace(fReadText(prefix / manual.page), std::regex(R"(\\-)"), "-");
        const std::regex option(R"((?:^|\n)\s+(--[a-z][a-z0-9-]*))");
        int listed = 0;
        for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator();
             ++it, ++listed) {
            const std::string name = (*it)[1];
            EXPECT_TRUE(std::regex_search(page, std::regex(name + "(?![a-z0-9-])")))
                << manual.page << " does not name " << name;
        }
        EXPECT_GT(listed, 10) << help;
        const std::string warnings = fShell("MANWIDTH=80 man --warnings -E UTF-8 -l '" +
                                                (prefix / manual.page).string() + "' 2>&1 >/dev/null",
                                            status);
        EXPECT_EQ(status, 0) << manual.page;
        EXPECT_EQ(warnings, "") << manual.page;
    }
}

TEST_F(InstalledGame, PackageHoldsTheGameItsDataAndItsDesktopFiles) {
    int status = 0;
    const std::string listing = fShell("dpkg-deb -c '" + sDeb.string() + "'", status);
    ASSERT_EQ(status, 0);
    for (const char* file :
         {"/bin/tavoni\n", "/bin/tavoni-ranking-server\n", "/share/tavoni/dat/town3.csv\n",
          "/share/tavoni/dat/image/title.png\n", "/share/tavoni/dat/sound/free0636.mp3\n",
          "/share/tavoni/collision.png\n", "/share/applications/jp.tavoni.Tavoni.desktop\n",
          "/share/icons/hicolor/48x48/apps/jp.tavoni.Tavoni.png\n",
          "/share/icons/hicolor/128x128/apps/jp.tavoni.Tavoni.png\n",
          "/share/icons/hicolor/256x256/apps/jp.tavoni.Tavoni.png\n",
          "/share/metainfo/jp.tavoni.Tavoni.metainfo.xml\n", "/share/man/man6/tavoni.6\n",
          "/share/man/man8/tavoni-ranking-server.8\n",
          "/share/mime/packages/jp.tavoni.Tavoni.xml\n",
          "/lib/systemd/system/tavoni-ranking-server.service\n"}) {
        EXPECT_NE(listing.find(file), std::string::npos) << file;
    }
    // The player's files are never part of the package.
    EXPECT_EQ(listing.find("dat/replay"), std::string::npos);
    EXPECT_EQ(listing.find("downloaded_replay"), std::string::npos);

    const fs::path share = sData.parent_path();
    const std::string validate = fShell(
        "desktop-file-validate '" + (share / "applications/jp.tavoni.Tavoni.desktop").string() + "' 2>&1",
        status);
    EXPECT_EQ(status, 0) << validate;
    const std::string metainfo =
        fShell("appstreamcli validate --no-net '" +
                   (share / "metainfo/jp.tavoni.Tavoni.metainfo.xml").string() + "' 2>&1",
               status);
    EXPECT_EQ(status, 0) << metainfo;
    // The unit starts the server and its checks from where the package put them.
    const std::string unit =
        fReadText(sBinary.parent_path().parent_path() / "lib/systemd/system/tavoni-ranking-server.service");
    const std::string prefix =
        "/" + sBinary.parent_path().parent_path().lexically_relative(sScratch / "root").string();
    EXPECT_NE(unit.find("ExecStart=" + prefix + "/bin/tavoni-ranking-server "), std::string::npos) << unit;
    EXPECT_NE(unit.find("--game " + prefix + "/bin/tavoni "), std::string::npos) << unit;
    EXPECT_NE(unit.find("--game-data " + prefix + "/share/tavoni"), std::string::npos) << unit;
}

TEST_F(InstalledGame, AScoringRunFromAnyFolderIsSavedInThePlayersFolderAndReplays) {
    const std::string script = fReadText(fs::path(TAVONI_SOURCE_DIR) / "tests/game/input/feed_varno.txt");
    std::smatch timeUp;
    ASSERT_TRUE(std::regex_search(script, timeUp, std::regex("# time up at frame ([0-9]+)")));
    const int endAt = std::stoi(timeUp[1]) + 3 * 240 + 10;
    const fs::path scripts = fFolder("scripts");
    std::ofstream(scripts / "feed.txt") << script;

    const fs::path home = fFolder("run/home");
    const fs::path xdg = fFolder("run/xdg");
    const fs::path elsewhere = fFolder("run/elsewhere");
    const std::vector<std::string> env{"HOME=" + home.string(), "XDG_DATA_HOME=" + xdg.string(),
                                       "TAVONI_DATA_DIR"};
    const SGameResult run =
        fRunInstalled(elsewhere,
                      {"--no-render", "--no-wait", "--seed", "7", "--input", (scripts / "feed.txt").string(),
                       "--frames", std::to_string(endAt), "--trace-stage"},
                      env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("installed mode: game data from " + sData.string() + "/"), std::string::npos)
        << run.out;
    std::smatch end;
    ASSERT_TRUE(std::regex_search(run.out, end, std::regex("stage end: score ([0-9]+)\n"))) << run.out;
    const int score = std::stoi(end[1]);
    ASSERT_GT(score, 0);

    // The high score and its replay are in the player's folder, with the game folder's names and layout.
    const fs::path player = xdg / "tavoni";
    const std::string record = fReadText(player / "dat/replay/score.dat");
    ASSERT_EQ(record.size(), 33u);
    int stored = 0;
    for (int i = 3; i >= 0; --i) {
        stored = stored * 256 + static_cast<unsigned char>(record[28 + static_cast<size_t>(i)]);
    }
    EXPECT_EQ(stored, score);
    EXPECT_TRUE(fs::exists(player / "dat/replay/replay"));
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "the working directory was written to";
    EXPECT_TRUE(fs::is_empty(home)) << "XDG_DATA_HOME was set, so HOME is not used";

    // Played back from a third folder, the stored replay reaches the same score.
    const SGameResult replay =
        fRunInstalled(fFolder("run/third"),
                      {"--no-render", "--no-wait", "--replay", (player / "dat/replay/replay").string(),
                       "--expect-score", std::to_string(score)},
                      env);
    EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
    EXPECT_NE(replay.out.find(", score " + std::to_string(score) + ", "), std::string::npos) << replay.out;
}

TEST_F(InstalledGame, TheNamedFolderWinsAndFoldersThatCannotBeUsedEndBeforeTheWindow) {
    const fs::path xdg = fFolder("named/xdg");
    const fs::path from = fFolder("named/from");
    const std::vector<std::string> quick{"--no-render", "--no-wait", "--frames", "3"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), quick.begin(), quick.end());
        return args;
    };

    // --data-dir over TAVONI_DATA_DIR over XDG_DATA_HOME.
    const fs::path option = sScratch / "named/option";
    const fs::path variable = sScratch / "named/variable";
    SGameResult r = fRunInstalled(from, with({"--data-dir", option.string()}),
                                  {"XDG_DATA_HOME=" + xdg.string(), "TAVONI_DATA_DIR=" + variable.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_directory(option / "dat/replay"));
    EXPECT_FALSE(fs::exists(variable));
    r = fRunInstalled(from, quick, {"XDG_DATA_HOME=" + xdg.string(), "TAVONI_DATA_DIR=" + variable.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_directory(variable / "dat/replay"));
    EXPECT_TRUE(fs::is_empty(xdg));

    // A player's folder that cannot be made: exit 2, naming it, before any window.
    std::ofstream(sScratch / "named/a-file") << "x";
    const fs::path impossible = sScratch / "named/a-file/tavoni";
    r = fRunInstalled(from, with({"--data-dir", impossible.string()}), {"XDG_DATA_HOME=" + xdg.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(impossible.string()), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("SCREEN_WIDTH"), std::string::npos) << r.out;

    // The program without its data: exit 2, naming where it looked.
    const fs::path lonely = fFolder("named/lonely/bin");
    fs::copy_file(sBinary, lonely / "tavoni");
    r = fRunProgram((lonely / "tavoni").string(), quick, from, {"XDG_DATA_HOME=" + xdg.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find((sScratch / "named/lonely/share/tavoni/dat/image").string()), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(from.string() + "/dat/image"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("SCREEN_WIDTH"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_empty(from));
}

TEST_F(InstalledGame, ReplayFilesAreKnownByTheirNameAndByTheirContentsAndOpenWithTheGame) {
    const fs::path share = sData.parent_path();
    const std::string entry = fReadText(share / "applications/jp.tavoni.Tavoni.desktop");
    EXPECT_NE(entry.find("\nMimeType=application/x-tavoni-replay;\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nExec=tavoni %f\n"), std::string::npos) << entry;

    // The database the package manager's trigger builds, built here in a copy (the data is read-only).
    const fs::path shared = fFolder("mime/share");
    fs::copy(share / "mime", shared / "mime", fs::copy_options::recursive);
    int status = 0;
    const std::string built =
        fShell("update-mime-database '" + (shared / "mime").string() + "' 2>&1", status);
    ASSERT_EQ(status, 0) << built;
    const fs::path files = fFolder("mime/files");
    const fs::path replay = fs::path(TAVONI_SOURCE_DIR) / "tests/replays/feed-combo.replay";
    fs::copy_file(replay, files / "AYA-2050.tavoni-replay");
    fs::copy_file(replay, files / "saved-under-another-name");
    const std::string env = "XDG_CURRENT_DESKTOP=GNOME XDG_DATA_HOME='" + fFolder("mime/home").string() +
                            "' XDG_DATA_DIRS='" + shared.string() + ":/usr/share' ";
    for (const char* name : {"AYA-2050.tavoni-replay", "saved-under-another-name"}) {
        const std::string type =
            fShell(env + "xdg-mime query filetype '" + (files / name).string() + "' 2>/dev/null", status);
        EXPECT_EQ(type, "application/x-tavoni-replay\n") << name;
    }
}

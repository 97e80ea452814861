// The program shell seen from outside: options, configuration, scripted input, screenshots, the log.
#include "GameRunner.h"

#include <vector>

#include <filesystem>
#include <gtest/gtest.h>

TEST(ShellGame, HelpListsTheOptions) {
    CGameFolder folder(false);
    const SGameResult r = folder.fRun({"--help"}, false);
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option :
         {"--headless", "--no-wait", "--frames", "--input", "--screenshot", "--data-dir", "--help"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
    // And where this start's files would be.
    EXPECT_NE(r.out.find(" mode: game data from "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("dat/replay/score.dat"), std::string::npos) << r.out;
}

TEST(ShellGame, UnknownOptionOrBadValueIsRefused) {
    CGameFolder folder(false);
    EXPECT_EQ(folder.fRun({"--bogus"}).exitCode, 2);
    EXPECT_EQ(folder.fRun({"--frames", "ten"}).exitCode, 2);
    EXPECT_EQ(folder.fRun({"--screenshot", "shot.png"}).exitCode, 2);
    EXPECT_EQ(folder.fRun({"--frames"}).exitCode, 2);
}

TEST(ShellGame, HeadlessRunWritesAScreenshotAndExitsCleanly) {
    CGameFolder folder;
    const SGameResult r = folder.fRun({"--frames", "120", "--screenshot", "60:shot.png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(folder.fExists("shot.png")) << r.err;
    EXPECT_EQ(fPngSize(folder / "shot.png"), std::make_pair(640, 480));
    // Start-up diagnostics and the profiler report at shutdown.
    EXPECT_EQ(r.out.rfind("SCREEN_WIDTH=640.000000\nSCREEN_WIDTH=640.000000\n", 0), 0u) << r.out;
    EXPECT_TRUE(folder.fFilesWithExtension(".log").empty());
    // The placeholder files that keep the folders in a fresh checkout are removed at start-up.
    EXPECT_FALSE(folder.fExists("dat/replay/dummy"));
}

TEST(ShellGame, ScriptedKeyArrivesInItsFrameAndNotBefore) {
    CGameFolder folder;
    const SGameResult r = folder.fRunWithInput("# Z goes down at frame 10\n10 down Z\n12 up Z\n",
                                               {"--frames", "14", "--trace-keys"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("frame 9 keys:\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frame 10 keys: KEY_Z\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frame 11 keys: KEY_Z\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frame 12 keys:\n"), std::string::npos) << r.out;
}

TEST(ShellGame, MalformedInputLineIsNamedBeforeTheWindowOpens) {
    CGameFolder folder;
    const SGameResult r =
        folder.fRunWithInput("1 down Z\n2 jump Z\n", {"--frames", "5", "--screenshot", "1:s.png"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(":2"), std::string::npos) << r.err;
    EXPECT_FALSE(folder.fExists("s.png"));
    EXPECT_EQ(r.out.find("SCREEN_WIDTH"), std::string::npos);
}

TEST(ShellGame, ShortConfigEndsBeforeTheWindowAndSaysWhy) {
    CGameFolder folder;
    folder.fWrite("config.dat", "window=1\nsound=1\n");
    const SGameResult r = folder.fRun({"--frames", "5", "--screenshot", "1:s.png"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("config.dat"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
    EXPECT_FALSE(folder.fExists("s.png"));
    const auto logs = folder.fFilesWithExtension(".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(folder.fRead(logs[0]).find("line 3"), std::string::npos);
}

TEST(ShellGame, DamagedDataFolderIsAClearMessageNotACrash) {
    CGameFolder folder;
    std::filesystem::remove_all(folder / "dat/image/ziki");
    const SGameResult r = folder.fRun({"--frames", "5"});
    EXPECT_EQ(r.exitCode, 3); // an error, not a normal end
    EXPECT_NE(r.err.find("dat/image/"), std::string::npos) << r.err;
    const auto logs = folder.fFilesWithExtension(".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(folder.fRead(logs[0]).rfind("exception:", 0), 0u);
}

TEST(ShellGame, ConfigWithSoundOffStillRuns) {
    CGameFolder folder;
    folder.fWrite("config.dat", "window=0\nsound=0\nnoprealloc=0\n");
    const SGameResult r = folder.fRun({"--frames", "10"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(folder.fFilesWithExtension(".log").empty()) << r.err;
}

TEST(ShellGame, DamagedSavesAreSetAsideAndTheGameStillStarts) {
    CGameFolder folder;
    folder.fWrite("dat/replay/score.dat", std::string("\x01\x02garbage that is no record", 27));
    folder.fWrite("dat/setting.dat", std::string(5000, '\xff'));
    const SGameResult r = folder.fRun({"--frames", "20", "--screenshot", "10:s.png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(folder.fExists("s.png"));
    // Nothing is lost: the damaged files are kept beside, and the player can read why in the log.
    EXPECT_TRUE(folder.fExists("dat/replay/score.dat.bad"));
    EXPECT_TRUE(folder.fExists("dat/setting.dat.bad"));
    EXPECT_NE(r.err.find("score.dat"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("setting.dat"), std::string::npos) << r.err;
    EXPECT_FALSE(folder.fFilesWithExtension(".log").empty());
}

TEST(ShellGame, MissingMapEndsTheRunWithAClearMessage) {
    CGameFolder folder;
    std::filesystem::remove(folder / "dat/town3.csv");
    const SGameResult r = folder.fRunWithInput("2 tap Z\n4 tap Z\n", {"--no-render", "--frames", "20"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("dat/town3.csv"), std::string::npos) << r.err;
    const auto logs = folder.fFilesWithExtension(".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(folder.fRead(logs[0]).find("exception:"), std::string::npos);
}

TEST(ShellGame, UndecodableImageIsNamedNotACrash) {
    CGameFolder folder;
    folder.fWrite("dat/image/item/egg.png", "\x89PNG but not really an image");
    const SGameResult r = folder.fRun({"--frames", "10"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("dat/image/item/egg.png"), std::string::npos) << r.err;
    const auto logs = folder.fFilesWithExtension(".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(folder.fRead(logs[0]).find("item/egg.png"), std::string::npos);
}

TEST(ShellGame, GamepadButtonsArriveAsGameKeys) {
    CGameFolder folder;
    // Button 1 is Z and the d-pad walks, unless the settings remap them.
    const SGameResult r = folder.fRunWithInput("3 down Pad1\n4 up Pad1\n5 tap Pad1\n8 down PadLeft\n",
                                               {"--frames", "10", "--trace-keys"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("frame 3 keys: KEY_Z\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frame 8 keys: LEFT ARROW_LEFT\n"), std::string::npos) << r.out;
    // Button 1 opened the menu and then chose its first item: a run started.
    EXPECT_NE(r.out.find("gRandom this(int = "), std::string::npos) << r.out;
}

TEST(ShellGame, TheWindowComesBackAsItWasLeft) {
    CGameFolder folder;
    const auto windowed = [&folder](std::vector<std::string> args) {
        args.insert(args.begin(), {"--no-wait", "--frames", "10"});
        return folder.fRun(args, false);
    };
    // The first start opens the largest whole multiple of 640 x 480 that fits (the dummy display fits one).
    SGameResult r = windowed({});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("tavoni: window 640x480\n"), std::string::npos) << r.out;
    ASSERT_TRUE(folder.fExists("dat/window.dat"));

    // Alt+Return goes full screen; the next start comes back full screen, with the same window behind it.
    folder.fWrite("input.txt", "2 down Alt\n3 tap Return\n5 up Alt\n");
    r = windowed({"--input", "input.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = windowed({});
    EXPECT_NE(r.out.find("tavoni: window 640x480, full screen\n"), std::string::npos) << r.out;

    // A damaged file is set aside and the window opens as the first time.
    folder.fWrite("dat/window.dat", "garbage");
    r = windowed({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("tavoni: window 640x480\n"), std::string::npos) << r.out;
    EXPECT_TRUE(folder.fExists("dat/window.dat.bad"));

    // Headless runs have no window and leave the file alone.
    const std::string kept = folder.fRead("dat/window.dat");
    EXPECT_EQ(folder.fRun({"--frames", "5"}).exitCode, 0);
    EXPECT_EQ(folder.fRead("dat/window.dat"), kept);
}

TEST(ShellGame, AMediaLayerThatCannotStartIsAnErrorExit) {
    CGameFolder folder;
    const SGameResult r =
        fRunProgram(TAVONI_BINARY, {"--frames", "5"}, folder.fPath(),
                    {"HOME=" + (folder.fPath() / ".home").string(), "SDL_VIDEODRIVER=no-such-driver"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("the media layer could not start"), std::string::npos) << r.err;
}

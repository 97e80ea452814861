// Entry point: command-line options, configuration, the media layer, then the game loop.
#include "GameMain/CLaunchReplay.h"
#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "GameMain/WindowSettings.h"
#include "base/FieldText.h"
#include "base/GameFolders.h"
#include "base/Log.h"
#include "net/RankingClient.h"
#include "replay/ReplayFiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dx/DxLib.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

const char* const kUsage =
    "usage: tavoni [options]\n"
    "  --headless               no window and no sound device; real pixels (offscreen)\n"
    "  --no-wait                run frames as fast as possible (no frame pacing)\n"
    "  --frames N               leave the game after N frames, as if the window were closed\n"
    "  --input FILE             scripted input: lines of '<frame> down|up|tap <key>' or '<frame> text "
    "<chars>'\n"
    "  --screenshot N:FILE.png  after frame N is drawn, save the screen as a PNG (repeatable)\n"
    "  --no-render              like --headless, but no scene draws at all and images are not decoded\n"
    "                           (fast replay checks; screenshots are black)\n"
    "  --trace-stage            print the stage's progress every second of play (for tests)\n"
    "  --trace-menu             print the menus' notices, the high score and the ranking rows (for tests)\n"
    "  --trace-keys             print the game keys held in every frame (for tests)\n"
    "  --replay FILE            play the packed replay FILE from its start, then leave; prints\n"
    "                           'replay FILE: N frames, score S, T ms (F frames/s)'\n"
    "                           then 'digest HEX', a digest of the final state of play, and a\n"
    "                           'stats ...' line: kills by kind, dishes, best combo and rank, faints\n"
    "  --expect-score S         with --replay: exit 1 unless the replay's final score is exactly S\n"
    "  --result-screenshot FILE.png\n"
    "                           with --replay: save the run's result screen as a 640 x 480 PNG (exit 1\n"
    "                           when the replay ends without one); the frames before it are not drawn\n"
    "  --digest-every N         print 'digest FRAME HEX' every N frames of play (where two builds part)\n"
    "  --seed N                 seed every new run with N instead of the clock (for tests)\n"
    "  --ranking-server HOST[:PORT]\n"
    "                           the online ranking's server (default: the environment variable\n"
    "                           TAVONI_RANKING_SERVER, else the built-in one)\n"
    "  --data-dir DIR           keep the player's files (saves, replays, settings, logs) in DIR\n"
    "                           (default: the environment variable TAVONI_DATA_DIR, else\n"
    "                           $XDG_DATA_HOME/tavoni, else ~/.local/share/tavoni; unused when run\n"
    "                           from a game folder, whose dat/ keeps them)\n"
    "  --version                print the game's version and leave\n"
    "  --help                   this text, and where this run's files are\n";

struct SLaunchFolders {
    std::string dataDirOption;
    bool help = false;
};
SLaunchFolders gLaunchFolders;

// Which mode this run is in and where its data comes from, in one line.
std::string fModeLine(const SGameFolders& folders) {
    const std::string user = folders.user.empty() ? std::string("./") : folders.user;
    if (folders.installed) {
        return "installed mode: game data from " + folders.data + ", the player's files in " + user + "\n";
    }
    return "game folder mode: game data from ./dat/, the player's files in " + user + "\n";
}

// Where each of the player's files is.
std::string fFileList(const SGameFolders& folders) {
    const std::string user = folders.user.empty() ? std::string("./") : folders.user;
    return "  " + user + "dat/replay/score.dat   the high score\n" + "  " + user +
           "dat/replay/replay      the high score's replay\n" + "  " + user +
           "dat/setting.dat        the gamepad settings\n" + "  " + user +
           "dat/tips.dat           the tips unlocked\n" + "  " + user +
           "downloaded_replay/     other players' replays\n" + "  " + user +
           "config.dat             window, sound, memory (optional)\n" + "  " + user +
           "<UTC ms>.log           error and warning logs\n";
}

// Returns -1 to go on, or the exit status to end with.
int fParseOptions(int argc, char** argv) {
    bool expectScore = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto needValue = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "tavoni: %s needs %s\n%s", argv[i], what, kUsage);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            gLaunchFolders.help = true;
        } else if (arg == "--version") {
            // The ranking server records which version checked each entry.
            std::printf("tavoni %s\n", TAVONI_VERSION);
            return 0;
        } else if (arg == "--data-dir") {
            const char* v = needValue("a folder");
            if (v == nullptr) {
                return 2;
            }
            if (*v == '\0') {
                std::fprintf(stderr, "tavoni: --data-dir needs a folder\n");
                return 2;
            }
            gLaunchFolders.dataDirOption = v;
        } else if (arg == "--headless") {
            dx_SetBackend(DxBackend::Offscreen);
        } else if (arg == "--no-wait") {
            gLaunchNoWait = true;
        } else if (arg == "--trace-stage") {
            gLaunchTraceStage = true;
        } else if (arg == "--trace-menu") {
            gLaunchTraceMenu = true;
        } else if (arg == "--no-render") {
            dx_SetBackend(DxBackend::Null);
            gLaunchNoRender = true;
        } else if (arg == "--trace-keys") {
            gLaunchTraceKeys = true;
        } else if (arg == "--frames") {
            const char* v = needValue("a frame count");
            int frames = 0;
            if (v == nullptr) {
                return 2;
            }
            if (!fParseDecimalInt(v, frames)) {
                std::fprintf(stderr, "tavoni: --frames needs a whole number, not \"%s\"\n", v);
                return 2;
            }
            dx_SetFrameLimit(frames);
        } else if (arg == "--input") {
            const char* v = needValue("a file");
            if (v == nullptr) {
                return 2;
            }
            std::string error;
            if (!dx_LoadInputScript(v, error)) {
                std::fprintf(stderr, "tavoni: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--replay") {
            const char* v = needValue("a packed replay");
            if (v == nullptr) {
                return 2;
            }
            gLaunchReplay.fSetPath(v);
        } else if (arg == "--expect-score") {
            const char* v = needValue("a score");
            int score = 0;
            if (v == nullptr) {
                return 2;
            }
            if (!fParseDecimalInt(v, score)) {
                std::fprintf(stderr, "tavoni: --expect-score needs a whole number, not \"%s\"\n", v);
                return 2;
            }
            gLaunchReplay.fSetExpectedScore(score);
            expectScore = true;
        } else if (arg == "--result-screenshot") {
            const char* v = needValue("FILE.png");
            if (v == nullptr) {
                return 2;
            }
            if (*v == '\0') {
                std::fprintf(stderr, "tavoni: --result-screenshot needs a file\n");
                return 2;
            }
            gLaunchResultScreenshot = v;
        } else if (arg == "--digest-every") {
            const char* v = needValue("a number of frames");
            if (v == nullptr) {
                return 2;
            }
            if (!fParseDecimalInt(v, gLaunchDigestEvery) || gLaunchDigestEvery < 1) {
                std::fprintf(stderr,
                             "tavoni: --digest-every needs a whole number of frames from 1, not \"%s\"\n", v);
                return 2;
            }
        } else if (arg == "--seed") {
            const char* v = needValue("a seed");
            if (v == nullptr) {
                return 2;
            }
            if (!fParseDecimalInt(v, gLaunchSeed)) {
                std::fprintf(stderr, "tavoni: --seed needs a whole number, not \"%s\"\n", v);
                return 2;
            }
        } else if (arg == "--ranking-server") {
            const char* v = needValue("HOST[:PORT]");
            if (v == nullptr) {
                return 2;
            }
            if (!fSetRankingServer(v)) {
                std::fprintf(stderr, "tavoni: --ranking-server needs HOST[:PORT], not \"%s\"\n", v);
                return 2;
            }
        } else if (arg == "--screenshot") {
            const char* v = needValue("N:FILE.png");
            if (v == nullptr) {
                return 2;
            }
            const std::string_view spec(v);
            const size_t colon = spec.find(':');
            int frame = 0;
            if (colon == std::string_view::npos || colon + 1 >= spec.size() ||
                !fParseDecimalInt(spec.substr(0, colon), frame)) {
                std::fprintf(stderr, "tavoni: --screenshot needs N:FILE.png, not \"%s\"\n", v);
                return 2;
            }
            dx_AddScreenshot(frame, std::string(spec.substr(colon + 1)));
        } else {
            std::fprintf(stderr, "tavoni: unknown option \"%s\"\n%s", argv[i], kUsage);
            return 2;
        }
    }
    if (expectScore && !gLaunchReplay.fIsActive()) {
        std::fprintf(stderr, "tavoni: --expect-score goes with --replay\n");
        return 2;
    }
    if (!gLaunchResultScreenshot.empty() && (!gLaunchReplay.fIsActive() || gLaunchNoRender)) {
        std::fprintf(stderr, "tavoni: --result-screenshot goes with --replay, and not with --no-render\n");
        return 2;
    }
    return -1;
}

std::string fEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Finds the game data and prepares the player's folder; returns -1 to go on, or the exit status.
int fSetUpFolders(const char* argv0) {
    SFolderSearch search;
    std::error_code error;
    search.workingDirectory = std::filesystem::current_path(error).string();
    search.executable = fExecutablePath(argv0);
    search.dataDirOption = gLaunchFolders.dataDirOption;
    search.dataDirEnv = fEnvironment("TAVONI_DATA_DIR");
    search.xdgDataHome = fEnvironment("XDG_DATA_HOME");
    search.home = fEnvironment("HOME");
    const SFolderResult found = fFindGameFolders(search);
    if (gLaunchFolders.help) {
        std::fputs(kUsage, stdout);
        std::fputs("\nThis run: ", stdout);
        const std::string where =
            found.error.empty() ? fModeLine(found.folders) + fFileList(found.folders) : found.error + "\n";
        std::fputs(where.c_str(), stdout);
        return 0;
    }
    if (!found.error.empty()) {
        std::fprintf(stderr, "tavoni: %s\n", found.error.c_str());
        return 2;
    }
    const std::string unwritable = fPrepareUserFolder(found.folders);
    if (!unwritable.empty()) {
        std::fprintf(stderr, "tavoni: %s\n", unwritable.c_str());
        return 2;
    }
    fSetGameFolders(found.folders);
    if (!found.folders.user.empty()) {
        std::string logFolder = found.folders.user;
        logFolder.pop_back(); // the log adds its own separator
        fSetLogFolder(logFolder);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const int optionStatus = fParseOptions(argc, argv);
    if (optionStatus >= 0) {
        return optionStatus;
    }
    const int folderStatus = fSetUpFolders(argc > 0 ? argv[0] : nullptr);
    if (folderStatus >= 0) {
        return folderStatus;
    }

    std::printf("SCREEN_WIDTH=%f\n", 640.0);
    fRemoveReplayPlaceholders();
    fLoadSetting();

    try {
        const SConfig config = fLoadConfig();
        gConfigWindowed = config.windowed;
        gConfigSound = config.sound;
        gConfigNoPreAlloc = config.noPreAlloc;
    } catch (const SConfigError& e) {
        std::fprintf(stderr, "tavoni: %s\n", e.message.c_str());
        fWriteLog("config error: " + e.message, 0);
        return 2;
    }

    fRegisterHighScoreInfo();

    if (!gConfigNoPreAlloc) {
        // Grow the heap once before play rather than during it.
        auto block = std::make_unique<char[]>(134217728);
        volatile char* touch = block.get();
        touch[0] = 0;
    }

    dx_SetWindowIconID(100);
    dx_SetMainWindowText("たぼに！(ver1.03)");
    dx_SetGraphMode(640, 480, 32, 60);
    // The window comes back as the player left it; the first time, config.dat decides full screen and the
    // media layer picks the largest whole multiple of 640 x 480 that fits the desktop.
    const std::string windowFile = fUserPath(kWindowSettingsFile);
    const std::optional<SWindowSettings> window = fLoadWindowSettings(windowFile);
    if (window) {
        dx_SetStartWindowSize(window->width, window->height);
    }
    const bool windowed = window ? !window->fullScreen : gConfigWindowed;
    dx_ChangeWindowMode(windowed ? 1 : 0);
    dx_SetUseFPUPreserveFlag(1);
    dx_SetWaitVSyncFlag(0);
    if (dx_DxLib_Init() == -1) {
        std::fprintf(stderr, "tavoni: the media layer could not start: %s\n", dx_GetLastError().c_str());
        return 3;
    }
    std::printf("SCREEN_WIDTH=%f\n", 640.0);
    std::printf("tavoni: %s", fModeLine(fGameFolders()).c_str());
    SWindowSettings shown;
    int fullScreen = 0;
    if (dx_GetWindowState(&shown.width, &shown.height, &fullScreen) == 0) {
        std::printf("tavoni: window %dx%d%s\n", shown.width, shown.height, fullScreen ? ", full screen" : "");
    }
    dx_SetTransColor(255, 0, 255);
    dx_SetDrawMode(1);

    const bool ranToItsEnd = fRunGame();

    SWindowSettings left;
    if (dx_GetWindowState(&left.width, &left.height, &fullScreen) == 0) {
        left.fullScreen = fullScreen != 0;
        try {
            fSaveWindowSettings(windowFile, left);
        } catch (const std::exception& e) {
            fLogWarning(std::string("the window's size could not be remembered: ") + e.what());
        }
    }
    dx_DxLib_End();
    const int replayStatus = gLaunchReplay.fIsActive() ? gLaunchReplay.fReport() : 0;
    // A launcher or a script must be able to tell an error from a normal end.
    return ranToItsEnd ? replayStatus : 3;
}

// Entry point: command-line options, configuration, the media layer, then the game loop.
#include "GameMain/CLaunchReplay.h"
#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "GameMain/LanguageSettings.h"
#include "GameMain/WindowSettings.h"
#include "LaunchOptions.h"
#include "base/FieldText.h"
#include "base/GameFolders.h"
#include "base/GameVersion.h"
#include "base/Log.h"
#include "base/Translation.h"
#include "input/KeyBindings.h"
#include "net/RankingClient.h"
#include "net/RankingServerSetting.h"
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

// --language, kept from the command line until the player's folder is known.
std::optional<ELanguage> sCommandLineLanguage;

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
           "dat/language.dat       the language chosen in the key configuration\n" + "  " + user +
           "dat/keys.dat           the keyboard keys chosen in the key configuration\n" + "  " + user +
           "dat/tips.dat           the tips unlocked\n" + "  " + user +
           "downloaded_replay/     other players' replays\n" + "  " + user +
           "config.dat             window, sound, memory (optional)\n" + "  " + user +
           "dat/ranking_server.txt the ranking server (written at the first start)\n" + "  " + user +
           "dat/volume.dat         the music and effects volumes\n" + "  " + user +
           "dat/window.dat         the window's size and full-screen state\n" + "  " + user +
           "<UTC ms>.log           error and warning logs\n";
}

std::string fEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The command line's options, set where the game and the media layer read them; false (and said why) when
// an input script cannot be used.
bool fApplyOptions(const SLaunchOptions& options) {
    if (options.backend) {
        dx_SetBackend(*options.backend);
    }
    gLaunchNoRender = options.noRender;
    gLaunchNoWait = options.noWait;
    gLaunchTraceStage = options.traceStage;
    gLaunchTraceMenu = options.traceMenu;
    gLaunchTraceKeys = options.traceKeys;
    if (options.frames) {
        dx_SetFrameLimit(*options.frames);
    }
    gLaunchReplay.fSetPath(options.replay);
    gLaunchReplay.fSetJumps(options.jumpTo);
    gLaunchWatch = options.watch;
    if (options.expectedScore) {
        gLaunchReplay.fSetExpectedScore(*options.expectedScore);
    }
    gLaunchResultScreenshot = options.resultScreenshot;
    gLaunchDigestEvery = options.digestEvery.value_or(gLaunchDigestEvery);
    gLaunchSeed = options.seed.value_or(gLaunchSeed);
    sCommandLineLanguage = options.language;
    if (!options.rankingServer.empty()) {
        fSetRankingServer(options.rankingServer);
    }
    for (const SScreenshotRequest& shot : options.screenshots) {
        dx_AddScreenshot(shot.frame, shot.file);
    }
    for (const std::string& script : options.inputScripts) {
        std::string error;
        if (!dx_LoadInputScript(script, error)) {
            std::fprintf(stderr, "tavoni: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

// Finds the game data and prepares the player's folder; returns -1 to go on, or the exit status.
int fSetUpFolders(const char* argv0, const SLaunchOptions& options) {
    SFolderSearch search;
    std::error_code error;
    search.workingDirectory = std::filesystem::current_path(error).string();
    search.executable = fExecutablePath(argv0);
    search.dataDirOption = options.dataDir;
    search.dataDirEnv = fEnvironment("TAVONI_DATA_DIR");
    search.xdgDataHome = fEnvironment("XDG_DATA_HOME");
    search.home = fEnvironment("HOME");
    const SFolderResult found = fFindGameFolders(search);
    if (options.help) {
        std::fputs(kLaunchUsage, stdout);
        std::printf("the built-in ranking server: %s\n", kDefaultRankingServer);
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
    fSetLocaleFolder(fFindLocaleFolder(search.executable));
    if (!found.folders.user.empty()) {
        std::string logFolder = found.folders.user;
        logFolder.pop_back(); // the log adds its own separator
        fSetLogFolder(logFolder);
    }
    return -1;
}

// The player's settings, config.dat and the high score; false (and said why) for a config.dat that cannot
// be used.
bool fLoadPlayerFiles() {
    fRemoveReplayPlaceholders();
    fRemoveCutOffRecording();
    // A replay check writes nothing it was not asked for.
    fLoadRankingServerSetting(fUserPath(kRankingServerFile), !gLaunchReplay.fIsActive());
    fLoadSetting();
    // A damaged key file is set aside with a warning; the game's own keys are used.
    fSetKeyBindings(fLoadKeyBindings(fUserPath(kKeyBindingsFile)).value_or(SKeyBindings{}));
    try {
        const SConfig config = fLoadConfig();
        gConfigWindowed = config.windowed;
        gConfigSound = config.sound;
        gConfigNoPreAlloc = config.noPreAlloc;
    } catch (const SConfigError& e) {
        std::fprintf(stderr, "tavoni: %s\n", e.message.c_str());
        fWriteLog("config error: " + e.message, 0);
        return false;
    }
    fRegisterHighScoreInfo();
    const ELanguageSetting saved =
        fLoadLanguageSetting(fUserPath(kLanguageSettingsFile)).value_or(ELanguageSetting::Auto);
    // Without the catalog the game still plays, in Japanese; the warning says why.
    fStartLanguage(sCommandLineLanguage, saved);
    return true;
}

// Grows the heap once before play rather than during it.
void fPreallocateHeap() {
    if (gConfigNoPreAlloc) {
        return;
    }
    auto block = std::make_unique<char[]>(134217728);
    volatile char* touch = block.get();
    touch[0] = 0;
}

// Opens the window (or its stand-in) as the player left it; false (and said why) when the media layer
// cannot start.
bool fStartMediaLayer(const std::string& windowFile) {
    dx_SetWindowIconID(100);
    dx_SetMainWindowText(fGameTitle().c_str());
    dx_SetGraphMode(640, 480, 32, 60);
    // The first time, config.dat decides full screen and the media layer picks the largest whole multiple of
    // 640 x 480 that fits the desktop.
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
        return false;
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
    return true;
}

// The window comes back as the player left it next time.
void fRememberWindow(const std::string& windowFile) {
    SWindowSettings left;
    int fullScreen = 0;
    if (dx_GetWindowState(&left.width, &left.height, &fullScreen) != 0) {
        return;
    }
    left.fullScreen = fullScreen != 0;
    try {
        fSaveWindowSettings(windowFile, left);
    } catch (const std::exception& e) {
        fLogWarning(std::string("the window's size could not be remembered: ") + e.what());
    }
}

// Reads and applies the command line; returns -1 to go on, or the exit status to end with.
int fTakeOptions(int argc, char** argv) {
    SLaunchOptions options;
    SOptionError refusal;
    if (!fParseLaunchOptions(argc, argv, options, refusal)) {
        std::fprintf(stderr, "tavoni: %s\n%s", refusal.message.c_str(),
                     refusal.withUsage ? kLaunchUsage : "");
        return 2;
    }
    if (options.version) {
        // The ranking server records which version checked each entry.
        std::printf("tavoni %s\n", fGameVersion());
        return 0;
    }
    if (!fApplyOptions(options)) {
        return 2;
    }
    return fSetUpFolders(argc > 0 ? argv[0] : nullptr, options);
}

} // namespace

int main(int argc, char** argv) {
    const int startStatus = fTakeOptions(argc, argv);
    if (startStatus >= 0) {
        return startStatus;
    }
    std::printf("SCREEN_WIDTH=%f\n", 640.0);
    if (!fLoadPlayerFiles()) {
        return 2;
    }
    fPreallocateHeap();
    const std::string windowFile = fUserPath(kWindowSettingsFile);
    if (!fStartMediaLayer(windowFile)) {
        return 3;
    }
    const bool ranToItsEnd = fRunGame();
    fRememberWindow(windowFile);
    dx_DxLib_End();
    const int replayStatus = gLaunchReplay.fIsActive() ? gLaunchReplay.fReport() : 0;
    // A launcher or a script must be able to tell an error from a normal end.
    return ranToItsEnd ? replayStatus : 3;
}

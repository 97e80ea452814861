// The command line, read into one value before anything starts; Main applies it to the game's globals.
#pragma once

#include "base/Language.h"

#include <dx/DxLib.h>

#include <optional>
#include <string>
#include <vector>

extern const char* const kLaunchUsage;

struct SScreenshotRequest {
    int frame = 0;
    std::string file;
};

struct SLaunchOptions {
    bool help = false;
    // --version stops the reading: the version is printed and nothing else happens.
    bool version = false;
    std::string dataDir;
    // The last of --headless and --no-render decides; neither: a real window.
    std::optional<DxBackend> backend;
    bool noRender = false;
    bool noWait = false;
    bool traceStage = false;
    bool traceMenu = false;
    bool traceKeys = false;
    std::optional<int> frames;
    // Each is loaded in turn (a bad one is refused), the last one plays.
    std::vector<std::string> inputScripts;
    std::string replay;
    // --jump-to F1,F2,...: with --replay, the frames of play reached in turn by jumping.
    std::vector<int> jumpTo;
    // --watch FILE, or FILE alone: a packed replay watched in the window, then the title.
    std::string watch;
    std::optional<int> expectedScore;
    std::string resultScreenshot;
    std::optional<int> digestEvery;
    std::optional<int> seed;
    std::string rankingServer;
    std::optional<ELanguage> language;
    std::vector<SScreenshotRequest> screenshots;
};

// Why a command line was refused; with `withUsage` the usage text follows the message.
struct SOptionError {
    std::string message;
    bool withUsage = false;
};

// Reads argv[1] onward into `options`; false with `error` on the first option that cannot be used.
bool fParseLaunchOptions(int argc, const char* const* argv, SLaunchOptions& options, SOptionError& error);

#include "LaunchOptions.h"

#include "base/FieldText.h"
#include "net/RankingClient.h"

#include <climits>
#include <string_view>

const char* const kLaunchUsage =
    "usage: tavoni [options] [REPLAY FILE]\n"
    "  --headless               no window and no sound device; real pixels (offscreen)\n"
    "  --no-wait                run frames as fast as possible (no frame pacing)\n"
    "  --frames N               leave the game after N frames, as if the window were closed (a run past\n"
    "                           its time up is kept)\n"
    "  --input FILE             scripted input, one event a line ('#' starts a comment):\n"
    "                             <frame> down|up|tap <key>   a key goes down, up, or both\n"
    "                             <frame> text <chars>        typed characters\n"
    "                             <frame> focus out|in        the window loses or gets the focus\n"
    "                             <frame> pad attach [controller|joystick]   plug in a virtual pad\n"
    "                             <frame> pad detach          pull it out\n"
    "                             <frame> click X Y           the left mouse button at X, Y (640x480)\n"
    "                             <frame> close               the window's close button\n"
    "                             <frame> signal TERM|INT     the game gets that signal\n"
    "                           keys: A..Z, 0..9, Left Right Up Down Escape Return Space Backspace\n"
    "                           Alt Shift Home End PageUp PageDown Period Comma Minus Equals\n"
    "                           LeftBracket RightBracket, F1..F12, and the pad's Pad1..Pad16 PadLeft\n"
    "                           PadRight PadUp PadDown\n"
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
    "  --jump-to F1,F2,...      with --replay: reach each frame of play in turn by jumping to it (forward\n"
    "                           or back, from where the previous jump left) and print 'digest FRAME HEX'\n"
    "                           at each, instead of playing the replay through\n"
    "  --watch FILE, or FILE    watch the packed replay FILE in the window with the playback controls,\n"
    "                           then go on to the title\n"
    "  --expect-score S         with --replay: exit 1 unless the replay's final score is exactly S\n"
    "  --result-screenshot FILE.png\n"
    "                           with --replay: save the run's result screen as a 640 x 480 PNG (exit 1\n"
    "                           when the replay ends without one); the frames before it are not drawn\n"
    "  --digest-every N         print 'digest FRAME HEX' every N frames of play (where two builds part)\n"
    "  --seed N                 seed every new run with N instead of the clock (for tests)\n"
    "  --ranking-server [https://]HOST[:PORT]\n"
    "                           the online ranking's server, over verified TLS with https://\n"
    "                           (default: the environment variable TAVONI_RANKING_SERVER, else the\n"
    "                           player's dat/ranking_server.txt, else the built-in one, below)\n"
    "  --data-dir DIR           keep the player's files (saves, replays, settings, logs) in DIR\n"
    "                           (default: the environment variable TAVONI_DATA_DIR, else\n"
    "                           $XDG_DATA_HOME/tavoni, else ~/.local/share/tavoni; unused when run\n"
    "                           from a game folder, whose dat/ keeps them)\n"
    "  --language ja|en         the game's texts in Japanese or English (default: the language row of\n"
    "                           the key configuration, else the locale: Japanese for ja and C/POSIX)\n"
    "  --version                print the game's version and leave\n"
    "  --help                   this text, and where this run's files are\n"
    "environment: TAVONI_DATA_DIR and TAVONI_RANKING_SERVER as above; CURL_CA_BUNDLE, a file of\n"
    "certificates to trust for an https:// ranking server instead of the system's\n"
    "exit status: 0 a normal end; 1 a replay that does not reach --expect-score (or, with\n"
    "--result-screenshot, has no result screen); 2 a bad option, input script, config.dat or replay, no\n"
    "game data, or a player's folder that cannot be written; 3 the game ended on an error\n";

namespace {

struct SFlagOption {
    std::string_view name;
    bool SLaunchOptions::*field;
};

constexpr SFlagOption kFlagOptions[] = {
    {"--help", &SLaunchOptions::help},
    {"-h", &SLaunchOptions::help},
    {"--no-wait", &SLaunchOptions::noWait},
    {"--trace-stage", &SLaunchOptions::traceStage},
    {"--trace-menu", &SLaunchOptions::traceMenu},
    {"--trace-keys", &SLaunchOptions::traceKeys},
};

struct SNumberOption {
    std::string_view name;
    const char* what; // said when the value is missing
    int low;
    int high;
    std::optional<int> SLaunchOptions::*field;
};

constexpr SNumberOption kNumberOptions[] = {
    {"--frames", "a frame count", 0, INT_MAX, &SLaunchOptions::frames},
    {"--expect-score", "a score", 0, INT_MAX, &SLaunchOptions::expectedScore},
    {"--digest-every", "a number of frames", 1, INT_MAX, &SLaunchOptions::digestEvery},
    {"--seed", "a seed", 0, INT_MAX, &SLaunchOptions::seed},
};

// Every number option goes through here: the whole value is plain decimal digits (no sign, no spaces, no
// trailing letters) from `low` (0 or more) to `high`, else `error` names the option and the value.
std::optional<int> fOptionNumber(std::string_view option, std::string_view text, int low, int high,
                                 std::string& error) {
    int value = 0;
    if (fParseDecimalInt(text, value) && value >= low && value <= high) {
        return value;
    }
    std::string range;
    if (low > 0 || high < INT_MAX) {
        range = " from " + std::to_string(low);
    }
    if (high < INT_MAX) {
        range += " to " + std::to_string(high);
    }
    error = std::string(option) + " needs a whole number" + range + ", not \"" + std::string(text) + "\"";
    return std::nullopt;
}

// Walks the command line; each option takes its value from here.
class COptionReader {
public:
    COptionReader(int argc, const char* const* argv) : mArgc(argc), mArgv(argv) {}

    bool fAtEnd() const { return mNext >= mArgc; }
    std::string_view fOption() { return mArgv[mNext++]; }

    // The value after the option just read; false when the command line ends first.
    bool fValue(std::string_view option, const char* what, std::string& value) {
        if (fAtEnd()) {
            return fRefuse(std::string(option) + " needs " + what, true);
        }
        value = mArgv[mNext++];
        return true;
    }
    // The same, refusing an empty value.
    bool fNonEmptyValue(std::string_view option, const char* what, const char* whatWhenEmpty,
                        std::string& value) {
        if (!fValue(option, what, value)) {
            return false;
        }
        return !value.empty() || fRefuse(std::string(option) + " needs " + whatWhenEmpty, false);
    }
    bool fNumber(const SNumberOption& option, SLaunchOptions& options) {
        std::string text;
        if (!fValue(option.name, option.what, text)) {
            return false;
        }
        std::string message;
        options.*option.field = fOptionNumber(option.name, text, option.low, option.high, message);
        return (options.*option.field).has_value() || fRefuse(message, false);
    }
    bool fRefuse(std::string message, bool withUsage) {
        mError = {std::move(message), withUsage};
        return false;
    }
    const SOptionError& fError() const { return mError; }

private:
    int mArgc;
    const char* const* mArgv;
    int mNext = 1;
    SOptionError mError;
};

// N:FILE.png
bool fReadScreenshot(COptionReader& in, SLaunchOptions& options) {
    std::string shot;
    if (!in.fValue("--screenshot", "N:FILE.png", shot)) {
        return false;
    }
    const std::size_t colon = shot.find(':');
    std::string ignored;
    const std::optional<int> frame =
        colon == std::string::npos
            ? std::nullopt
            : fOptionNumber("--screenshot", shot.substr(0, colon), 0, INT_MAX, ignored);
    if (!frame || colon + 1 >= shot.size()) {
        return in.fRefuse("--screenshot needs N:FILE.png, not \"" + shot + "\"", false);
    }
    options.screenshots.push_back({*frame, shot.substr(colon + 1)});
    return true;
}

bool fReadRankingServer(COptionReader& in, SLaunchOptions& options) {
    if (!in.fValue("--ranking-server", "HOST[:PORT]", options.rankingServer)) {
        return false;
    }
    return fIsValidServerAddress(options.rankingServer) ||
           in.fRefuse("--ranking-server needs HOST[:PORT], not \"" + options.rankingServer + "\"", false);
}

// F1,F2,...: frames of play, each a whole number.
bool fReadJumps(COptionReader& in, SLaunchOptions& options) {
    std::string list;
    if (!in.fValue("--jump-to", "frames F1,F2,...", list)) {
        return false;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        const std::string item =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::string error;
        const std::optional<int> frame = fOptionNumber("--jump-to", item, 0, INT_MAX, error);
        if (!frame) {
            return in.fRefuse("--jump-to needs frames F1,F2,..., not \"" + list + "\"", false);
        }
        options.jumpTo.push_back(*frame);
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
}

bool fReadLanguage(COptionReader& in, SLaunchOptions& options) {
    std::string code;
    if (!in.fValue("--language", "ja or en", code)) {
        return false;
    }
    options.language = fParseLanguageCode(code);
    return options.language.has_value() ||
           in.fRefuse("--language needs ja or en, not \"" + code + "\"", false);
}

bool fReadInputScript(COptionReader& in, SLaunchOptions& options) {
    std::string file;
    if (!in.fValue("--input", "a file", file)) {
        return false;
    }
    options.inputScripts.push_back(file);
    return true;
}

// One option and its value; false when it is refused.
bool fReadOption(std::string_view arg, COptionReader& in, SLaunchOptions& options) {
    for (const SFlagOption& flag : kFlagOptions) {
        if (arg == flag.name) {
            options.*flag.field = true;
            return true;
        }
    }
    for (const SNumberOption& number : kNumberOptions) {
        if (arg == number.name) {
            return in.fNumber(number, options);
        }
    }
    if (arg == "--headless") {
        options.backend = DxBackend::Offscreen;
    } else if (arg == "--no-render") {
        options.backend = DxBackend::Null;
        options.noRender = true;
    } else if (arg == "--data-dir") {
        return in.fNonEmptyValue(arg, "a folder", "a folder", options.dataDir);
    } else if (arg == "--result-screenshot") {
        return in.fNonEmptyValue(arg, "FILE.png", "a file", options.resultScreenshot);
    } else if (arg == "--replay") {
        return in.fValue(arg, "a packed replay", options.replay);
    } else if (arg == "--jump-to") {
        return fReadJumps(in, options);
    } else if (arg == "--watch") {
        return in.fNonEmptyValue(arg, "a packed replay", "a file", options.watch);
    } else if (!arg.empty() && arg[0] != '-' && options.watch.empty()) {
        // A file given alone, as a file manager or a browser opens one.
        options.watch = std::string(arg);
    } else if (arg == "--input") {
        return fReadInputScript(in, options);
    } else if (arg == "--ranking-server") {
        return fReadRankingServer(in, options);
    } else if (arg == "--screenshot") {
        return fReadScreenshot(in, options);
    } else if (arg == "--language") {
        return fReadLanguage(in, options);
    } else {
        return in.fRefuse("unknown option \"" + std::string(arg) + "\"", true);
    }
    return true;
}

// The options that only make sense together.
bool fCheckCombinations(const SLaunchOptions& options, SOptionError& error) {
    const bool replay = !options.replay.empty();
    if (!options.jumpTo.empty() && !replay) {
        error = {"--jump-to goes with --replay", false};
        return false;
    }
    if (!options.watch.empty() && replay) {
        error = {"--watch (or a replay file) and --replay do not go together", false};
        return false;
    }
    if (options.expectedScore && !replay) {
        error = {"--expect-score goes with --replay", false};
        return false;
    }
    if (!options.resultScreenshot.empty() && (!replay || options.noRender)) {
        error = {"--result-screenshot goes with --replay, and not with --no-render", false};
        return false;
    }
    return true;
}

} // namespace

bool fParseLaunchOptions(int argc, const char* const* argv, SLaunchOptions& options, SOptionError& error) {
    COptionReader in(argc, argv);
    while (!in.fAtEnd()) {
        const std::string_view arg = in.fOption();
        if (arg == "--version") {
            options.version = true;
            return true;
        }
        if (!fReadOption(arg, in, options)) {
            error = in.fError();
            return false;
        }
    }
    return fCheckCombinations(options, error);
}

#include "CReplayChecker.h"

#include "PngFile.h"
#include "ServerLog.h"
#include "base/CArchiver.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <span>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kReplayName = "upload.replay";
constexpr const char* kOutputName = "check.out";
// A replay check writes only the two unpacked members (at most 64 MiB each) and logs.
constexpr std::uint64_t kFileSizeLimit = 160ull * 1024 * 1024;

constexpr const char* kPictureName = "result.png";
// The game's report is its last lines; what it printed before (up to the file size limit) is not read.
constexpr std::size_t kReportTailBytes = 64 * 1024;
// The game's answer to --version is one short line.
constexpr std::size_t kVersionLineBytes = 256;

std::string fReadTail(const fs::path& file, std::size_t bytes) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    const std::streamoff start = std::max<std::streamoff>(0, size - static_cast<std::streamoff>(bytes));
    in.seekg(start);
    std::string text(static_cast<std::size_t>(size - start), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return text;
}

std::string fReadHead(const fs::path& file, std::size_t bytes) {
    std::ifstream in(file, std::ios::binary);
    std::string text(bytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return text;
}

// "tavoni 1.0.3" gives "1.0.3": letters, digits and . - + ~, at most 32 of them; empty when it is not that.
std::string fParseVersion(const std::string& said) {
    const std::string prefix = "tavoni ";
    std::string version;
    if (said.starts_with(prefix)) {
        for (std::size_t i = prefix.size(); i < said.size() && version.size() < 32; ++i) {
            const char c = said[i];
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
                  c == '~')) {
                break;
            }
            version += c;
        }
    }
    return version;
}

// "digest 0123456789abcdef" in the game's report: the hexadecimal digits, or empty.
std::string fReportedDigest(const std::string& output) {
    const std::size_t at = output.rfind("\ndigest ");
    std::string digest;
    for (std::size_t i = at == std::string::npos ? output.size() : at + 8;
         i < output.size() && std::isxdigit(static_cast<unsigned char>(output[i])) && digest.size() < 64;
         ++i) {
        digest += output[i];
    }
    return digest;
}

std::string fLastLine(const std::string& output) {
    std::string text = output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    const std::size_t start = text.rfind('\n');
    return fLogSafe(start == std::string::npos ? text : text.substr(start + 1));
}

// Environment variables handed on to the game: the sanitizers' settings when the server has them.
std::vector<std::string> fChildEnvironment(const fs::path& folder) {
    std::vector<std::string> env{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin",
                                 "HOME=" + folder.string()};
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            env.push_back(std::string(name) + "=" + value);
        }
    }
    return env;
}

} // namespace

CReplayChecker::CReplayChecker(SCheckerOptions options) : mOptions(std::move(options)) {
    if (::access(mOptions.game.c_str(), X_OK) != 0) {
        throw std::runtime_error("the game " + mOptions.game.string() + " is not an executable file");
    }
    if (!fs::is_directory(mOptions.gameData / "dat")) {
        throw std::runtime_error("the game data folder " + mOptions.gameData.string() + " holds no dat/");
    }
    mOptions.parallelChecks = std::clamp(mOptions.parallelChecks, 1, 256);
    mOptions.timeLimitSeconds = std::max(mOptions.timeLimitSeconds, 1);
    mTurns = std::make_unique<std::counting_semaphore<256>>(mOptions.parallelChecks);
    // Scratch folders of a previous run are of no use any more.
    fs::remove_all(mOptions.scratchRoot);
    fs::create_directories(mOptions.scratchRoot);
    for (const fs::directory_entry& entry : fs::directory_iterator(mOptions.gameData / "dat")) {
        if (entry.is_directory() && entry.path().filename() != "replay") {
            mDataFolders.push_back(entry.path().filename().string());
        }
    }
    mSandbox = std::make_unique<CSandbox>(mOptions.sandbox, mOptions.game, mOptions.scratchRoot);
    fServerLog(mSandbox->fDescription());
    mVersion = fAskVersion();
}

std::string CReplayChecker::fAskVersion() const {
    // Asked of the binary that runs the checks, so each entry names the version that really checked it; a
    // few seconds at most and a check's limits: whatever the binary is, it cannot hold the server up.
    const fs::path folder = fNewScratch("version");
    std::string said;
    try {
        fs::create_directories(folder);
        SChildOptions child = fGameChild(folder, {"--version"});
        child.errors.clear(); // its warnings are not its answer
        child.timeLimit = std::min<std::chrono::milliseconds>(child.timeLimit, std::chrono::seconds(5));
        const SChildEnd end = CChildProcess(std::move(child)).fRun();
        fNoteStart(end);
        if (end.started && !end.timedOut && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0) {
            said = fReadHead(folder / kOutputName, kVersionLineBytes);
        }
    } catch (const std::exception& e) {
        fServerLog(std::string("check: ") + e.what());
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    const std::string version = fParseVersion(said);
    if (version.empty()) {
        fServerLog("check: " + fs::absolute(mOptions.game).string() +
                   " --version did not give a version; entries are recorded as unknown");
        return "unknown";
    }
    return version;
}

CReplayChecker::~CReplayChecker() = default;

namespace {
// A picture can wait; checks, which uploads wait for, come first when the processors are busy.
constexpr int kPaintNiceness = 10;
} // namespace

void CReplayChecker::fPrepareScratch(const fs::path& folder) const {
    // The game runs with its working directory holding dat/. Folders it only reads are shown read-only in
    // the sandbox (linked without one); files are copied, so nothing the game might write can reach the
    // real data; dat/replay/, where it unpacks the replay, is the check's own.
    const fs::path data = fs::absolute(mOptions.gameData);
    fs::create_directories(folder / "dat" / "replay");
    for (const std::string& name : mDataFolders) {
        if (mSandbox->fOn()) {
            fs::create_directory(folder / "dat" / name);
        } else {
            fs::create_directory_symlink(data / "dat" / name, folder / "dat" / name);
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(data / "dat")) {
        if (entry.is_regular_file()) {
            fs::copy_file(entry.path(), folder / "dat" / entry.path().filename());
        }
    }
    if (fs::exists(data / "collision.png")) {
        fs::copy_file(data / "collision.png", folder / "collision.png");
    }
}

SChildOptions CReplayChecker::fGameChild(const fs::path& folder, std::vector<std::string> gameArgs) const {
    SChildOptions child;
    child.args.push_back(fs::absolute(mOptions.game).string());
    child.args.insert(child.args.end(), gameArgs.begin(), gameArgs.end());
    child.environment = fChildEnvironment(folder);
    child.workFolder = folder;
    child.output = folder / kOutputName;
    child.errors = child.output;
    child.limits.cpuSeconds = static_cast<std::uint64_t>(mOptions.timeLimitSeconds) + 1;
    child.limits.memoryBytes = mOptions.memoryLimitBytes;
    child.limits.fileSizeBytes = kFileSizeLimit;
    child.timeLimit = std::chrono::seconds(mOptions.timeLimitSeconds);
    SSandboxView view;
    view.program = child.args.front();
    view.scratch = folder;
    for (const std::string& name : mDataFolders) {
        view.readOnly.emplace_back(fs::absolute(mOptions.gameData) / "dat" / name, fs::path("dat") / name);
    }
    mSandbox->fApply(child, view);
    return child;
}

SCheckResult CReplayChecker::fRunGame(const fs::path& folder, int score) const {
    const std::string scoreText = std::to_string(score);
    const SChildEnd end = CChildProcess(fGameChild(folder, {"--no-render", "--no-wait", "--replay",
                                                            kReplayName, "--expect-score", scoreText}))
                              .fRun();
    fNoteStart(end);
    if (!end.started) {
        return {false, "the check could not start", std::nullopt, {}};
    }
    const std::string output = fReadTail(folder / kOutputName, kReportTailBytes);
    const std::string said = fLastLine(output);
    if (end.timedOut) {
        return {false,
                "the replay took longer than " + std::to_string(mOptions.timeLimitSeconds) + " s to check",
                std::nullopt,
                {}};
    }
    const int status = end.status;
    if (WIFSIGNALED(status)) {
        return {false,
                "the game crashed on the replay (signal " + std::to_string(WTERMSIG(status)) + ")",
                std::nullopt,
                {}};
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    switch (code) {
    case 0:
        return {true, {}, fParseRunReport(output), fReportedDigest(output)};
    case 1:
        return {false,
                "the replay does not reach the score " + scoreText + (said.empty() ? "" : ": " + said),
                std::nullopt,
                {}};
    case 2:
        return {false, "the game refused the replay" + (said.empty() ? "" : ": " + said), std::nullopt, {}};
    case 3:
        return {false, "the game ended on an error" + (said.empty() ? "" : ": " + said), std::nullopt, {}};
    case 127:
        return {false, "the game could not be started", std::nullopt, {}};
    default:
        return {false, "the check failed with exit status " + std::to_string(code), std::nullopt, {}};
    }
}

void CReplayChecker::fNoteStart(const SChildEnd& end) const {
    // 126: the child could not set itself up (folder, files, limits); 127: the game could not be executed.
    const bool failed = !end.started || (WIFEXITED(end.status) &&
                                         (WEXITSTATUS(end.status) == 126 || WEXITSTATUS(end.status) == 127));
    if (failed && mOptions.metrics != nullptr) {
        mOptions.metrics->fSandboxFailed();
    }
}

fs::path CReplayChecker::fNewScratch(const char* kind) const {
    static std::atomic<unsigned> counter{0};
    return mOptions.scratchRoot /
           (std::string(kind) + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
}

std::string CReplayChecker::fWriteReplay(const fs::path& folder, const std::string& replay) const {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    const fs::path replayFile = folder / kReplayName;
    {
        std::ofstream out(replayFile, std::ios::binary | std::ios::trunc);
        out.write(replay.data(), static_cast<std::streamsize>(replay.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + replayFile.string());
        }
    }
    try {
        CArchiver::fCheckReplayListing(std::as_bytes(std::span(replay.data(), replay.size())), kReplayName);
    } catch (const std::exception& e) {
        return "not a replay: " + fLogSafe(e.what());
    }
    return {};
}

std::optional<std::string> CReplayChecker::fPaintResult(const std::string& replay, int score,
                                                        const std::atomic<bool>& cancel) {
    const fs::path folder = fNewScratch("paint");
    std::optional<std::string> picture;
    std::string why;
    try {
        why = fWriteReplay(folder, replay);
        if (why.empty()) {
            fPrepareScratch(folder);
            SChildOptions child =
                fGameChild(folder, {"--headless", "--no-wait", "--replay", kReplayName, "--expect-score",
                                    std::to_string(score), "--result-screenshot", kPictureName});
            child.cancel = &cancel;
            child.niceness = kPaintNiceness;
            const SChildEnd end = CChildProcess(std::move(child)).fRun();
            fNoteStart(end);
            if (!end.started || end.timedOut || end.cancelled || !WIFEXITED(end.status) ||
                WEXITSTATUS(end.status) != 0) {
                why = !end.started ? "the game could not start"
                      : end.timedOut
                          ? "it took longer than " + std::to_string(mOptions.timeLimitSeconds) + " s"
                      : end.cancelled ? "the server is stopping"
                                      : "the game ended with status " + std::to_string(end.status) + ": " +
                                            fLastLine(fReadTail(folder / kOutputName, kReportTailBytes));
            } else if (!fs::is_regular_file(folder / kPictureName)) {
                why = "the game saved no picture";
            } else {
                std::ifstream in(folder / kPictureName, std::ios::binary);
                std::string bytes(kMaxResultPictureBytes + 1, '\0');
                in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
                why = fCheckPng(bytes, 640, 480);
                if (why.empty()) {
                    picture = std::move(bytes);
                } else {
                    why = "the picture is " + why;
                }
            }
        }
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (!picture) {
        fServerLog("paint: no result picture: " + why);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return picture;
}

SCheckResult CReplayChecker::fCheck(const std::string& replay, int score) {
    const fs::path folder = fNewScratch("check");
    std::error_code ignored;
    SCheckResult result;
    try {
        const std::string refused = fWriteReplay(folder, replay);
        if (!refused.empty()) {
            fs::remove_all(folder, ignored);
            return {false, refused, std::nullopt, {}};
        }
        fPrepareScratch(folder);
        mTurns->acquire();
        try {
            result = fRunGame(folder, score);
        } catch (...) {
            mTurns->release();
            throw;
        }
        mTurns->release();
    } catch (const std::exception& e) {
        fServerLog(std::string("check: ") + e.what());
        result = {false, "the check could not run", std::nullopt, {}};
    }
    fs::remove_all(folder, ignored);
    return result;
}

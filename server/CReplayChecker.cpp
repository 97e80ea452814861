#include "CReplayChecker.h"

#include "PngFile.h"
#include "ServerLog.h"
#include "base/CArchiver.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kReplayName = "upload.replay";
constexpr const char* kOutputName = "check.out";
// A replay check writes only the two unpacked members (at most 64 MiB each) and logs.
constexpr rlim_t kFileSizeLimit = 160ull * 1024 * 1024;

constexpr const char* kPictureName = "result.png";
// The game's report is its last lines; what it printed before (up to the file size limit) is not read.
constexpr std::size_t kReportTailBytes = 64 * 1024;

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
    mVersion = fAskVersion();
}

std::string CReplayChecker::fAskVersion() const {
    // Asked of the binary that runs the checks, so each entry names the version that really checked it.
    const std::string game = fs::absolute(mOptions.game).string();
    std::vector<std::string> args{game, "--version"};
    std::vector<char*> argv{args[0].data(), args[1].data(), nullptr};
    std::vector<std::string> env = fChildEnvironment(mOptions.scratchRoot);
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return "unknown";
    }
    const pid_t server = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != server) {
            ::_exit(126);
        }
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDWR);
        ::dup2(in, 0);
        ::dup2(ends[1], 1);
        ::dup2(in, 2);
        ::syscall(SYS_close_range, 3u, ~0u, 0u);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(ends[1]);
    std::string said;
    if (pid > 0) {
        ::setpgid(pid, pid);
        // A few seconds at most, a line at most: whatever the binary is, it cannot hold the server up.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char buffer[256];
        while (said.size() < 256 && said.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd watch{ends[0], POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            const ssize_t n = ::read(ends[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            said.append(buffer, static_cast<std::size_t>(n));
        }
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(ends[0]);
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
    if (version.empty()) {
        fServerLog("check: " + game + " --version did not give a version; entries are recorded as unknown");
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
    // The game runs with its working directory holding dat/. Folders it only reads are linked; files are
    // copied, so nothing the game might write can reach the real data; dat/replay/, where it unpacks the
    // replay, is the check's own.
    const fs::path data = fs::absolute(mOptions.gameData);
    fs::create_directories(folder / "dat" / "replay");
    for (const fs::directory_entry& entry : fs::directory_iterator(data / "dat")) {
        const std::string name = entry.path().filename().string();
        if (name == "replay") {
            continue;
        }
        if (entry.is_directory()) {
            fs::create_directory_symlink(entry.path(), folder / "dat" / name);
        } else if (entry.is_regular_file()) {
            fs::copy_file(entry.path(), folder / "dat" / name);
        }
    }
    if (fs::exists(data / "collision.png")) {
        fs::copy_file(data / "collision.png", folder / "collision.png");
    }
}

CReplayChecker::SChildEnd CReplayChecker::fRunChild(const fs::path& folder, std::vector<std::string> args,
                                                    const std::atomic<bool>* cancel, int niceness) const {
    // Everything the child needs is made before fork: a threaded process may only call async-signal-safe
    // functions between fork and exec.
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env = fChildEnvironment(folder);
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    const std::string workDir = folder.string();
    const rlim_t memory = static_cast<rlim_t>(mOptions.memoryLimitBytes);
    const rlim_t cpuSeconds = static_cast<rlim_t>(mOptions.timeLimitSeconds) + 1;

    // The game dies with the server, even one killed with SIGKILL: the kernel kills it when the thread that
    // forked it ends, and this thread waits below until the game has ended. Had the server died already
    // before the request took effect, the game's parent is no longer this one.
    SChildEnd end;
    const pid_t server = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        return end;
    }
    if (pid == 0) {
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != server) {
            ::_exit(126);
        }
        ::setpgid(0, 0);
        if (::chdir(workDir.c_str()) != 0) {
            ::_exit(126);
        }
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(kOutputName, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0) {
            ::_exit(126);
        }
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::syscall(SYS_close_range, 3u, ~0u, 0u); // the server's sockets and files are not the game's
        const rlimit cpu{cpuSeconds, cpuSeconds};
        ::setrlimit(RLIMIT_CPU, &cpu);
        const rlimit fileSize{kFileSizeLimit, kFileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit core{0, 0};
        ::setrlimit(RLIMIT_CORE, &core);
        if (memory > 0) {
            const rlimit as{memory, memory};
            ::setrlimit(RLIMIT_AS, &as);
        }
        if (niceness > 0) {
            ::setpriority(PRIO_PROCESS, 0, niceness);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    end.started = true;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(mOptions.timeLimitSeconds);
    for (;;) {
        const pid_t done = ::waitpid(pid, &end.status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            end.started = false;
            return end;
        }
        end.timedOut = std::chrono::steady_clock::now() >= deadline;
        end.cancelled = cancel != nullptr && cancel->load();
        if (end.timedOut || end.cancelled) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &end.status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return end;
}

SCheckResult CReplayChecker::fRunGame(const fs::path& folder, int score) const {
    const std::string game = fs::absolute(mOptions.game).string();
    const std::string scoreText = std::to_string(score);
    const SChildEnd end = fRunChild(
        folder, {game, "--no-render", "--no-wait", "--replay", kReplayName, "--expect-score", scoreText},
        nullptr);
    if (!end.started) {
        return {false, "the check could not start", std::nullopt};
    }
    const std::string output = fReadTail(folder / kOutputName, kReportTailBytes);
    const std::string said = fLastLine(output);
    if (end.timedOut) {
        return {false,
                "the replay took longer than " + std::to_string(mOptions.timeLimitSeconds) + " s to check",
                std::nullopt};
    }
    const int status = end.status;
    if (WIFSIGNALED(status)) {
        return {false, "the game crashed on the replay (signal " + std::to_string(WTERMSIG(status)) + ")",
                std::nullopt};
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    switch (code) {
    case 0:
        return {true, {}, fParseRunReport(output)};
    case 1:
        return {false, "the replay does not reach the score " + scoreText + (said.empty() ? "" : ": " + said),
                std::nullopt};
    case 2:
        return {false, "the game refused the replay" + (said.empty() ? "" : ": " + said), std::nullopt};
    case 3:
        return {false, "the game ended on an error" + (said.empty() ? "" : ": " + said), std::nullopt};
    case 127:
        return {false, "the game could not be started", std::nullopt};
    default:
        return {false, "the check failed with exit status " + std::to_string(code), std::nullopt};
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
        CArchiver::fCheckReplay(replayFile.string());
    } catch (const std::exception& e) {
        // The scratch folder's path says nothing to the uploader.
        std::string why = e.what();
        const std::string path = replayFile.string();
        for (std::size_t at = why.find(path); at != std::string::npos; at = why.find(path)) {
            why.replace(at, path.size(), kReplayName);
        }
        return "not a replay: " + fLogSafe(why);
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
            const std::string game = fs::absolute(mOptions.game).string();
            const SChildEnd end =
                fRunChild(folder,
                          {game, "--headless", "--no-wait", "--replay", kReplayName, "--expect-score",
                           std::to_string(score), "--result-screenshot", kPictureName},
                          &cancel, kPaintNiceness);
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
            return {false, refused, std::nullopt};
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
        result = {false, "the check could not run", std::nullopt};
    }
    fs::remove_all(folder, ignored);
    return result;
}

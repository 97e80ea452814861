#include "GameRunner.h"

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::atomic<int> gFolderCounter{0};

std::string fSlurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

CGameFolder::CGameFolder(bool withData) {
    mPath = fs::temp_directory_path() /
            ("tavoni_game_" + std::to_string(::getpid()) + "_" + std::to_string(gFolderCounter++));
    fs::remove_all(mPath);
    fs::create_directories(mPath);
    if (withData) {
        const fs::path src = TAVONI_SOURCE_DIR;
        fs::copy(src / "dat", mPath / "dat", fs::copy_options::recursive);
        if (fs::exists(src / "collision.png")) {
            fs::copy_file(src / "collision.png", mPath / "collision.png");
        }
        if (fs::exists(src / "downloaded_replay")) {
            fs::copy(src / "downloaded_replay", mPath / "downloaded_replay", fs::copy_options::recursive);
        }
    }
}

CGameFolder::~CGameFolder() {
    std::error_code ec;
    if (std::getenv("TAVONI_KEEP_GAME_FOLDERS") == nullptr) {
        fs::remove_all(mPath, ec);
    }
}

void CGameFolder::fWrite(const std::string& rel, const std::string& text) const {
    fs::create_directories((mPath / rel).parent_path());
    std::ofstream(mPath / rel, std::ios::binary) << text;
}

std::string CGameFolder::fRead(const std::string& rel) const {
    return fSlurp(mPath / rel);
}

bool CGameFolder::fExists(const std::string& rel) const {
    return fs::exists(mPath / rel);
}

std::vector<std::string> CGameFolder::fFilesWithExtension(const std::string& ext) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(mPath)) {
        if (e.path().extension() == ext) {
            names.push_back(e.path().filename().string());
        }
    }
    return names;
}

SGameResult fRunProgram(const std::string& program, const std::vector<std::string>& args,
                        const fs::path& folder, const std::vector<std::string>& env) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    static std::atomic<unsigned> runs{0};
    const fs::path capture = fs::temp_directory_path() /
                             ("tavoni_run_" + std::to_string(::getpid()) + "_" + std::to_string(runs++));
    fs::create_directories(capture);
    const fs::path outFile = capture / "stdout";
    const fs::path errFile = capture / "stderr";
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The game speaks the tester's language unless a test names one: its texts are checked in Japanese.
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            ::unsetenv(name);
        }
        ::setenv("LANG", "C.UTF-8", 1);
        for (const std::string& e : env) {
            const size_t eq = e.find('=');
            if (eq == std::string::npos) {
                ::unsetenv(e.c_str());
            } else {
                ::setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
            }
        }
        std::vector<char*> argv;
        for (const std::string& a : all) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    SGameResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = fSlurp(outFile);
    r.err = fSlurp(errFile);
    fs::remove_all(capture);
    return r;
}

SGameResult CGameFolder::fRun(const std::vector<std::string>& args, bool headless) const {
    std::vector<std::string> all;
    if (headless) {
        all.push_back("--headless");
        all.push_back("--no-wait");
    }
    all.insert(all.end(), args.begin(), args.end());
    return fRunProgram(TAVONI_BINARY, all, mPath,
                       {"HOME=" + (mPath / ".home").string(), "XDG_DATA_HOME", "TAVONI_DATA_DIR"});
}

SGameResult CGameFolder::fRunWithInput(const std::string& script,
                                       const std::vector<std::string>& args) const {
    fWrite("input.txt", script);
    std::vector<std::string> all{"--input", "input.txt"};
    all.insert(all.end(), args.begin(), args.end());
    return fRun(all);
}

std::pair<int, int> fPngSize(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char h[24] = {};
    if (!in.read(reinterpret_cast<char*>(h), 24) || h[1] != 'P' || h[2] != 'N' || h[3] != 'G') {
        return {-1, -1};
    }
    auto be = [&](int o) { return (h[o] << 24) | (h[o + 1] << 16) | (h[o + 2] << 8) | h[o + 3]; };
    return {be(16), be(20)};
}

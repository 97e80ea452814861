// A stand-in for the game as a hostile replay could turn it: run by the ranking server where the game checks
// an upload, it tries every way out of its sandbox that the tests know of, and says on its last line which
// worked: "escaped: none", or their names. It exits 2 (a refused replay) then, so the uploader's answer
// carries that line. A replay without targets it accepts as any score, so that a test can store an entry.
//
// The targets come in the replay's key record, one "name=value" a line: database, replay (another entry's
// stored file), data (the game data folder), server (the server's data folder), pid (the server's process),
// port (its HTTP port) and secret (a value the server has in its environment, which the game must not).
// With "die=" it dies of a signal instead.
#include "base/CArchiver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Targets = std::map<std::string, std::string>;

Targets fReadTargets(const std::string& replay) {
    CArchiver::fExtract(replay, "");
    std::ifstream in(kReplayKeyPath, std::ios::binary);
    std::istringstream text(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    Targets targets;
    for (std::string line; std::getline(text, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && line.find('\0') == std::string::npos) {
            targets[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return targets;
}

// What the file holds (at most 64 KiB); nullopt-like empty with `opened` false when it cannot be read.
std::string fRead(const std::string& path, bool& opened) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    opened = fd >= 0;
    std::string bytes;
    if (fd >= 0) {
        char buffer[65536];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        bytes.assign(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
        ::close(fd);
    }
    return bytes;
}

bool fCanRead(const std::string& path) {
    bool opened = false;
    return !fRead(path, opened).empty();
}

// Makes a file; removes it again when that worked, and says so.
bool fCanWrite(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(path.c_str());
    return true;
}

bool fCanConnect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0;
    ::close(fd);
    return connected;
}

bool fCanRunShell() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", "exit 7", static_cast<char*>(nullptr));
        ::_exit(99);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 7;
}

// A process of a session of its own, its parent gone: whether it outlives the check, the test sees.
void fLeaveProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        if (::fork() == 0) {
            for (int i = 0; i < 60; ++i) {
                ::sleep(1);
            }
        }
        ::_exit(0);
    }
    if (pid > 0) {
        ::waitpid(pid, nullptr, 0);
    }
}

std::vector<std::string> fTryEverything(const Targets& t) {
    const std::string secret = t.count("secret") != 0 ? t.at("secret") : "";
    const std::string pid = t.count("pid") != 0 ? t.at("pid") : "0";
    const char* own = std::getenv("TAVONI_TEST_SECRET");
    const struct {
        const char* name;
        bool escaped;
    } attempts[] = {
        {"read-database", fCanRead(t.at("database"))},
        {"read-other-replay", fCanRead(t.at("replay"))},
        {"write-game-data", fCanWrite(t.at("data") + "/dat/planted")},
        {"write-game-data-through-scratch", fCanWrite("dat/image/planted")},
        {"write-beside-scratch", fCanWrite("../planted")},
        {"write-server-data", fCanWrite(t.at("server") + "/planted")},
        {"write-tmp", fCanWrite("/tmp/tavoni-escape-planted")},
        {"read-server-environ", fCanRead("/proc/" + pid + "/environ")},
        {"read-server-cmdline", fCanRead("/proc/" + pid + "/cmdline")},
        {"read-server-files", fCanRead("/proc/" + pid + "/root" + t.at("database"))},
        {"inherit-environment", own != nullptr && secret == own},
        {"tcp-to-server", fCanConnect(std::atoi(t.at("port").c_str()))},
        {"exec-shell", fCanRunShell()},
    };
    std::vector<std::string> escaped;
    for (const auto& attempt : attempts) {
        if (attempt.escaped) {
            escaped.push_back(attempt.name);
        }
    }
    fLeaveProcess();
    return escaped;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--version") {
        std::puts("tavoni 0.0.0-escaping");
        return 0;
    }
    std::string replay;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--replay") {
            replay = args[i + 1];
        }
    }
    try {
        const Targets targets = fReadTargets(replay);
        if (targets.count("die") != 0) {
            ::raise(SIGKILL); // as a crash ends it, in every build (the sanitizers catch SIGSEGV)
        }
        if (targets.count("database") == 0) {
            std::puts("replay upload.replay: 10 frames, score 10, 1 ms (10000 frames/s)");
            return 0;
        }
        std::string line = "escaped:";
        for (const std::string& name : fTryEverything(targets)) {
            line += " " + name;
        }
        std::printf("%s\n", line == "escaped:" ? "escaped: none" : line.c_str());
    } catch (const std::exception& e) {
        std::printf("stand-in failed: %s\n", e.what());
    }
    return 2;
}

// Runs another program (the game) as a child of the server: the one place where the server starts one, so
// that every child gets the same fences. The child dies with the server, holds none of the server's
// descriptors, reads nothing (stdin is /dev/null), writes its output where it is told, has only the
// environment it is given, runs in a process group of its own under resource limits and a wall-clock
// limit, and is killed with its whole group when its time is up or it is cancelled. No shell is involved.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct SChildLimits {
    std::uint64_t cpuSeconds = 0;    // processor time; 0: none
    std::uint64_t memoryBytes = 0;   // address space; 0: none (the sanitizers' shadow memory needs that)
    std::uint64_t fileSizeBytes = 0; // largest file it may write; 0: none
};

struct SChildOptions {
    std::vector<std::string> args;        // args[0]: the program, an absolute path (no PATH search)
    std::vector<std::string> environment; // all of it: nothing of the server's is handed on
    std::filesystem::path workFolder;     // its working directory
    // Files made or emptied (0600) for its standard output and error, the same one for both if so given;
    // empty: /dev/null.
    std::filesystem::path output;
    std::filesystem::path errors;
    SChildLimits limits;
    int niceness = 0; // above 0 gives the processors to other work first
    std::chrono::milliseconds timeLimit{30000};
    const std::atomic<bool>* cancel = nullptr; // when set, the child is stopped early
};

struct SChildEnd {
    bool started = false;
    bool timedOut = false;
    bool cancelled = false;
    int status = 0; // as waitpid gives it
};

class CChildProcess {
public:
    explicit CChildProcess(SChildOptions options);
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts the child and waits until it ends, its time is up or it is cancelled; the child's whole
    // process group is killed then and the child reaped, so nothing it started outlives the call. The
    // calling thread must stay until it returns: the child's parent-death signal is tied to that thread.
    SChildEnd fRun();

private:
    [[noreturn]] void fBecomeChild(pid_t server) const;
    SChildEnd fAwait(pid_t pid) const;

    SChildOptions mOptions;
    // Made before fork: between fork and exec a threaded process may only call async-signal-safe functions.
    std::vector<char*> mArgv;
    std::vector<char*> mEnvp;
    std::string mWorkFolder;
    std::string mOutput;
    std::string mErrors;
};

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
#include <linux/filter.h>
#include <string>
#include <vector>

struct SChildLimits {
    std::uint64_t cpuSeconds = 0;    // processor time; 0: none
    std::uint64_t memoryBytes = 0;   // address space; 0: none (the sanitizers' shadow memory needs that)
    std::uint64_t fileSizeBytes = 0; // largest file it may write; 0: none
    std::uint64_t tasks = 0;         // processes and threads of its user (RLIMIT_NPROC); 0: none
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
    // The sandbox's part (CSandbox::fApply): the child may gain no privileges (no_new_privs); a seccomp
    // program (struct sock_filter records) the child loads before exec, or, with filterOnDescriptor3, hands
    // to the program on descriptor 3 (bubblewrap's --seccomp 3); and the program reports its own child's
    // death by signal N as exit status 128 + N, as bubblewrap does, which is read back as that signal.
    bool noNewPrivileges = false;
    std::string seccompFilter;
    bool filterOnDescriptor3 = false;
    bool signalAsExitStatus = false;
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
    [[noreturn]] void fBecomeChild(pid_t server, int filterFile) const;
    void fFence() const;
    SChildEnd fAwait(pid_t pid) const;

    SChildOptions mOptions;
    // Made before fork: between fork and exec a threaded process may only call async-signal-safe functions.
    std::vector<char*> mArgv;
    std::vector<char*> mEnvp;
    std::string mWorkFolder;
    std::string mOutput;
    std::string mErrors;
    sock_fprog mProgram{}; // the seccomp filter the child loads itself
};

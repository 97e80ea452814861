#include "CChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void fLimit(int resource, std::uint64_t value) {
    const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
    ::setrlimit(resource, &limit);
}

void fKillGroupAndReap(pid_t pid, int& status) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL); // in case the child had not made its group yet
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

CChildProcess::CChildProcess(SChildOptions options) : mOptions(std::move(options)) {
    for (std::string& a : mOptions.args) {
        mArgv.push_back(a.data());
    }
    mArgv.push_back(nullptr);
    for (std::string& e : mOptions.environment) {
        mEnvp.push_back(e.data());
    }
    mEnvp.push_back(nullptr);
    mWorkFolder = mOptions.workFolder.string();
    const auto file = [](const std::filesystem::path& path) {
        return path.empty() ? std::string("/dev/null") : std::filesystem::absolute(path).string();
    };
    mOutput = file(mOptions.output);
    mErrors = file(mOptions.errors);
    mProgram.len = static_cast<unsigned short>(mOptions.seccompFilter.size() / sizeof(sock_filter));
    mProgram.filter = reinterpret_cast<sock_filter*>(mOptions.seccompFilter.data());
}

SChildEnd CChildProcess::fRun() {
    SChildEnd end;
    if (mOptions.args.empty()) {
        return end;
    }
    // The child dies with the server, even one killed with SIGKILL: the kernel kills it when the thread that
    // forked it ends, and this thread waits below until the child has ended. Had the server died already
    // before the request took effect, the child's parent is no longer this one.
    const pid_t server = ::getpid();
    // The filter handed to the child on a descriptor; close-on-exec, so no other child forked meanwhile
    // keeps it.
    int filterFile = -1;
    if (mOptions.filterOnDescriptor3 && !mOptions.seccompFilter.empty()) {
        filterFile = ::memfd_create("tavoni-seccomp", MFD_CLOEXEC);
        const std::string& filter = mOptions.seccompFilter;
        if (filterFile < 0 ||
            ::write(filterFile, filter.data(), filter.size()) != static_cast<ssize_t>(filter.size()) ||
            ::lseek(filterFile, 0, SEEK_SET) != 0) {
            if (filterFile >= 0) {
                ::close(filterFile);
            }
            return end;
        }
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        fBecomeChild(server, filterFile);
    }
    if (filterFile >= 0) {
        ::close(filterFile);
    }
    if (pid < 0) {
        return end;
    }
    ::setpgid(pid, pid); // as the child does, so the group is there whichever of the two runs first
    return fAwait(pid);
}

void CChildProcess::fBecomeChild(pid_t server, int filterFile) const {
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != server) {
        ::_exit(126);
    }
    ::setpgid(0, 0);
    // The server blocks its stop signals and ignores SIGPIPE; the child starts as any new process does.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    if (::chdir(mWorkFolder.c_str()) != 0) {
        ::_exit(126);
    }
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(mOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = mErrors == mOutput ? out : ::open(mErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
        ::_exit(126);
    }
    if (filterFile >= 0) {
        // dup2 onto itself would keep close-on-exec.
        if ((filterFile == 3 ? ::fcntl(3, F_SETFD, 0) : ::dup2(filterFile, 3)) < 0) {
            ::_exit(126);
        }
    }
    // The server's sockets and files are not the child's.
    ::syscall(SYS_close_range, filterFile >= 0 ? 4u : 3u, ~0u, 0u);
    const SChildLimits& limits = mOptions.limits;
    if (limits.cpuSeconds > 0) {
        fLimit(RLIMIT_CPU, limits.cpuSeconds);
    }
    if (limits.memoryBytes > 0) {
        fLimit(RLIMIT_AS, limits.memoryBytes);
    }
    if (limits.fileSizeBytes > 0) {
        fLimit(RLIMIT_FSIZE, limits.fileSizeBytes);
    }
    fLimit(RLIMIT_CORE, 0);
    if (mOptions.niceness > 0) {
        ::setpriority(PRIO_PROCESS, 0, mOptions.niceness);
    }
    fFence();
    ::execve(mArgv[0], mArgv.data(), mEnvp.data());
    ::_exit(127);
}

void CChildProcess::fFence() const {
    if (mOptions.limits.tasks > 0) {
        fLimit(RLIMIT_NPROC, mOptions.limits.tasks);
    }
    if ((mOptions.noNewPrivileges || !mOptions.seccompFilter.empty()) &&
        ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        ::_exit(126);
    }
    // Last, just before exec: from here on the child's calls pass the filter.
    if (!mOptions.seccompFilter.empty() && !mOptions.filterOnDescriptor3 &&
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &mProgram) != 0) {
        ::_exit(126);
    }
}

SChildEnd CChildProcess::fAwait(pid_t pid) const {
    SChildEnd end;
    end.started = true;
    const auto deadline = std::chrono::steady_clock::now() + mOptions.timeLimit;
    for (;;) {
        // Seen ended but not reaped yet: while the child is a zombie its process id, and with it the group's,
        // cannot be taken by another process, so the group kill below reaches only what the child started.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0 &&
            errno != EINTR) {
            end.started = false; // not this thread's child any more: nothing of it is known
            return end;
        }
        if (info.si_pid == pid) {
            break;
        }
        end.timedOut = std::chrono::steady_clock::now() >= deadline;
        end.cancelled = mOptions.cancel != nullptr && mOptions.cancel->load();
        if (end.timedOut || end.cancelled) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    fKillGroupAndReap(pid, end.status);
    if (mOptions.signalAsExitStatus && WIFEXITED(end.status) && WEXITSTATUS(end.status) > 128 &&
        WEXITSTATUS(end.status) < 128 + 65) {
        end.status = WEXITSTATUS(end.status) - 128; // as waitpid tells a death by that signal
    }
    return end;
}

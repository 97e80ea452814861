#include "CSandbox.h"

#include "SeccompFilter.h"
#include "ServerLog.h"

#include <algorithm>
#include <fstream>
#include <seccomp.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kBubblewrap = "/usr/bin/bwrap";
// The identity the game has inside: nobody, in a user namespace of its own.
constexpr const char* kInsideId = "65534";

// Read-only besides the libraries when present: the dynamic loader's cache (for libraries loaded later)
// and the fonts the result picture is drawn with, with fontconfig's settings and cache.
const char* const kSystemFiles[] = {"/etc/ld.so.cache", "/etc/fonts", "/usr/share/fonts",
                                    "/usr/share/fontconfig", "/var/cache/fontconfig"};

std::string fReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Processes and threads of this process's user, all of them, as the kernel counts them against a process
// limit when the server does not run as root.
std::uint64_t fTasksOfThisUser() {
    const std::string uid = std::to_string(::getuid());
    std::uint64_t tasks = 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        std::istringstream status(fReadAll(entry.path() / "status"));
        bool mine = false;
        for (std::string line; std::getline(status, line);) {
            std::istringstream words(line);
            std::string key, value;
            words >> key >> value;
            if (key == "Uid:") {
                mine = value == uid;
            } else if (key == "Threads:" && mine) {
                tasks += std::strtoull(value.c_str(), nullptr, 10);
            }
        }
    }
    return tasks;
}

} // namespace

bool fParseSandboxMode(std::string_view text, ESandboxMode& mode) {
    if (text == "require") {
        mode = ESandboxMode::Require;
    } else if (text == "auto") {
        mode = ESandboxMode::Auto;
    } else if (text == "off") {
        mode = ESandboxMode::Off;
    } else {
        return false;
    }
    return true;
}

std::string fScratchInside(const std::vector<fs::path>& shown) {
    for (int n = 0;; ++n) {
        const std::string inside = n == 0 ? "/check" : "/check-" + std::to_string(n);
        const bool taken = std::any_of(shown.begin(), shown.end(), [&inside](const fs::path& path) {
            const std::string text = path.lexically_normal().string();
            return text == inside || text.starts_with(inside + "/");
        });
        if (!taken) {
            return inside;
        }
    }
}

CSandbox::CSandbox(ESandboxMode mode, const fs::path& program, const fs::path& work) : mMode(mode) {
    if (mode == ESandboxMode::Off) {
        return;
    }
    std::string why;
    mFilter = fBuildSeccompFilter(why);
    if (mFilter.empty()) {
        mMissing.push_back("seccomp filter (" + why + ")");
    }
    fs::create_directories(work);
    // The fullest sandbox that starts here: with the filter and a user namespace of its own first; as root,
    // whose capabilities bubblewrap drops, it may go without the namespace.
    struct SLayers {
        bool filter;
        bool user;
    };
    const SLayers tries[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    std::string whyNot; // why the fullest did not start
    for (const SLayers& layers : tries) {
        std::string why2;
        if (mBubblewrap || (layers.filter && mFilter.empty()) ||
            !fProbe(layers.user, layers.filter, work, whyNot.empty() ? whyNot : why2)) {
            continue;
        }
        mBubblewrap = true;
        mUserNamespace = layers.user;
        if (!layers.filter && !mFilter.empty()) {
            mMissing.push_back("seccomp filter in bubblewrap (" + whyNot + ")");
            mFilter.clear();
        }
    }
    if (!mBubblewrap) {
        mMissing.push_back("bubblewrap namespaces (" + whyNot + ")");
    } else if (!mUserNamespace) {
        mMissing.push_back("user namespace (" + whyNot + ")");
    }
    if (!mUserNamespace && ::geteuid() == 0) {
        mMissing.push_back(
            "process limit (the kernel does not count root's processes outside a user namespace)");
    }
    if (mBubblewrap) {
        fFindLibraryFolders(program, work);
    }
    if (mode == ESandboxMode::Require && !mMissing.empty()) {
        std::string missing;
        for (const std::string& layer : mMissing) {
            missing += (missing.empty() ? "" : "; ") + layer;
        }
        throw std::runtime_error("--sandbox require: not offered here: " + missing);
    }
}

std::vector<std::string> CSandbox::fBubblewrapArgs(bool userNamespace, bool filter) const {
    std::vector<std::string> args{kBubblewrap,     "--unshare-all", "--die-with-parent",
                                  "--new-session", "--cap-drop",    "ALL"};
    if (userNamespace) {
        args.insert(args.end(), {"--unshare-user", "--uid", kInsideId, "--gid", kInsideId});
    }
    // The filter refuses new namespaces; without it, bubblewrap refuses new user namespaces at least. (It
    // does that by making one more, which the filter, loaded first, would not let it do.)
    if (filter) {
        args.insert(args.end(), {"--seccomp", "3"});
    } else if (userNamespace) {
        args.push_back("--disable-userns");
    }
    return args;
}

bool CSandbox::fProbe(bool userNamespace, bool filter, const fs::path& work, std::string& why) const {
    if (::access(kBubblewrap, X_OK) != 0) {
        why = std::string(kBubblewrap) + " is not installed (Debian package bubblewrap)";
        return false;
    }
    // bubblewrap itself, with the whole system read-only, tells its version from inside.
    SChildOptions child;
    child.args = fBubblewrapArgs(userNamespace, filter);
    child.args.insert(child.args.end(), {"--ro-bind", "/", "/", "--proc", "/proc", "--dev", "/dev", "--",
                                         kBubblewrap, "--version"});
    child.environment = {"PATH=/usr/bin:/bin"};
    child.workFolder = work;
    child.output = work / "sandbox-probe.out";
    child.errors = child.output;
    child.seccompFilter = filter ? mFilter : std::string();
    child.filterOnDescriptor3 = true;
    child.noNewPrivileges = true;
    child.timeLimit = std::chrono::seconds(10);
    const SChildEnd end = CChildProcess(std::move(child)).fRun();
    const std::string said = fReadAll(work / "sandbox-probe.out");
    std::error_code ignored;
    fs::remove(work / "sandbox-probe.out", ignored);
    if (end.started && !end.timedOut && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0 &&
        said.starts_with("bubblewrap")) {
        return true;
    }
    std::string line = said.substr(0, said.find('\n'));
    why = line.empty() ? "bubblewrap did not start" : fLogSafe(line, 200);
    return false;
}

void CSandbox::fFindLibraryFolders(const fs::path& program, const fs::path& work) {
    // The dynamic loader names the program's libraries instead of running it.
    SChildOptions child;
    child.args = {program.string()};
    child.environment = {"LD_TRACE_LOADED_OBJECTS=1"};
    child.workFolder = work;
    child.output = work / "sandbox-libraries.out";
    child.timeLimit = std::chrono::seconds(10);
    CChildProcess(std::move(child)).fRun();
    std::istringstream said(fReadAll(work / "sandbox-libraries.out"));
    std::error_code ignored;
    fs::remove(work / "sandbox-libraries.out", ignored);
    // "\tlibz.so.1 => /lib/x86_64-linux-gnu/libz.so.1 (0x...)" and "\t/lib64/ld-linux-x86-64.so.2 (0x...)"
    for (std::string line; std::getline(said, line);) {
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (!word.starts_with("/")) {
                continue;
            }
            for (const fs::path& folder : {fs::path(word).parent_path(),
                                           fs::weakly_canonical(fs::path(word), ignored).parent_path()}) {
                if (!folder.empty() && folder != "/" && fs::is_directory(folder) &&
                    std::find(mLibraryFolders.begin(), mLibraryFolders.end(), folder) ==
                        mLibraryFolders.end()) {
                    mLibraryFolders.push_back(folder);
                }
            }
            break;
        }
    }
    // A folder inside another is shown with it (pulseaudio/ in the multiarch folder).
    std::vector<fs::path> outermost;
    for (const fs::path& folder : mLibraryFolders) {
        const bool inside =
            std::any_of(mLibraryFolders.begin(), mLibraryFolders.end(), [&folder](const fs::path& other) {
                return folder.string().starts_with(other.string() + "/");
            });
        if (!inside) {
            outermost.push_back(folder);
        }
    }
    mLibraryFolders = std::move(outermost);
}

std::string CSandbox::fDescription() const {
    if (mMode == ESandboxMode::Off) {
        return "sandbox off: the game runs with the server's rights (--sandbox off)";
    }
    std::string text = "sandbox:";
    if (mBubblewrap) {
        text += std::string(" bubblewrap (own mount, PID, network, IPC, UTS, cgroup") +
                (mUserNamespace ? " and user namespaces, as nobody" : " namespaces") +
                ", no capabilities; sees its scratch folder, the game, " +
                std::to_string(mLibraryFolders.size()) + " library folders, the fonts and the game data);";
    }
    if (!mFilter.empty()) {
        text += " seccomp filter (libseccomp " + std::to_string(seccomp_version()->major) + "." +
                std::to_string(seccomp_version()->minor) +
                "): no network sockets, no mounts, namespaces, "
                "keyrings, BPF or io_uring;";
    }
    text += " no_new_privs; limits of " + std::to_string(kTasks) + " processes, CPU time, memory, file size";
    for (const std::string& layer : mMissing) {
        text += "; not offered here: " + layer;
    }
    return text;
}

void CSandbox::fApply(SChildOptions& child, const SSandboxView& view) const {
    if (!mBubblewrap) {
        if (mMode != ESandboxMode::Off) {
            child.noNewPrivileges = true;
            child.seccompFilter = mFilter; // loaded by the child itself when bubblewrap is not there
        }
        return;
    }
    std::vector<std::string> args = fBubblewrapArgs(mUserNamespace, !mFilter.empty());
    const auto readOnly = [&args](const std::string& from, const std::string& to) {
        args.insert(args.end(), {"--ro-bind", from, to});
    };
    for (const fs::path& folder : mLibraryFolders) {
        readOnly(folder.string(), folder.string());
    }
    for (const char* file : kSystemFiles) {
        args.insert(args.end(), {"--ro-bind-try", file, file});
    }
    const std::string program = fs::absolute(view.program).string();
    readOnly(program, program);
    std::vector<fs::path> shown = mLibraryFolders;
    shown.insert(shown.end(), std::begin(kSystemFiles), std::end(kSystemFiles));
    shown.push_back(program);
    const std::string scratch = fScratchInside(shown);
    args.insert(args.end(),
                {"--proc", "/proc", "--dev", "/dev", "--bind", fs::absolute(view.scratch).string(), scratch});
    for (const auto& [from, inside] : view.readOnly) {
        readOnly(fs::absolute(from).string(), (fs::path(scratch) / inside).string());
    }
    // Nothing but the scratch folder (and the sandbox's own /dev/shm) can be written.
    args.insert(args.end(), {"--chdir", scratch, "--remount-ro", "/", "--"});
    args.insert(args.end(), child.args.begin(), child.args.end());
    child.args = std::move(args);
    for (std::string& variable : child.environment) {
        if (variable.starts_with("HOME=")) {
            variable = "HOME=" + scratch;
        }
    }
    child.seccompFilter = mFilter;
    child.filterOnDescriptor3 = true;
    child.noNewPrivileges = true;
    child.signalAsExitStatus = true;
    // As root the kernel counts the processes of the sandbox's user namespace alone; another user's limit
    // counts all its processes, the server's threads and the other checks' included.
    child.limits.tasks = kTasks + (::geteuid() == 0 ? 0 : fTasksOfThisUser());
}

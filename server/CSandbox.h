// The fences around every run of the game on an uploaded replay (the check, the result picture, the
// version query), through the kernel's own mechanisms: bubblewrap makes the child's own mount, PID,
// network, IPC, UTS, cgroup and user namespaces, in which it sees only its scratch folder (writable), the
// game binary, the folders of its libraries, the fonts and the game data (read-only); a libseccomp filter
// refuses sockets other than local ones and the calls that reach past the namespaces; no_new_privs, no
// capabilities, and limits of processes, CPU time, memory and file size. The child sees nothing of the
// server: not its data folder, its database, other entries, its /proc or its environment. Every process it
// starts dies with it (the PID namespace ends with its first process).
#pragma once

#include "CChildProcess.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class ESandboxMode { Off, Auto, Require };

// "require", "auto" or "off"; false for anything else.
bool fParseSandboxMode(std::string_view text, ESandboxMode& mode);

// Where the scratch folder is shown inside: "/check", or "/check-1", "/check-2"... when one of the `shown`
// host paths lies there, so the scratch folder never hides the game or a library (a server installed
// under /check would otherwise find no game to run).
std::string fScratchInside(const std::vector<std::filesystem::path>& shown);

// What one sandboxed run sees besides the system's libraries and fonts.
struct SSandboxView {
    std::filesystem::path program; // read-only, at its own path
    std::filesystem::path scratch; // writable, the working folder, at fScratchInside()
    // Host folders shown read-only inside the scratch folder, each with its path relative to it.
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> readOnly;
};

class CSandbox {
public:
    // Processes (threads included) one sandboxed run may have.
    static constexpr std::uint64_t kTasks = 64;

    // Finds the layers this machine offers for running `program`; nothing under Off. `work` is a folder
    // for the probes' output. Throws std::runtime_error under Require when a layer is missing.
    CSandbox(ESandboxMode mode, const std::filesystem::path& program, const std::filesystem::path& work);

    bool fOn() const { return mBubblewrap; }
    // The layers in force and those missing, for the start-up line.
    std::string fDescription() const;
    // Makes `child` run `view` inside the sandbox; leaves it as it is when the sandbox is off.
    void fApply(SChildOptions& child, const SSandboxView& view) const;

private:
    std::vector<std::string> fBubblewrapArgs(bool userNamespace, bool filter) const;
    // Whether bubblewrap starts a child with these layers here; `why` when it does not.
    bool fProbe(bool userNamespace, bool filter, const std::filesystem::path& work, std::string& why) const;
    void fFindLibraryFolders(const std::filesystem::path& program, const std::filesystem::path& work);

    ESandboxMode mMode;
    bool mBubblewrap = false;
    bool mUserNamespace = false;
    std::string mFilter; // the seccomp program; empty: none
    std::vector<std::filesystem::path> mLibraryFolders;
    std::vector<std::string> mMissing; // layers not offered here, each with why
};
